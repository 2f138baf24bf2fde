#pragma once
// The terminal's own settings while the display runs: keys arrive one at a time without echo and
// the cursor is hidden. Whatever way the process ends - restore(), destruction, exit(), or
// SIGINT, SIGTERM, SIGHUP or SIGQUIT - the settings saved at the start come back, attributes are
// reset, the cursor shows again and a final newline ends the display's last line. The signal path
// only calls tcsetattr and write, then lets the signal take its default course.
//
// Control-Z puts the terminal back the same way before the process stops. Once it continues, and
// whenever the window's size changes, wake_fd() becomes readable: the owner then takes the
// changes and, after a stop, resumes key-at-a-time mode.

struct TerminalChanges {
    bool continued = false; // the process was stopped and goes on: call resume()
    bool resized = false;
};

class TerminalMode {
  public:
    // Neither descriptor is owned. When `in_fd` is not a terminal its settings are left alone;
    // the output still gets its cursor and attributes back. Only one TerminalMode is in charge
    // at a time: one made while another is active changes nothing.
    TerminalMode(int in_fd, int out_fd);
    ~TerminalMode();
    TerminalMode(const TerminalMode&) = delete;
    TerminalMode& operator=(const TerminalMode&) = delete;

    // Puts the terminal back now; later calls do nothing.
    void restore();

    // Readable once there are changes to take; -1 when this mode is not in charge.
    int wake_fd() const { return m_wake_fd; }
    TerminalChanges take_changes();
    // Whether there are changes to take, without taking them or making a system call.
    bool changes_pending() const;
    // Takes the terminal again after a stop; nothing when the terminal was not given back.
    void resume();

    // Keys come one at a time because the input is a terminal in key-at-a-time mode.
    bool raw() const { return m_raw; }
    bool in_charge() const { return m_in_charge; }

  private:
    bool m_raw = false;
    bool m_in_charge = false;
    int m_wake_fd = -1;
};
