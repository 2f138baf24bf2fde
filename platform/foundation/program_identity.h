#pragma once
// The program's name and identifier as its bundle's Info.plist gives them (CFBundleName,
// CFBundleIdentifier), read once and handed to whatever shows or files them: the status item,
// notifications, sounds, the application's icon, the settings file. A program outside a bundle
// (a test, a tool), or a bundle that lacks one of them, has the application's own.

#include <string>

class NSBundle;

struct ProgramIdentity {
    std::string name;       // what people see: "Zerarazi"
    std::string identifier; // reverse-DNS and a plain file name: "org.zerarazi.Zerarazi"

    // The name in ASCII lower case, for the names of files and folders: "zerarazi".
    std::string lower_name() const {
        std::string lower = name;
        for (char& c : lower)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return lower;
    }
};

// What `bundle` (may be null) says. Both become parts of file names: a text that could lead out
// of a folder is not taken.
ProgramIdentity program_identity_of(const NSBundle* bundle);
// The main bundle's identity, read at the first call.
const ProgramIdentity& main_program_identity();
