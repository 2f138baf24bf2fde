#pragma once
// The user's home folder, as the platform's per-user files are found from it.

#include <string>

// $HOME when it is an absolute path, else the password database's entry for the user; empty
// when neither gives one. A HOME that is set but relative names no fixed place (it would move
// with the current folder), so it is passed over, and standard error says so once.
std::string home_folder();
