#include "platform/display/desktop/status_notifier_item.h"

#include "platform/display/desktop/titled_icon.h"
#include "platform/display/desktop/watcher_owner.h"

#include <cstring>

namespace {

constexpr const char* k_item_path = "/StatusNotifierItem";
constexpr const char* k_item_interface = "org.kde.StatusNotifierItem";
constexpr const char* k_watcher_name = "org.kde.StatusNotifierWatcher";
constexpr const char* k_watcher_path = "/StatusNotifierWatcher";
constexpr guint k_watcher_grace_ms = 1000;

constexpr const char* k_introspection = R"xml(<node>
  <interface name="org.kde.StatusNotifierItem">
    <property name="Category" type="s" access="read"/>
    <property name="Id" type="s" access="read"/>
    <property name="Title" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="WindowId" type="i" access="read"/>
    <property name="IconName" type="s" access="read"/>
    <property name="IconThemePath" type="s" access="read"/>
    <property name="IconPixmap" type="a(iiay)" access="read"/>
    <property name="OverlayIconName" type="s" access="read"/>
    <property name="OverlayIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionIconName" type="s" access="read"/>
    <property name="AttentionIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionMovieName" type="s" access="read"/>
    <property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
    <property name="ItemIsMenu" type="b" access="read"/>
    <property name="Menu" type="o" access="read"/>
    <property name="XAyatanaLabel" type="s" access="read"/>
    <property name="XAyatanaLabelGuide" type="s" access="read"/>
    <method name="ContextMenu"><arg name="x" type="i"/><arg name="y" type="i"/></method>
    <method name="Activate"><arg name="x" type="i"/><arg name="y" type="i"/></method>
    <method name="SecondaryActivate"><arg name="x" type="i"/><arg name="y" type="i"/></method>
    <method name="Scroll"><arg name="delta" type="i"/><arg name="orientation" type="s"/></method>
    <signal name="NewTitle"/>
    <signal name="NewIcon"/>
    <signal name="NewAttentionIcon"/>
    <signal name="NewOverlayIcon"/>
    <signal name="NewToolTip"/>
    <signal name="NewStatus"><arg name="status" type="s"/></signal>
    <signal name="NewIconThemePath"><arg name="icon_theme_path" type="s"/></signal>
    <signal name="XAyatanaNewLabel"><arg name="label" type="s"/><arg name="guide" type="s"/></signal>
  </interface>
</node>)xml";

struct TextProperty {
    const char* name;
    const char* value;
};

// The properties that never change, besides the program's name and identifier.
constexpr TextProperty k_fixed_texts[] = {
    {"Category", "Hardware"},  {"Status", "Active"},       {"OverlayIconName", ""},
    {"AttentionIconName", ""}, {"AttentionMovieName", ""},
};

GVariant* pixmap_variant(const StatusPixmap& pixmap) {
    GVariant* bytes =
        g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, pixmap.argb.data(), pixmap.argb.size(), 1);
    return g_variant_new("(ii@ay)", pixmap.width, pixmap.height, bytes);
}

GVariant* pixmap_list(std::initializer_list<const StatusPixmap*> pixmaps) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a(iiay)"));
    for (const StatusPixmap* pixmap : pixmaps) {
        if (!pixmap->argb.empty()) g_variant_builder_add_value(&builder, pixmap_variant(*pixmap));
    }
    return g_variant_builder_end(&builder);
}

GDBusInterfaceInfo* item_interface() {
    static GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(k_introspection, nullptr);
    return node ? node->interfaces[0] : nullptr;
}

const GDBusInterfaceVTable k_vtable = {
    .method_call = nullptr, .get_property = nullptr, .set_property = nullptr, .padding = {}};

} // namespace

std::unique_ptr<StatusNotifierItem> StatusNotifierItem::make(GDBusConnection* bus,
                                                             StatusItemSetup setup) {
    std::unique_ptr<StatusNotifierItem> item(new StatusNotifierItem(bus, std::move(setup)));
    if (!item->export_on_bus()) return nullptr;
    item->m_watch = g_bus_watch_name_on_connection(
        bus, k_watcher_name, G_BUS_NAME_WATCHER_FLAGS_NONE, on_watcher_appeared,
        on_watcher_vanished, item.get(), nullptr);
    return item;
}

