#pragma once
// Helpers shared by the run loop, timer and notification tests: an object that records the
// actions it receives, and a virtual clock installed for one test.

#include "platform/foundation/ns_notification.h"
#include "platform/foundation/ns_run_loop.h"
#include "platform/foundation/ns_timer.h"
#include "platform/foundation/virtual_clock.h"
#include "platform/objc/native_class.h"
#include "platform/objc/selector.h"

#include <functional>
#include <string>
#include <vector>

// Receives timer actions (tick:) and notifications (noted:) and writes them down.
class ActionRecorder : public NSObject {
  public:
    void tick(NSTimer* timer) {
        times.push_back(platform_now());
        if (log) log->push_back(label);
        if (on_action) on_action(timer);
    }
    void noted(NSNotification* notification) {
        notifications.push_back(notification ? notification->name()->utf8() : "<nil>");
        if (log) log->push_back(label);
        if (on_action) on_action(notification);
    }

    std::string label;
    std::vector<std::string>* log = nullptr; // shared between recorders to see the order
    std::vector<double> times;
    std::vector<std::string> notifications;
    std::function<void(id)> on_action;
};

inline ObjcRef<ActionRecorder> make_recorder(std::string label = {},
                                             std::vector<std::string>* log = nullptr) {
    static Class s_class =
        register_native_class<ActionRecorder>("TimerTestActionRecorder", "NSObject",
                                              {
                                                  instance_method<&ActionRecorder::tick>("tick:"),
                                                  instance_method<&ActionRecorder::noted>("noted:"),
                                              });
    (void)s_class;
    ObjcRef<ActionRecorder> recorder = make_native<ActionRecorder>();
    recorder->label = std::move(label);
    recorder->log = log;
    return recorder;
}

// A timer sending tick: to `target`, added to `loop` in `mode`.
inline NSTimer* add_loop_timer(NSRunLoop* loop, double interval, id target,
                               NSString* mode = NSDefaultRunLoopMode, bool repeats = true) {
    NSTimer* timer = NSTimer::timerWithTimeInterval(nil, interval, target,
                                                    sel_registerName("tick:"), nil, repeats);
    loop->addTimer(timer, mode);
    return timer;
}

// A virtual clock at 0, installed as the platform's clock and waiter for the test.
class VirtualTime {
  public:
    VirtualTime() : m_scope(clock) {}
    VirtualClock clock;

  private:
    VirtualClockScope m_scope;
};
