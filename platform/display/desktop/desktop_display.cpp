#include "platform/display/desktop/desktop_display.h"

#include "platform/display/desktop/alert_dialog.h"
#include "platform/display/desktop/alert_time_input.h"
#include "platform/display/desktop/app_icon.h"
#include "platform/display/desktop/appearance_portal.h"
#include "platform/display/desktop/bus_request_limits.h"
#include "platform/display/desktop/desktop_notification.h"
#include "platform/display/desktop/desktop_sounds.h"
#include "platform/display/desktop/desktop_window.h"
#include "platform/display/desktop/item_popup_menu.h"
#include "platform/display/desktop/status_menu_exporter.h"
#include "platform/display/desktop/status_notifier_item.h"
#include "platform/foundation/environment_text.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <span>

namespace {

constexpr const char* k_menu_path = "/MenuBar";
constexpr ScreenRect k_fallback_screen{0, 0, 1440, 900};

gboolean stop_waiting(gpointer fired) {
    *static_cast<bool*>(fired) = true;
    return G_SOURCE_REMOVE;
}

ScreenRect rect_of(GdkMonitor* monitor) {
    GdkRectangle area{};
    gdk_monitor_get_geometry(monitor, &area);
    return ScreenRect{static_cast<double>(area.x), static_cast<double>(area.y),
                      static_cast<double>(area.width), static_cast<double>(area.height)};
}

constexpr const char* k_icon_shows_title_key = "IconShowsTitle";

// The family of the desktop's interface font ("Cantarell 11" gives "Cantarell").
std::string interface_font_family() {
    GtkSettings* settings = gtk_settings_get_default();
    gchar* font = nullptr;
    if (settings) g_object_get(settings, "gtk-font-name", &font, nullptr);
    PangoFontDescription* description = pango_font_description_from_string(font ? font : "Sans");
    g_free(font);
    const char* family = pango_font_description_get_family(description);
    std::string name = family && *family ? family : "Sans";
    pango_font_description_free(description);
    return name;
}

bool contains_dark(const char* text) {
    if (!text) return false;
    char* lower = g_ascii_strdown(text, -1);
    const bool dark = std::strstr(lower, "dark") != nullptr;
    g_free(lower);
    return dark;
}

// GTK_THEME ("Adwaita:dark") overrides the settings' theme name and dark preference.
std::optional<bool> gtk_theme_is_dark() {
    if (const char* forced = std::getenv("GTK_THEME"); text_set(forced))
        return contains_dark(forced);
    GtkSettings* settings = gtk_settings_get_default();
    if (!settings) return std::nullopt;
    gchar* name = nullptr;
    gboolean prefers_dark = FALSE;
    g_object_get(settings, "gtk-theme-name", &name, "gtk-application-prefer-dark-theme",
                 &prefers_dark, nullptr);
    const bool dark = prefers_dark || contains_dark(name);
    g_free(name);
    return dark;
}

} // namespace

// Nothing here draws with OpenGL, yet GDK probes it when it opens the display, which loads the
// whole GL stack (tens of megabytes resident). GDK reads GDK_GL once, at start; a setting the
// person made is kept, and programs started later do not inherit ours.
namespace {

bool open_gtk_without_gl() {
    const bool set_here = !std::getenv("GDK_GL");
    if (set_here) g_setenv("GDK_GL", "disable", TRUE);
    const bool opened = gtk_init_check(nullptr, nullptr);
    if (set_here) g_unsetenv("GDK_GL");
    return opened;
}

} // namespace

std::unique_ptr<DesktopDisplay> DesktopDisplay::make(const DesktopHost& host) {
    g_set_prgname(host.identity.name.c_str());
    if (!open_gtk_without_gl()) {
        host.say_problem({"cannot open the desktop (DISPLAY or WAYLAND_DISPLAY)"});
        return nullptr;
    }
    end_process_when_display_lost(host.say_problem);
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        host.say_problem({"cannot reach the session bus: ", error->message});
        g_error_free(error);
        return nullptr;
    }
    std::unique_ptr<DesktopDisplay> display(new DesktopDisplay(bus, host));
    display->start();
    return display;
}

DesktopDisplay::DesktopDisplay(GDBusConnection* bus, const DesktopHost& host)
    : m_host(host), m_bus(bus), m_start_us(g_get_monotonic_time()) {}

DesktopDisplay::~DesktopDisplay() {
    finish();
    for (unsigned source : m_sources)
        g_source_remove(source);
    // The bus and the screen are shared and may outlive the display.
    g_signal_handler_disconnect(m_bus, m_closed_handler);
    if (GdkScreen* screen = gdk_screen_get_default())
        g_signal_handler_disconnect(screen, m_monitors_handler);
    g_signal_handler_disconnect(gtk_settings_get_default(), m_theme_handler);
    m_portal.reset();
    m_host.set_problem_handler(std::move(m_previous_problem_handler));
    g_object_unref(m_bus);
}

