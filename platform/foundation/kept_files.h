#pragma once
// The program's own files below the home folder: the folders made for them, private to the
// user, and a damaged file kept aside rather than lost under a new one.

#include <string>

// Creates the folders of `folder` below `base` (both absolute), each with mode 0700. `base`
// itself must be there: a home folder that is missing is never made. On failure `error` says
// which folder and why: "/home/u/Library: Not a directory".
bool create_folders(const std::string& base, const std::string& folder, std::string& error);

// Keeps the file under the first free "<file>.corrupt", "<file>.corrupt.1" ... name, given in
// `aside`, never replacing anything there; an empty `aside` when the file went meanwhile and
// there is nothing left to keep.
bool keep_file_aside(const std::string& path, std::string& aside, std::string& error);
