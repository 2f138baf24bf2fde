#pragma once
// A display for tests of screen arithmetic: it reports the screens it is given and counts how
// often it is asked; everything else does nothing.

#include "platform/display/display.h"

#include <string>
#include <vector>

class ScreensDisplay final : public Display {
  public:
    explicit ScreensDisplay(std::vector<ScreenRect> screens) : m_screens(std::move(screens)) {}
    void set_screens(std::vector<ScreenRect> screens) { m_screens = std::move(screens); }

    int64_t now_ms() const override { return 0; }
    void set_status(const std::optional<StatusSnapshot>&) override {}
    void set_status_menu(const std::optional<std::vector<MenuItemSnapshot>>&) override {}
    void set_window(const WindowSnapshot&) override {}
    void window_closed(int) override {}
    int run_alert(const AlertSnapshot&, ModalPass&) override { return 0; }
    void play_sound(int) override {}
    void show_notification(const NotificationSnapshot&) override {}
    bool open_url(const std::string&) override { return false; }
    void will_exit(int) override {}
    std::vector<ScreenRect> screens() const override {
        ++screen_reads;
        return m_screens;
    }
    ScreenPoint pointer() const override { return {}; }
    Input wait_for_input(std::optional<int64_t>) override { return EndOfInput{}; }
    void reject_input(const Input&, const std::string&) override {}

    // How often the screens were asked for.
    mutable int screen_reads = 0;

  private:
    std::vector<ScreenRect> m_screens;
};
