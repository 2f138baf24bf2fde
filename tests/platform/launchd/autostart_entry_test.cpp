#include "platform/launchd/autostart_entry.h"

#include "tests/platform/launchd/launchd_test_support.h"

#include <gtest/gtest.h>

namespace {

// Arguments with reserved characters are quoted, then the whole value is escaped as a string.
TEST(AutostartEntry, QuotesAndEscapesTheExecValue) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"/bin/x", ""}, "/bin/x \"\""},
        {{"/bin/x", "it's", "a&b", "`c`"}, "/bin/x \"it's\" \"a&b\" \"\\\\`c\\\\`\""},
        {{"/opt/Z.app/Contents/MacOS/Z"}, "/opt/Z.app/Contents/MacOS/Z"},
        {{"/My Apps/Z.app/Contents/MacOS/Z", "--flag"},
         "\"/My Apps/Z.app/Contents/MacOS/Z\" --flag"},
        // The backslash quoting adds is doubled again by string-value escaping.
        {{"/a\\b"}, "\"/a\\\\\\\\b\""},
        {{"/bin/x", "a \"q\""}, "/bin/x \"a \\\\\"q\\\\\"\""},
    };
    for (const auto& [command, expected] : cases)
        EXPECT_EQ(exec_value(command), expected) << "last argument: " << command.back();
    EXPECT_NE(autostart_entry_text({" Z\\", {"/x"}}).find("\nName=\\sZ\\\\\n"), std::string::npos)
        << "a leading blank and a backslash escaped in the name";
}

// A bundle folder holding an executable Tool, with an executable name in its Info.plist or none.
std::string make_bundle(const TemporaryFolder& folder, const std::string& name,
                        const std::string& declared_executable) {
    folder.write(name + "/Contents/MacOS/Tool", "");
    if (!declared_executable.empty())
        folder.write(name + "/Contents/Info.plist",
                     plist_dictionary("<key>CFBundleExecutable</key><string>" +
                                      declared_executable + "</string>"));
    return folder.file(name);
}

// "name|command,argument..." of the entry for `arguments`.
std::string entry_for(std::vector<std::string> arguments) {
    AutostartEntry entry = autostart_entry_for({"a.b", std::move(arguments), true});
    std::string text = entry.name + "|";
    for (const std::string& part : entry.command)
        text += part + (&part == &entry.command.back() ? "" : ",");
    return text;
}

// Started at login from an installed copy, the program is named by its launcher on PATH, and only
// when that launcher really leads to this bundle.
TEST(AutostartEntry, TurnsOpeningABundleIntoItsExecutableOrItsLauncher) {
    TemporaryFolder folder{"launchd-test-"};
    const std::string declared = make_bundle(folder, "My Tool.app", "tool-bin");
    const std::string plain = make_bundle(folder, "Plain.app", "");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"/usr/bin/open", declared}, "My Tool|" + declared + "/Contents/MacOS/tool-bin"},
        {{"/usr/bin/open", plain + "/"}, "Plain|" + plain + "/Contents/MacOS/Plain"},
        {{"/usr/bin/open", plain, "--args", "-v", "x y"},
         "Plain|" + plain + "/Contents/MacOS/Plain,-v,x y"},
        // Open with options, and any other program, stay as they are.
        {{"/usr/bin/open", "-a", "Plain"}, "a.b|/usr/bin/open,-a,Plain"},
    };
    for (const auto& [arguments, expected] : cases)
        EXPECT_EQ(entry_for(arguments), expected);

    const std::string bundle = make_bundle(folder, "lib/tool/Tool.app", "");
    const std::string executable = bundle + "/Contents/MacOS/Tool";
    auto command_of = [&] { return entry_for({"/usr/bin/open", bundle}); };
    EXPECT_EQ(command_of(), "Tool|" + executable) << "no launcher";
    folder.write("bin/other", "");
    std::filesystem::create_symlink("../lib/tool/Tool.app/Contents/MacOS/Tool",
                                    folder / "bin/tool");
    EXPECT_EQ(command_of(), "Tool|" + folder.file("bin/tool"));
    std::filesystem::remove(folder / "bin/tool");
    folder.write("bin/tool", "another program");
    EXPECT_EQ(command_of(), "Tool|" + executable) << "a launcher of something else";
}

} // namespace