StatusNotifierItem::StatusNotifierItem(GDBusConnection* bus, StatusItemSetup setup)
    : m_bus(bus), m_setup(std::move(setup)), m_cancellable(g_cancellable_new()) {}

StatusNotifierItem::~StatusNotifierItem() {
    if (m_watcher_grace) g_source_remove(m_watcher_grace);
    g_cancellable_cancel(m_cancellable);
    g_object_unref(m_cancellable);
    if (m_watch) g_bus_unwatch_name(m_watch);
    if (m_object) g_dbus_connection_unregister_object(m_bus, m_object);
    g_dbus_connection_flush_sync(m_bus, nullptr, nullptr);
    if (m_pixmaps) g_variant_unref(m_pixmaps);
}

bool StatusNotifierItem::export_on_bus() {
    GDBusInterfaceVTable vtable = k_vtable;
    vtable.method_call = on_method_call;
    vtable.get_property = on_get_property;
    GError* error = nullptr;
    m_object = g_dbus_connection_register_object(m_bus, k_item_path, item_interface(), &vtable,
                                                 this, nullptr, &error);
    if (m_object) return true;
    m_setup.say_problem(
        {"cannot export the status item: ", error ? error->message : "no interface"});
    g_clear_error(&error);
    return false;
}

void StatusNotifierItem::show(const StatusSnapshot& status) {
    const bool picture_changed =
        status.pixels != m_status.pixels || status.is_template != m_status.is_template;
    const bool title_changed = status.title != m_status.title;
    const bool tool_tip_changed = title_changed || status.tooltip != m_status.tooltip;
    const std::string label_before = label();
    m_status = status;
    if (m_withdrawn) {
        m_withdrawn = false;
        emit("NewStatus", g_variant_new("(s)", "Active"));
    }
    const bool icon_changed =
        (picture_changed || (title_changed && m_title_place == TitlePlace::in_icon)) &&
        renew_icon();
    if (const std::string now = label(); now != label_before)
        emit("XAyatanaNewLabel", g_variant_new("(ss)", now.c_str(), now.c_str()));
    tell_of({.picture = icon_changed, .tool_tip = tool_tip_changed});
}

// A panel keeps an item registered by its path until the item's connection closes; asked for the
// status at once, it then hides a passive one. (At the end of the process the connection closes
// anyway, and a last signal would only leave the panel reading from a connection that is gone.)
void StatusNotifierItem::withdraw() {
    m_withdrawn = true;
    emit("NewStatus", g_variant_new("(s)", "Passive"));
}

void StatusNotifierItem::set_tint(PanelTint tint) {
    if (tint == m_tint) return;
    m_tint = tint;
    if (m_status.is_template && renew_icon()) tell_of({.picture = true});
}

// Whether what the panel reads of the picture differs.
bool StatusNotifierItem::renew_icon() {
    const StatusPixmap before = m_icon_2x;
    const std::string name_before = m_icon_name;
    make_icon();
    return m_icon_2x != before || m_icon_name != name_before;
}

void StatusNotifierItem::tell_of(ItemChange change) {
    const ItemSignals signals = change_signals(change, m_host);
    if (signals.new_icon) emit("NewIcon");
    if (signals.new_tool_tip) emit("NewToolTip");
}

void StatusNotifierItem::make_icon() {
    draw_icon();
    if (m_pixmaps) g_variant_unref(m_pixmaps);
    m_pixmaps = g_variant_ref_sink(pixmap_list({&m_icon, &m_icon_2x}));
}

