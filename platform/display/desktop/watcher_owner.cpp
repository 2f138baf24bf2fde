#include "platform/display/desktop/watcher_owner.h"

#include <fstream>
#include <iterator>
#include <optional>

namespace {

std::optional<uint32_t> owner_process(GDBusConnection* bus, const char* bus_name) {
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "GetConnectionUnixProcessID", g_variant_new("(s)", bus_name), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    if (!reply) return std::nullopt;
    uint32_t process = 0;
    g_variant_get(reply, "(u)", &process);
    g_variant_unref(reply);
    return process;
}

std::string file_text(const std::string& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

// The command line's first word rather than the kernel's name for the process, which is cut at
// fifteen characters.
std::string bus_name_owner_program(GDBusConnection* bus, const char* bus_name) {
    const std::optional<uint32_t> process = owner_process(bus, bus_name);
    if (!process || *process == 0) return {};
    const std::string folder = "/proc/" + std::to_string(*process);
    const std::string command = file_text(folder + "/cmdline");
    const std::string path = command.substr(0, command.find('\0'));
    if (!path.empty()) return path.substr(path.rfind('/') + 1);
    const std::string comm = file_text(folder + "/comm");
    return comm.substr(0, comm.find('\n'));
}
