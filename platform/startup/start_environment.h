#pragma once
// What must hold before a program runs, whatever it later does to its process: the standard
// descriptors are taken, so that no file opened later becomes standard output; path settings
// are read against the folder the program was started in, before start-up enters the bundle;
// and a malformed setting is refused with a reason instead of being passed over in silence.

#include <string>
#include <string_view>

// The settings that name a path; a relative one is made absolute against the folder of start.
inline constexpr const char* k_path_settings[] = {"ZERARAZI_BATTERY"};

// `value` made absolute against `folder`; an absolute or empty value is returned as it is.
std::string absolute_setting_path(std::string_view value, std::string_view folder);

// Prepares this process as above. False, with the reason on standard error, when a setting is
// malformed; the program is then not to be run.
bool prepare_start_environment();
