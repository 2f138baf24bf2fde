#pragma once
// Helpers for tests that run the model over the driver display: a display fed by a script and
// installed for one test, the shared application in a clean state, and an exit handler that
// records instead of ending the process (a session holds one, since the end of its script asks
// the process to end).

#include "platform/appkit/ns_application.h"
#include "platform/display/driver/driver_display.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/ns_date.h"
#include "platform/foundation/ns_run_loop.h"
#include "platform/startup/model_on_display.h"

#include <functional>
#include <sstream>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

// Records the statuses the process would have ended with, for the life of the scope.
struct ExitRecorder {
    ExitRecorder()
        : m_previous(
              NSApplication::set_exit_handler([this](int status) { statuses.push_back(status); })) {
    }
    ~ExitRecorder() { NSApplication::set_exit_handler(std::move(m_previous)); }
    ExitRecorder(const ExitRecorder&) = delete;
    ExitRecorder& operator=(const ExitRecorder&) = delete;

    std::vector<int> statuses;

  private:
    std::function<void(int status)> m_previous;
};

// The lines written to `out`.
inline Lines written_lines(const std::ostringstream& out) {
    Lines lines;
    std::istringstream written(out.str());
    for (std::string line; std::getline(written, line);)
        lines.push_back(line);
    return lines;
}

// A driver display reading `script`, on its own: nothing is shown on it unless the test does.
struct DriverScript {
    explicit DriverScript(std::string script) : in(std::move(script)) {}

    std::istringstream in;
    std::ostringstream out;
    DriverDisplay display{in, out};

    Lines lines() const { return written_lines(out); }
    // The lines written since the last call.
    Lines take_lines() {
        Lines taken = lines();
        out.str({});
        return taken;
    }
};

// A driver script installed as the current display, showing the model, for the session's life.
struct DriverSession : DriverScript {
    explicit DriverSession(std::string script) : DriverScript(std::move(script)) {}

    ExitRecorder exits;
    ModelOnDisplay scope{display};
};

// The shared application with no delegate and an empty event queue.
inline NSApplication* clean_application() {
    NSApplication* app = NSApplication::sharedApplication(nil);
    app->setDelegate(nil);
    while (app->nextEventMatchingMaskUntilDateInModeDequeue(NSEventMaskAny, nil,
                                                            NSDefaultRunLoopMode, YES)) {
    }
    return app;
}

// Waits for the next event of any type until `seconds` from now on the platform clock.
inline NSEvent* next_event_within(double seconds) {
    ObjcRef<NSDate> until = NSDate::make(platform_now() + seconds);
    return NSApp->nextEventMatchingMaskUntilDateInModeDequeue(NSEventMaskAny, until.get(),
                                                              NSDefaultRunLoopMode, YES);
}

// Waits for the next event of any type without a deadline (until the script ends).
inline NSEvent* next_event() {
    return next_event_within(k_no_deadline);
}
