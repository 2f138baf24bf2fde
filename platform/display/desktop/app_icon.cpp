#include "platform/display/desktop/app_icon.h"

#include <gtk/gtk.h>

#include <string>

namespace {

// The icon folder beside the executable in the bundle: Contents/MacOS/.. /Resources/icons.
std::string bundle_icon_folder() {
    char* executable = g_file_read_link("/proc/self/exe", nullptr);
    if (!executable) return {};
    char* folder = g_path_get_dirname(executable);
    std::string icons = std::string(folder) + "/../Resources/icons";
    g_free(folder);
    g_free(executable);
    return icons;
}

} // namespace

void use_bundle_app_icon(const std::string& name) {
    const std::string folder = bundle_icon_folder();
    if (!folder.empty())
        gtk_icon_theme_append_search_path(gtk_icon_theme_get_default(), folder.c_str());
    gtk_window_set_default_icon_name(name.c_str());
}
