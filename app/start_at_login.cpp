#include "app/start_at_login.h"

#include "app/indicator_state.h"
#include "app/launch_agent.h"
#include "runtime/core/file_objects.h"
#include "runtime/core/file_system.h"
#include "runtime/core/process_runner.h"
#include "runtime/core/string_conversions.h"
#include "runtime/ui/gadgets.h"
#include "runtime/ui/native_message.h"

namespace app {
namespace {

constexpr int k_utf8_without_mark = 2;

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

bool write_agent_file(const rt::String& file, const rt::String& text) {
    const int64_t number = rt::CreateFileObject(rt::AutoNumber, file);
    if (number == 0 || !rt::FileObjectValid(number)) return false;
    const bool written = rt::WriteFileText(number, text, k_utf8_without_mark) > 0;
    const bool closed = rt::CloseFileObject(number) != 0;
    return written && closed;
}

bool install_agent(const rt::String& path) {
    const rt::String folder = LaunchAgentsFolder();
    if (rt::FileByteSize(folder) != rt::file_size_directory && !rt::MakeDirectory(folder))
        return false;
    const rt::String file = LaunchAgentFile();
    if (!write_agent_file(file, launch_agent_text(ApplicationIdentifier, path))) return false;
    // Waited for, so that an unload right after cannot be overtaken by this load.
    rt::LaunchProcessFlags(u"launchctl", (u"load " + quoted(file)).c_str(), u"", rt::LaunchWait);
    return true;
}

// Waits for the unload, so that launchctl still finds the file it names.
bool remove_agent() {
    const rt::String file = LaunchAgentFile();
    if (rt::FileByteSize(file) == rt::file_size_missing) return true;
    rt::LaunchProcessFlags(u"launchctl", (u"unload " + quoted(file)).c_str(), u"", rt::LaunchWait);
    return rt::RemoveFile(file) != 0;
}

bool change_agent(bool turn_on) {
    const rt::String path = application_path();
    if (path.empty()) return false;
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
