#include "platform/system/session_bus.h"

#include "platform/foundation/environment_text.h"

#include <gio/gio.h>

#include <cstdlib>
#include <string>

bool session_bus_answers() {
    const char* runtime_dir = std::getenv("XDG_RUNTIME_DIR");
    const bool standard_bus =
        text_set(runtime_dir) &&
        g_file_test((std::string(runtime_dir) + "/bus").c_str(), G_FILE_TEST_EXISTS);
    // Without an address GIO would start a bus of its own through X11; that is no session.
    if (!text_set(std::getenv("DBUS_SESSION_BUS_ADDRESS")) && !standard_bus) return false;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus) return false;
    g_object_unref(bus);
    return true;
}