void StatusNotifierItem::draw_icon() {
    m_icon = {};
    m_icon_2x = {};
    m_icon_name.clear();
    if (!m_status.pixels) return;
    std::optional<PanelTint> tint;
    if (m_status.is_template) tint = m_tint;
    if (m_host.kind == PanelHostKind::unknown && m_title_place == TitlePlace::label) {
        m_icon = make_status_pixmap(*m_status.pixels, 1, tint);
        m_icon_2x = make_status_pixmap(*m_status.pixels, 2, tint);
        return;
    }
    TitledIconRequest request{
        .height = m_host.icon_size,
        .shape = m_host.keeps_wide_icons ? IconShape::wide : IconShape::square,
        .title = m_title_place == TitlePlace::in_icon ? m_status.title : std::string(),
        .tint = tint,
        .outlined = tint && !m_host.tints_symbolic,
        .font_family = m_setup.font_family,
    };
    m_icon = draw_titled_icon(*m_status.pixels, request);
    request.height *= 2;
    m_icon_2x = draw_titled_icon(*m_status.pixels, request);
    // From the 2× pixels, which panels that draw icons at a size of their own scale down best.
    if (m_icon_folder && tint && !m_icon_2x.argb.empty())
        m_icon_name = m_icon_folder->name_for(m_icon_2x, m_icon.width, m_icon.height);
}

std::string StatusNotifierItem::label() const {
    return m_title_place == TitlePlace::label ? m_status.title : std::string();
}

void StatusNotifierItem::emit(const char* signal, GVariant* parameters) {
    g_dbus_connection_emit_signal(m_bus, nullptr, k_item_path, k_item_interface, signal, parameters,
                                  nullptr);
}

// The picture and the label are made for the panel before it first reads them.
void StatusNotifierItem::meet_watcher(const char* owner) {
    m_host = choose_panel_host({bus_name_owner_program(m_bus, owner), m_setup.current_desktop});
    m_title_place = choose_title_place(m_setup.icon_shows_title, m_host);
    if (m_host.tints_symbolic && !m_icon_folder)
        m_icon_folder = SymbolicIconFolder::make(m_setup.identity.lower_name());
    m_setup.host_found(m_host);
    make_icon();
    register_with_watcher();
}

void StatusNotifierItem::register_with_watcher() {
    g_dbus_connection_call(m_bus, k_watcher_name, k_watcher_path, k_watcher_name,
                           "RegisterStatusNotifierItem", g_variant_new("(s)", k_item_path), nullptr,
                           G_DBUS_CALL_FLAGS_NONE, -1, m_cancellable, on_registered, this);
}

GVariant* StatusNotifierItem::tool_tip() const {
    const std::string& heading = m_status.title.empty() ? m_setup.identity.name : m_status.title;
    const std::string text = m_status.tooltip.value_or("");
    return g_variant_new("(s@a(iiay)ss)", "", pixmap_list({}), heading.c_str(), text.c_str());
}

GVariant* StatusNotifierItem::property(const char* name) const {
    for (const TextProperty& text : k_fixed_texts) {
        if (std::strcmp(name, text.name) == 0) return g_variant_new_string(text.value);
    }
    if (std::strcmp(name, "Id") == 0)
        return g_variant_new_string(m_setup.identity.identifier.c_str());
    if (std::strcmp(name, "Title") == 0) return g_variant_new_string(m_setup.identity.name.c_str());
    if (std::strcmp(name, "Status") == 0)
        return g_variant_new_string(m_withdrawn ? "Passive" : "Active");
    // Built once for each new picture: panels read it on every change signal.
    if (std::strcmp(name, "IconPixmap") == 0)
        return m_pixmaps ? g_variant_ref(m_pixmaps) : pixmap_list({});
    if (std::strcmp(name, "IconName") == 0) return g_variant_new_string(m_icon_name.c_str());
    if (std::strcmp(name, "IconThemePath") == 0)
        return g_variant_new_string(m_icon_folder ? m_icon_folder->path().c_str() : "");
    // No label at all where the title is in the icon: MATE's tray hides the picture of an item
    // with any label, even an empty one, whenever buttons show no pictures.
    if (std::strcmp(name, "XAyatanaLabel") == 0 || std::strcmp(name, "XAyatanaLabelGuide") == 0)
        return m_title_place == TitlePlace::label ? g_variant_new_string(label().c_str()) : nullptr;
    if (std::strcmp(name, "ToolTip") == 0) return tool_tip();
    if (std::strcmp(name, "ItemIsMenu") == 0) return g_variant_new_boolean(TRUE);
    if (std::strcmp(name, "Menu") == 0) return g_variant_new_object_path(m_setup.menu_path.c_str());
    if (std::strcmp(name, "WindowId") == 0) return g_variant_new_int32(0);
    if (std::strstr(name, "Pixmap")) return pixmap_list({});
    return nullptr;
}

