#pragma once
// The system bus, followed on a thread of its own with its own GLib main context and loop (the
// terminal display runs no GLib loop, and the desktop's belongs to the main thread). What comes
// from it reaches the model without a bus message on the model's side: sleep and wake through
// the notice sink that start-up connects (sleep_watcher.h), the power profile as a value the
// battery sources read (power_profile_watcher.h).
//
// Every source is optional. Without the bus one line goes to standard error and nothing else
// changes: no sleep notices, and Low Power Mode from the platform profile.

#include "platform/system/sleep_watcher.h"

#include <memory>
#include <string>

class SystemBus {
  public:
    // Starts the thread, which connects to the bus ($DBUS_SYSTEM_BUS_ADDRESS, else the
    // system's) and watches it until the object goes; sleep and wake go to `notices`. `who` is
    // the program's name, as logind lists the holder of its sleep inhibitor.
    static std::unique_ptr<SystemBus> start(SleepNoticeSink notices, std::string who);
    // Stops the thread's loop and waits for the thread.
    ~SystemBus();
    SystemBus(const SystemBus&) = delete;
    SystemBus& operator=(const SystemBus&) = delete;

    class Thread;

  private:
    SystemBus(SleepNoticeSink notices, std::string who);
    std::unique_ptr<Thread> m_thread;
};
