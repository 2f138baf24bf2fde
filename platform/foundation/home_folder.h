#pragma once
// The user's home folder, as the platform's per-user files are found from it.

#include <string>

// $HOME when it is set and not empty, else the password database's entry for the user; empty
// when neither gives one.
std::string home_folder();
