#pragma once
// Agent files for the launch-agent tests, and the shared folder and file helpers.

#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

#include <string>
#include <string_view>

// A property list holding a dictionary with `body` as its entries.
inline std::string plist_dictionary(std::string_view body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n" +
           std::string(body) + "</dict>\n</plist>\n";
}

// The agent file the indicator writes for a bundle at `bundle_path`.
inline std::string indicator_agent(std::string_view bundle_path) {
    return plist_dictionary("<key>Label</key><string>org.zerarazi.Zerarazi</string>"
                            "<key>ProgramArguments</key><array><string>/usr/bin/open</string>"
                            "<string>" +
                            std::string(bundle_path) +
                            "</string></array>"
                            "<key>RunAtLoad</key><true/><key>KeepAlive</key><false/>"
                            "<key>LimitLoadToSessionType</key><string>Aqua</string>");
}
