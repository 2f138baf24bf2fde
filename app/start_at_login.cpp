#include "app/start_at_login.h"

#include "app/indicator_state.h"
#include "app/launch_agent.h"
#include "runtime/core/file_replacement.h"
#include "runtime/core/file_system.h"
#include "runtime/core/problem_report.h"
#include "runtime/core/process_runner.h"
#include "runtime/core/string_conversions.h"
#include "runtime/core/string_functions.h"
#include "runtime/ui/gadgets.h"
#include "runtime/ui/native_message.h"

#include <cstdio>

namespace app {
namespace {

// The application bundle's full path; empty when the platform gives none.
rt::String application_path() {
    const int64_t bundle = rt::SendNativeMessage(nullptr, 0, u"NSBundle mainBundle");
    const int64_t path = rt::SendNativeMessage(nullptr, bundle, u"bundlePath");
    const int64_t utf8 = rt::SendNativeMessage(nullptr, path, u"UTF8String");
    if (utf8 == 0) return {};
    return rt::TextFromMemory(utf8, -1, rt::text_format_utf8);
}

rt::String quoted(const rt::String& path) {
    return u"\"" + path + u"\"";
}

// Says why Start at Login could not change; the box shows that it did not. Always false.
bool refused(const rt::String& reason) {
    rt::ReportProblem(u"Start at Login: " + reason);
    return false;
}

rt::String unit_name(char16_t unit) {
    char name[8];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(unit));
    return rt::String::from_utf8(name);
}

// The folder is made when missing; a file in its place is named as such, not as mkdir words it.
bool make_agents_folder(const rt::String& folder) {
    if (rt::FileByteSize(folder) == rt::file_size_directory) return true;
    if (rt::MakeDirectory(folder)) return true;
    const rt::String reason = rt::SystemErrorText();
    // Asked with its final "/", a file at the folder's place reads as missing.
    if (rt::FileByteSize(rt::LeftText(folder, rt::TextLength(folder) - 1)) >= 0)
        return refused(folder + u" is a file, not a folder");
    return refused(u"cannot make the folder " + folder + u": " + reason);
}

bool install_agent(const rt::String& path) {
    if (const char16_t unit = first_unit_xml_cannot_carry(path)) {
        return refused(u"the application's path holds the control character " + unit_name(unit) +
                       u", which a launch agent cannot carry");
    }
    const rt::String folder = LaunchAgentsFolder();
    if (!make_agents_folder(folder)) return false;
    const rt::String file = LaunchAgentFile();
    // Through a temporary file: neither a full disk nor a symbolic link at the agent's place can
    // leave a half-written agent or overwrite another file.
    if (!rt::ReplaceFileText(file, launch_agent_text(ApplicationIdentifier, path)))
        return refused(u"cannot write " + file + u": " + rt::SystemErrorText());
    // Waited for, so that an unload right after cannot be overtaken by this load.
    rt::LaunchProcessFlags(u"launchctl", (u"load " + quoted(file)).c_str(), u"", rt::LaunchWait);
    return true;
}

// Waits for the unload, so that launchctl still finds the file it names.
bool remove_agent() {
    const rt::String file = LaunchAgentFile();
    if (rt::FileByteSize(file) == rt::file_size_missing) return true;
    rt::LaunchProcessFlags(u"launchctl", (u"unload " + quoted(file)).c_str(), u"", rt::LaunchWait);
    if (rt::RemoveFile(file)) return true;
    return refused(u"cannot remove " + file + u": " + rt::SystemErrorText());
}

bool change_agent(bool turn_on) {
    const rt::String path = application_path();
    if (path.empty()) return refused(u"the application's own path is not known");
    return turn_on ? install_agent(path) : remove_agent();
}

} // namespace

void ToggleStartAtLogin() {
    IndicatorState& state = indicator();
    const uint8_t wanted = state.settings.StartAtLogin != 0 ? 0 : 1;
    if (change_agent(wanted != 0)) state.settings.StartAtLogin = wanted;
    rt::SetGadgetState(CheckLogin, state.settings.StartAtLogin);
    StoreStartAtLogin(state.DefaultsObject, state.settings.StartAtLogin);
}

} // namespace app