// The item is a menu (ItemIsMenu) and does nothing of its own on a click. Panels that send a
// click as Activate open the menu when the item has no such method, so the activations answer
// as a missing method would; a panel that only sends Activate has the menu opened by the item
// itself. Scrolling is ignored.
void StatusNotifierItem::on_method_call(GDBusConnection*, const char*, const char*, const char*,
                                        const char* method, GVariant* parameters,
                                        GDBusMethodInvocation* invocation, gpointer self) {
    auto* item = static_cast<StatusNotifierItem*>(self);
    if (std::strcmp(method, "Activate") == 0 && item->m_host.only_activates) {
        int x = 0;
        int y = 0;
        g_variant_get(parameters, "(ii)", &x, &y);
        g_dbus_method_invocation_return_value(invocation, nullptr);
        item->m_setup.activated(x, y);
        return;
    }
    if (std::strcmp(method, "Scroll") == 0) {
        g_dbus_method_invocation_return_value(invocation, nullptr);
        return;
    }
    g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_METHOD,
                                          "%s: the item is a menu; open its menu", method);
}

GVariant* StatusNotifierItem::on_get_property(GDBusConnection*, const char*, const char*,
                                              const char*, const char* name, GError** error,
                                              gpointer self) {
    GVariant* value = static_cast<StatusNotifierItem*>(self)->property(name);
    if (!value)
        g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "no property %s", name);
    return value;
}

void StatusNotifierItem::on_watcher_appeared(GDBusConnection*, const char*, const char* owner,
                                             gpointer self) {
    auto* item = static_cast<StatusNotifierItem*>(self);
    item->m_watcher_present = true;
    item->meet_watcher(owner);
}

// A panel that restarts comes back within a moment, and a session that ends takes its bus down
// just after its panel: neither is worth a word, so the panel is said to be missing only once it
// has stayed away for k_watcher_grace_ms.
void StatusNotifierItem::on_watcher_vanished(GDBusConnection*, const char*, gpointer self) {
    auto* item = static_cast<StatusNotifierItem*>(self);
    item->m_registered = false;
    item->m_watcher_present = false;
    if (item->m_told_no_watcher || item->m_watcher_grace) return;
    item->m_watcher_grace = g_timeout_add(k_watcher_grace_ms, on_watcher_still_gone, item);
}

gboolean StatusNotifierItem::on_watcher_still_gone(gpointer self) {
    auto* item = static_cast<StatusNotifierItem*>(self);
    item->m_watcher_grace = 0;
    // The bus itself closing is said once, by the display.
    if (item->m_watcher_present || item->m_told_no_watcher ||
        g_dbus_connection_is_closed(item->m_bus))
        return G_SOURCE_REMOVE;
    item->m_told_no_watcher = true;
    item->m_setup.say_problem({"no panel shows status items (no ", k_watcher_name,
                               " on the session bus); the item appears when one starts"});
    return G_SOURCE_REMOVE;
}

void StatusNotifierItem::on_registered(GObject* bus, GAsyncResult* result, gpointer self) {
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, &error);
    if (reply) g_variant_unref(reply);
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
        g_error_free(error);
        return;
    }
    auto* item = static_cast<StatusNotifierItem*>(self);
    item->m_registered = reply != nullptr;
    if (error) {
        item->m_setup.say_problem({"the panel refused the status item: ", error->message});
        g_error_free(error);
    }
}
