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
    return plist_dictionary(
        "\t<key>Label</key>\n\t<string>org.zerarazi.Zerarazi</string>\n"
        "\t<key>ProgramArguments</key>\n\t<array>\n"
        "\t\t<string>/usr/bin/open</string>\n\t\t<string>" +
        std::string(bundle_path) +
        "</string>\n\t</array>\n"
        "\t<key>RunAtLoad</key>\n\t<true/>\n\t<key>KeepAlive</key>\n\t<false/>\n"
        "\t<key>LimitLoadToSessionType</key>\n\t<string>Aqua</string>");
}