void DesktopDisplay::start() {
    g_set_application_name(m_host.identity.name.c_str());
    use_bundle_app_icon(m_host.identity.identifier);
    // Before anything is exported; its filter runs on GDBus's worker thread (bus_request_limits.h).
    m_limits = std::make_unique<BusRequestLimits>(m_bus);
    m_menu = std::make_unique<StatusMenuExporter>(k_menu_path,
                                                  [this](int number) { send(MenuChoice{number}); });
    m_portal = std::make_unique<AppearancePortal>(
        m_bus, [this](uint32_t scheme) { take_color_scheme(scheme); });
    take_color_scheme(m_portal->read_color_scheme());
    // The handler runs on the reporting thread, outside the reporter's lock, so a report may
    // still be on its way when the display has gone: it holds a reference of its own to the bus.
    std::shared_ptr<GDBusConnection> bus(G_DBUS_CONNECTION(g_object_ref(m_bus)), g_object_unref);
    m_previous_problem_handler = m_host.set_problem_handler(
        [bus, identity = m_host.identity](const std::string& text) {
            show_desktop_notification(bus.get(), identity, text);
        });
    follow_session();
}

// The session's own requests and changes: a signal to end, the bus closing, the screens.
void DesktopDisplay::follow_session() {
    auto terminate = [](gpointer self) -> gboolean {
        static_cast<DesktopDisplay*>(self)->send(TerminateRequest{});
        return G_SOURCE_CONTINUE;
    };
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        m_sources.push_back(g_unix_signal_add(signal, terminate, this));
    g_dbus_connection_set_exit_on_close(m_bus, FALSE);
    auto closed = [](GDBusConnection*, gboolean, GError*, gpointer self) {
        auto* display = static_cast<DesktopDisplay*>(self);
        if (display->m_ended) return;
        display->m_loss = SessionLoss::bus_closed;
        display->m_ended = true;
        display->m_host.say_problem({session_loss_facts(SessionLoss::bus_closed).line});
    };
    m_closed_handler = g_signal_connect(m_bus, "closed", G_CALLBACK(+closed), this);
    auto monitors_changed = [](GdkScreen*, gpointer self) {
        static_cast<DesktopDisplay*>(self)->send(ScreensChanged{});
    };
    m_monitors_handler = g_signal_connect(gdk_screen_get_default(), "monitors-changed",
                                          G_CALLBACK(+monitors_changed), this);
    auto theme_changed = [](GObject*, GParamSpec*, gpointer self) {
        auto* display = static_cast<DesktopDisplay*>(self);
        display->take_color_scheme(display->m_color_scheme);
    };
    m_theme_handler = g_signal_connect(gtk_settings_get_default(), "notify::gtk-theme-name",
                                       G_CALLBACK(+theme_changed), this);
}

void DesktopDisplay::take_color_scheme(std::optional<uint32_t> scheme) {
    m_color_scheme = scheme;
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    m_tint = choose_panel_tint(PanelFacts{scheme, desktop ? desktop : "", gtk_theme_is_dark()});
    if (m_item) m_item->set_tint(m_tint);
}

int64_t DesktopDisplay::now_ms() const {
    return (g_get_monotonic_time() - m_start_us) / 1000;
}

void DesktopDisplay::set_status(const std::optional<StatusSnapshot>& status) {
    if (!status) {
        if (m_item) m_item->withdraw();
        return;
    }
    if (!m_item && !m_item_failed && !m_finished) {
        m_item = StatusNotifierItem::make(m_bus, item_setup());
        m_item_failed = !m_item;
        if (m_item) m_item->set_tint(m_tint);
    }
    if (m_item) m_item->show(*status);
}

StatusItemSetup DesktopDisplay::item_setup() {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    return StatusItemSetup{
        .identity = m_host.identity,
        .say_problem = m_host.say_problem,
        .menu_path = k_menu_path,
        .current_desktop = desktop ? desktop : "",
        .icon_shows_title = m_host.stored_text_setting(k_icon_shows_title_key),
        .font_family = interface_font_family(),
        .host_found =
            [this](const PanelHost& host) {
                if (m_menu) m_menu->show_shortcuts(!host.drops_shortcuts);
            },
        .activated = [this](int x, int y) { pop_up_menu(x, y); },
    };
}

// For panels whose left click only says where it was.
void DesktopDisplay::pop_up_menu(int x, int y) {
    if (!m_menu || !m_menu->items()) return;
    if (!m_popup)
        m_popup = std::make_unique<ItemPopupMenu>([this](int number) { send(MenuChoice{number}); });
    m_popup->pop_up(*m_menu->items(), x, y);
}

void DesktopDisplay::set_status_menu(const std::optional<std::vector<MenuItemSnapshot>>& items) {
    if (m_menu) m_menu->show(items);
}

void DesktopDisplay::set_window(const WindowSnapshot& window) {
    if (m_finished) return;
    auto found = m_windows.find(window.number);
    if (found != m_windows.end()) return found->second->show(window);
    m_windows[window.number] =
        std::make_unique<DesktopWindow>(window, [this](Input input) { send(std::move(input)); });
}

