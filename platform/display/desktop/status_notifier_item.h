#pragma once
// The status item in the panel: a StatusNotifierItem exported on the session bus and registered
// with the org.kde.StatusNotifierWatcher by its object path, so that the watcher follows the
// item's own connection (a well-known name of its own would be watched separately, and panels
// that race the two lose the item). The picture is drawn for the panel that owns the watcher
// (panel_host.h): as tall as its icons, with the title beside it as a label where the panel draws
// one and inside the picture where it does not, and, for panels that repaint symbolic icons, also
// named from IconThemePath so that it takes the colour of the bar. The tooltip says the title and
// the tooltip text. Only what changed is signalled (status_notifier_item_signals.h). When the
// watcher goes away (the panel restarts) the item registers again as soon as a watcher is back;
// with no watcher at all it says so once on standard error and keeps waiting for one.

#include "platform/display/desktop/panel_host.h"
#include "platform/display/desktop/panel_tint.h"
#include "platform/display/desktop/status_notifier_item_signals.h"
#include "platform/display/desktop/status_pixmap.h"
#include "platform/display/desktop/symbolic_icon_folder.h"
#include "platform/display/display_snapshots.h"
#include "platform/foundation/problem_report.h"
#include "platform/foundation/program_identity.h"

#include <gio/gio.h>

#include <functional>
#include <memory>
#include <string>

struct StatusItemSetup {
    ProgramIdentity identity;     // the item's Id and Title, and its icon files' names
    ProblemSayer say_problem;     // for what goes wrong with the bus or the panel
    std::string menu_path;        // the object path of the item's com.canonical.dbusmenu menu
    std::string current_desktop;  // XDG_CURRENT_DESKTOP
    std::string icon_shows_title; // the stored setting IconShowsTitle
    std::string font_family = "Sans";
    // Called when a watcher's panel is known, before the item registers with it.
    std::function<void(const PanelHost&)> host_found = [](const PanelHost&) {};
    // A left click on a panel that only sends Activate, at that screen point.
    std::function<void(int x, int y)> activated = [](int, int) {};
};

class StatusNotifierItem {
  public:
    // `bus` is borrowed and must outlive the item. Null from make() when the bus refuses the
    // item's object (the reason is on standard error).
    static std::unique_ptr<StatusNotifierItem> make(GDBusConnection* bus, StatusItemSetup setup);
    ~StatusNotifierItem();
    StatusNotifierItem(const StatusNotifierItem&) = delete;
    StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

    void show(const StatusSnapshot& status);
    void set_tint(PanelTint tint);
    // Hides the item from panels while the process goes on; the object stays exported.
    void withdraw();
    // Whether a watcher has accepted the item.
    bool registered() const { return m_registered; }

  private:
    StatusNotifierItem(GDBusConnection* bus, StatusItemSetup setup);
    bool export_on_bus();
    void meet_watcher(const char* owner);
    void register_with_watcher();
    std::string label() const;
    void emit(const char* signal, GVariant* parameters = nullptr);
    bool renew_icon();
    void tell_of(ItemChange change);
    void make_icon();
    void draw_icon();
    GVariant* icon_pixmaps() const;
    GVariant* tool_tip() const;
    GVariant* property(const char* name) const;

    static void on_method_call(GDBusConnection*, const char*, const char*, const char*,
                               const char* method, GVariant*, GDBusMethodInvocation* invocation,
                               gpointer self);
    static GVariant* on_get_property(GDBusConnection*, const char*, const char*, const char*,
                                     const char* name, GError**, gpointer self);
    static void on_watcher_appeared(GDBusConnection*, const char*, const char*, gpointer self);
    static void on_watcher_vanished(GDBusConnection*, const char*, gpointer self);
    static gboolean on_watcher_still_gone(gpointer self);
    static void on_registered(GObject* bus, GAsyncResult* result, gpointer self);

    GDBusConnection* m_bus;
    StatusItemSetup m_setup;
    guint m_object = 0;
    guint m_watch = 0;
    bool m_registered = false;
    bool m_withdrawn = false;
    bool m_told_no_watcher = false;
    bool m_watcher_present = false;
    guint m_watcher_grace = 0; // the wait before a vanished panel is said to be missing
    GCancellable* m_cancellable;
    StatusSnapshot m_status;
    PanelTint m_tint = PanelTint::light;
    PanelHost m_host;
    TitlePlace m_title_place = TitlePlace::label;
    std::unique_ptr<SymbolicIconFolder> m_icon_folder; // null until a panel repaints symbolic icons
    std::string m_icon_name;
    StatusPixmap m_icon;
    StatusPixmap m_icon_2x;
    GVariant* m_pixmaps = nullptr; // the IconPixmap property of m_icon and m_icon_2x
};
