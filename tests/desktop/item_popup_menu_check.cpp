// The item's own popup menu on a real X server, driven by item_popup_session.py through standard
// input: "pop X Y" (prints "popped 1" or "popped 0"), "destroy", "activate I" (GTK's activation of
// item I, which GTK itself never sends a disabled item), "then C" (runs C within the next choice),
// "quit". Prints "chosen N" for a choice, and whenever the shown menu changes its place as GTK
// laid it out: "menu X Y W H", "item I KIND SENSITIVE X Y W H ACCELERATOR TITLE" each, "end"; or
// "hidden".

#include "platform/display/desktop/item_popup_menu.h"
#include "platform/display/keyboard.h"

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

namespace {

constexpr uint8_t k_command = static_cast<uint8_t>(KeyModifier::command);
constexpr uint8_t k_shift = static_cast<uint8_t>(KeyModifier::shift);
constexpr uint8_t k_alternate = static_cast<uint8_t>(KeyModifier::alternate);
constexpr uint8_t k_control = static_cast<uint8_t>(KeyModifier::control);

const std::vector<MenuItemSnapshot> k_items = {
    {false, 1, "Show_Details", "d", k_command, true},
    {true, 0, "", "", 0, true},
    {false, 2, "Unavailable", "", 0, false},
    {false, 3, "Settings", ",", k_command | k_control, true},
    {true, 0, "", "", 0, true},
    {false, 4, "Quit", "q", k_command | k_shift | k_alternate, true},
};

struct Check {
    std::unique_ptr<ItemPopupMenu> menu;
    std::string last_report;
    std::string after_choice;
};

void run_command(Check& check, const std::string& line);

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

GtkWidget* shown_menu() {
    GList* windows = gtk_window_list_toplevels();
    GtkWidget* found = nullptr;
    for (GList* link = windows; link && !found; link = link->next) {
        GtkWidget* child = gtk_bin_get_child(GTK_BIN(link->data));
        if (child && GTK_IS_MENU(child) && gtk_widget_get_mapped(GTK_WIDGET(link->data)))
            found = child;
    }
    g_list_free(windows);
    return found;
}

std::string accelerator_text(GtkWidget* item) {
    GtkWidget* label = gtk_bin_get_child(GTK_BIN(item));
    guint key = 0;
    GdkModifierType modifiers{};
    if (label && GTK_IS_ACCEL_LABEL(label))
        gtk_accel_label_get_accel(GTK_ACCEL_LABEL(label), &key, &modifiers);
    if (!key) return "-";
    gchar* name = gtk_accelerator_name(key, modifiers);
    std::string text = name;
    g_free(name);
    return text;
}

void report_item(std::ostringstream& out, GtkWidget* item, int index, int left, int top) {
    int x = 0, y = 0;
    gtk_widget_translate_coordinates(item, gtk_widget_get_toplevel(item), 0, 0, &x, &y);
    GtkAllocation box;
    gtk_widget_get_allocation(item, &box);
    const bool separator = GTK_IS_SEPARATOR_MENU_ITEM(item);
    out << "item " << index << (separator ? " separator " : " item ")
        << gtk_widget_is_sensitive(item) << ' ' << left + x << ' ' << top + y << ' ' << box.width
        << ' ' << box.height << ' ' << accelerator_text(item) << ' '
        << (separator ? "" : gtk_menu_item_get_label(GTK_MENU_ITEM(item))) << '\n';
}

std::string menu_report(GtkWidget* menu) {
    GtkWidget* toplevel = gtk_widget_get_toplevel(menu);
    int left = 0, top = 0;
    gdk_window_get_origin(gtk_widget_get_window(toplevel), &left, &top);
    std::ostringstream out;
    out << "menu " << left << ' ' << top << ' ' << gtk_widget_get_allocated_width(toplevel) << ' '
        << gtk_widget_get_allocated_height(toplevel) << '\n';
    GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
    int index = 0;
    for (GList* link = items; link; link = link->next)
        report_item(out, GTK_WIDGET(link->data), index++, left, top);
    g_list_free(items);
    out << "end";
    return out.str();
}

gboolean report_changes(gpointer data) {
    auto* check = static_cast<Check*>(data);
    GtkWidget* menu = shown_menu();
    const std::string report = menu ? menu_report(menu) : "hidden";
    if (report != check->last_report && !(check->last_report.empty() && !menu)) say(report);
    check->last_report = report;
    return G_SOURCE_CONTINUE;
}

void activate_item(int index) {
    GtkWidget* menu = shown_menu();
    if (!menu) return;
    GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
    if (GList* link = g_list_nth(items, static_cast<guint>(index)))
        gtk_widget_activate(GTK_WIDGET(link->data));
    g_list_free(items);
}

void run_command(Check& check, const std::string& line) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "quit") gtk_main_quit();
    if (command == "destroy") check.menu.reset();
    if (command == "then") std::getline(words >> std::ws, check.after_choice);
    if (command == "activate") {
        int index = 0;
        words >> index;
        activate_item(index);
    }
    if (command != "pop") return;
    int x = 0, y = 0;
    words >> x >> y;
    if (!check.menu)
        check.menu = std::make_unique<ItemPopupMenu>([&check](int number) {
            say("chosen " + std::to_string(number));
            if (!check.after_choice.empty())
                run_command(check, std::exchange(check.after_choice, std::string()));
        });
    say(std::string("popped ") + (check.menu->pop_up(k_items, x, y) ? "1" : "0"));
}

gboolean read_command(GIOChannel* input, GIOCondition, gpointer data) {
    gchar* line = nullptr;
    if (g_io_channel_read_line(input, &line, nullptr, nullptr, nullptr) != G_IO_STATUS_NORMAL) {
        gtk_main_quit();
        return G_SOURCE_REMOVE;
    }
    run_command(*static_cast<Check*>(data), line);
    g_free(line);
    return G_SOURCE_CONTINUE;
}

} // namespace

int main(int argc, char** argv) {
    if (!gtk_init_check(&argc, &argv)) return 2;
    Check check;
    GIOChannel* input = g_io_channel_unix_new(0);
    g_io_add_watch(input, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP), read_command, &check);
    g_timeout_add(20, report_changes, &check);
    say("ready");
    gtk_main();
    check.menu.reset();
    g_io_channel_unref(input);
    return 0;
}