void DesktopDisplay::window_closed(int number) {
    m_windows.erase(number);
}

int DesktopDisplay::run_alert(const AlertSnapshot& alert, ModalPass& modal_pass) {
    AlertDialog dialog(alert, m_host.identity);
    m_in_alert = true;
    for (;;) {
        std::optional<int64_t> deadline = modal_pass.run_due();
        if (dialog.answer() || m_ended) break;
        run_once(deadline);
    }
    m_in_alert = false;
    return dialog.answer().value_or(0);
}

void DesktopDisplay::play_sound(int id) {
    play_theme_sound(id, m_host.identity);
}

void DesktopDisplay::show_notification(const NotificationSnapshot& notification) {
    replace_desktop_notification(m_bus, m_host.identity, notification.title, notification.text,
                                 notification.urgent, m_notification_id);
}

bool DesktopDisplay::desktop_warns_about_battery() const {
    return desktop_power_manager_running(m_bus);
}

bool DesktopDisplay::open_url(const std::string& url) {
    return m_host.open_url(url);
}

void DesktopDisplay::will_exit(int) {
    finish();
}

int DesktopDisplay::exit_status(int status) const {
    return m_loss ? session_loss_facts(*m_loss).exit_status : status;
}

std::vector<ScreenRect> DesktopDisplay::screens() const {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* primary = display ? gdk_display_get_primary_monitor(display) : nullptr;
    std::vector<ScreenRect> screens;
    if (primary) screens.push_back(rect_of(primary));
    const int count = display ? gdk_display_get_n_monitors(display) : 0;
    for (int i = 0; i < count; ++i) {
        GdkMonitor* monitor = gdk_display_get_monitor(display, i);
        if (monitor && monitor != primary) screens.push_back(rect_of(monitor));
    }
    if (screens.empty()) screens.push_back(k_fallback_screen);
    return screens;
}

ScreenPoint DesktopDisplay::pointer() const {
    GdkDisplay* display = gdk_display_get_default();
    GdkSeat* seat = display ? gdk_display_get_default_seat(display) : nullptr;
    GdkDevice* device = seat ? gdk_seat_get_pointer(seat) : nullptr;
    if (!device) return {};
    int x = 0;
    int y = 0;
    gdk_device_get_position(device, nullptr, &x, &y);
    return ScreenPoint{static_cast<double>(x), static_cast<double>(y)};
}

Input DesktopDisplay::wait_for_input(std::optional<int64_t> deadline_ms) {
    for (;;) {
        if (!m_inputs.empty()) {
            Input input = std::move(m_inputs.front());
            m_inputs.pop_front();
            return input;
        }
        if (m_ended) return EndOfInput{};
        if (deadline_ms && *deadline_ms <= now_ms()) return Timeout{};
        if (m_interrupted.exchange(false)) return Timeout{};
        run_once(deadline_ms);
    }
}

// The flag is set before the wake-up, so the iteration it ends sees it.
void DesktopDisplay::interrupt_wait() {
    m_interrupted.store(true);
    g_main_context_wakeup(nullptr);
}

void DesktopDisplay::reject_input(const Input&, const std::string& message) {
    m_host.say_problem({message});
    if (GdkDisplay* display = gdk_display_get_default()) gdk_display_beep(display);
}

// While an alert is up only a request to end waits for it to be answered (alert_time_input.h).
void DesktopDisplay::send(Input input) {
    if (m_in_alert) {
        std::span<const MenuItemSnapshot> menu;
        if (m_menu && m_menu->items()) menu = *m_menu->items();
        switch (input_during_alert(input, menu)) {
        case AlertTimeInput::keep:
            break;
        case AlertTimeInput::refuse:
            if (GdkDisplay* display = gdk_display_get_default()) gdk_display_beep(display);
            return;
        case AlertTimeInput::drop:
            return;
        }
    }
    m_inputs.push_back(std::move(input));
}

void DesktopDisplay::run_once(std::optional<int64_t> deadline_ms) {
    bool fired = false;
    guint timer = 0;
    if (deadline_ms) {
        const int64_t wait = std::clamp<int64_t>(*deadline_ms - now_ms(), 0, INT_MAX);
        timer = g_timeout_add(static_cast<guint>(wait), stop_waiting, &fired);
    }
    g_main_context_iteration(nullptr, TRUE);
    if (timer && !fired) g_source_remove(timer);
}

// The item leaves the panel and the windows close before the process ends.
void DesktopDisplay::finish() {
    if (m_finished) return;
    m_finished = true;
    m_windows.clear();
    m_popup.reset();
    m_item.reset();
    m_menu.reset();
    g_dbus_connection_flush_sync(m_bus, nullptr, nullptr);
    while (g_main_context_pending(nullptr))
        g_main_context_iteration(nullptr, FALSE);
}

Display* zerarazi_make_desktop_display(const DesktopHost* host) {
    return DesktopDisplay::make(*host).release();
}
