#pragma once
// The status item in the panel: a StatusNotifierItem exported on the session bus and registered
// with the org.kde.StatusNotifierWatcher. The icon is the model's own pixels at 1× and 2×, the
// title is the label beside it, the tooltip says the title and the tooltip text. Only what
// changed is signalled. When the watcher goes away (the panel restarts) the item registers again
// as soon as a watcher is back; with no watcher at all it says so once on standard error and
// keeps waiting for one.

#include "platform/display/desktop/panel_tint.h"
#include "platform/display/desktop/status_pixmap.h"
#include "platform/display/display.h"

#include <gio/gio.h>

#include <memory>
#include <string>

class StatusNotifierItem {
  public:
    // `bus` is borrowed and must outlive the item; `menu_path` is the object path of the item's
    // com.canonical.dbusmenu menu. Null from make() when the bus refuses the item's name or
    // object (the reason is on standard error).
    static std::unique_ptr<StatusNotifierItem> make(GDBusConnection* bus, std::string menu_path);
    ~StatusNotifierItem();
    StatusNotifierItem(const StatusNotifierItem&) = delete;
    StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

    void show(const StatusSnapshot& status);
    void set_tint(PanelTint tint);
    // Whether a watcher has accepted the item.
    bool registered() const { return m_registered; }

  private:
    StatusNotifierItem(GDBusConnection* bus, std::string menu_path);
    bool export_on_bus();
    void register_with_watcher();
    void emit(const char* signal, GVariant* parameters = nullptr);
    void make_icon();
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
    static void on_registered(GObject* bus, GAsyncResult* result, gpointer self);

    GDBusConnection* m_bus;
    std::string m_menu_path;
    std::string m_bus_name;
    guint m_object = 0;
    guint m_watch = 0;
    bool m_owns_name = false;
    bool m_registered = false;
    bool m_told_no_watcher = false;
    GCancellable* m_cancellable;
    StatusSnapshot m_status;
    PanelTint m_tint = PanelTint::light;
    StatusPixmap m_icon;
    StatusPixmap m_icon_2x;
};
