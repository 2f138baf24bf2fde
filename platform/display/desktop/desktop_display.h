#pragma once
// The display on a Linux desktop: the status item in the panel (a StatusNotifierItem with its
// menu over com.canonical.dbusmenu), windows and alerts as GTK windows and dialogs, sounds from
// the sound theme. Time is real; every wait runs the GLib main context until input arrives or
// the deadline passes, so an idle process sleeps until the model's next timer.

#include "platform/display/desktop/desktop_notification.h"
#include "platform/display/desktop/panel_tint.h"
#include "platform/display/desktop/session_loss.h"
#include "platform/display/desktop_module.h"
#include "platform/display/display.h"
#include "platform/foundation/problem_report.h"

#include <atomic>
#include <deque>
#include <map>
#include <memory>

class AppearancePortal;
class BusRequestLimits;
class DesktopWindow;
class ItemPopupMenu;
class StatusMenuExporter;
class StatusNotifierItem;
struct StatusItemSetup;
struct _GDBusConnection;

class DesktopDisplay final : public Display {
  public:
    // Null when GTK cannot open the desktop or the session bus cannot be reached; the reason is
    // on standard error.
    static std::unique_ptr<DesktopDisplay> make(const DesktopHost& host);
    ~DesktopDisplay() override;

    int64_t now_ms() const override;
    void set_status(const std::optional<StatusSnapshot>& status) override;
    bool shows_status_pixels() const override { return true; }
    void set_status_menu(const std::optional<std::vector<MenuItemSnapshot>>& items) override;
    void set_window(const WindowSnapshot& window) override;
    void window_closed(int number) override;
    int run_alert(const AlertSnapshot& alert, ModalPass& modal_pass) override;
    void play_sound(int id) override;
    void show_notification(const NotificationSnapshot& notification) override;
    bool desktop_warns_about_battery() const override;
    bool open_url(const std::string& url) override;
    void will_exit(int status) override;
    // The loss's status once the session bus has closed (session_loss.h).
    int exit_status(int status) const override;
    std::vector<ScreenRect> screens() const override;
    ScreenPoint pointer() const override;
    Input wait_for_input(std::optional<int64_t> deadline_ms) override;
    void reject_input(const Input& input, const std::string& message) override;
    void interrupt_wait() override;

  private:
    DesktopDisplay(_GDBusConnection* bus, const DesktopHost& host);
    void start();
    StatusItemSetup item_setup();
    void pop_up_menu(int x, int y);
    void send(Input input);
    // Runs the main context once, waiting no later than `deadline_ms`.
    void run_once(std::optional<int64_t> deadline_ms);
    void follow_session();
    void take_color_scheme(std::optional<uint32_t> scheme);
    void finish();

    const DesktopHost m_host;
    _GDBusConnection* m_bus;
    NotificationId m_notification_id = std::make_shared<uint32_t>(0);
    const int64_t m_start_us;
    std::unique_ptr<BusRequestLimits> m_limits;
    std::unique_ptr<StatusMenuExporter> m_menu;
    std::unique_ptr<StatusNotifierItem> m_item;
    std::unique_ptr<ItemPopupMenu> m_popup; // the menu the item opens itself, once asked to
    std::unique_ptr<AppearancePortal> m_portal;
    std::map<int, std::unique_ptr<DesktopWindow>> m_windows;
    std::deque<Input> m_inputs;
    std::vector<unsigned> m_sources; // GLib sources to remove at the end
    unsigned long m_closed_handler = 0;
    unsigned long m_monitors_handler = 0;
    unsigned long m_theme_handler = 0;
    std::optional<uint32_t> m_color_scheme; // the portal's last word
    PanelTint m_tint = PanelTint::light;
    bool m_item_failed = false; // the bus refused the status item; it is not tried again
    bool m_in_alert = false;
    bool m_ended = false;
    std::optional<SessionLoss> m_loss; // why input ended, when the session went
    bool m_finished = false;
    std::atomic<bool> m_interrupted{false};
    // Problems such as a setting that could not be stored are shown as notifications while
    // the display lives.
    ProblemHandler m_previous_problem_handler;
};
