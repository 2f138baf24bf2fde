#pragma once
// What the driver display writes: one JSON object per line, each with the virtual time "t", and
// the bookkeeping that writes an object only when what a person would see of it has changed.

#include "platform/display/display_snapshots.h"
#include "platform/display/driver/driver_clock.h"
#include "platform/display/history_charts.h"
#include "platform/display/output_failure.h"

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Each returns one complete line without its newline.
std::string status_line(int64_t t, const StatusSnapshot& status);
std::string menu_line(int64_t t, const std::vector<MenuItemSnapshot>& items);
std::string window_line(int64_t t, const WindowSnapshot& window);
std::string window_closed_line(int64_t t, int number);
std::string alert_line(int64_t t, const AlertSnapshot& alert);
std::string sound_line(int64_t t, int id);
std::string notification_line(int64_t t, const NotificationSnapshot& notification);
std::string open_line(int64_t t, const std::string& url);
std::string exit_line(int64_t t, int status);
std::string error_line(int64_t t, const std::string& command, const std::string& message);
std::string end_line(int64_t t);
// The charts of the battery's history, each under its name; `charts` null: "history":null.
std::string history_line(int64_t t, const HistoryCharts* charts);

// Holds the visible state the model last reported and the state last written, and writes the
// difference on write_changes(). Windows are written in order of their numbers; a window that was
// never written while visible is not written at all, not even when it closes.
class DriverOutput {
  public:
    // Both are borrowed and must outlive the output.
    DriverOutput(std::ostream& out, const DriverClock& clock) : m_out(out), m_clock(clock) {}

    void set_status(const std::optional<StatusSnapshot>& status) { m_status.report(status); }
    void set_status_menu(const std::optional<std::vector<MenuItemSnapshot>>& items) {
        m_menu.report(items);
    }
    void set_window(const WindowSnapshot& window) { m_windows[window.number].current = window; }
    void window_closed(int number);
    // Null: the alert on screen was answered.
    void set_alert(const std::optional<AlertSnapshot>& alert);

    const std::optional<std::vector<MenuItemSnapshot>>& status_menu() const {
        return m_menu.current;
    }
    // Null for a window that is closed or was never reported.
    const WindowSnapshot* window(int number) const;
    const std::optional<AlertSnapshot>& alert() const { return m_alert; }
    // Numbers of the open windows, in ascending order.
    std::vector<int> window_numbers() const;

    // One line for each object that changed since it was last written: status item, status
    // menu, windows, alert.
    void write_changes();
    // Every object as if all had changed.
    void write_all();
    // Writes `line` at once, outside the change tracking (sound, open, exit, error, end).
    void write_line(const std::string& line);
    const OutputFailure& failure() const { return m_failure; }

  private:
    template <typename T>
    struct Tracked {
        std::optional<T> current;
        std::optional<T> written;
    };

    // The model reports the status item and its menu at nearly every wait, nearly always as they
    // were: a report is compared once and copied only when it differs, and `unsure` is false
    // only while `current` is known to equal `written`.
    template <typename T>
    struct Reported : Tracked<T> {
        bool unsure = true;

        void report(const std::optional<T>& value) {
            if (this->current == value) return;
            this->current = value;
            unsure = true;
        }
        // Whether `current` differs from `written`, which then becomes `current`.
        bool catch_up() {
            const bool changed = unsure && this->current != this->written;
            if (changed) this->written = this->current;
            unsure = false;
            return changed;
        }
    };

    void write_status(bool all);
    void write_menu(bool all);
    void write_windows(bool all);
    void write_alert(bool all);

    std::ostream& m_out;
    const DriverClock& m_clock;
    Reported<StatusSnapshot> m_status;
    Reported<std::vector<MenuItemSnapshot>> m_menu;
    // A window whose `current` is null has closed and waits for its closed line.
    std::map<int, Tracked<WindowSnapshot>> m_windows;
    std::optional<AlertSnapshot> m_alert;
    bool m_alert_written = false;
    OutputFailure m_failure;
};
