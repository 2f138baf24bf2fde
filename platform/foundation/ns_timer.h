#pragma once
// NSTimer: sends its selector to its target, with the timer as argument, when a run loop running
// in one of the timer's modes finds it due. A repeating timer keeps its schedule: its firings are
// the first fire date plus whole multiples of the interval, so it never drifts. One that missed
// several firings (its modes were not run, or the program was busy) fires once and moves on to
// the first multiple after now.
//
// The target and the user information are retained. The target is released when the timer is
// invalidated (a timer that does not repeat invalidates itself after firing); the user
// information stays readable until the timer itself is freed.

#include "platform/foundation/ns_date.h"
#include "platform/objc/native_class.h"

class NSRunLoop;

class NSTimer : public NSObject {
  public:
    NSTimer() = default;

    // Class methods. The scheduled form adds the timer to the current run loop in the default
    // mode. An interval of zero or less becomes 0.1 ms for a repeating timer, as on the platform.
    static NSTimer* scheduledTimerWithTimeInterval(Class self, NSTimeInterval interval, id target,
                                                   SEL selector, id user_info, BOOL repeats);
    static NSTimer* timerWithTimeInterval(Class self, NSTimeInterval interval, id target,
                                          SEL selector, id user_info, BOOL repeats);

    // -initWithFireDate:interval:target:selector:userInfo:repeats:; a nil date means now.
    id initWithFireDate(NSDate* date, NSTimeInterval interval, id target, SEL selector,
                        id user_info, BOOL repeats);

    // Stops the timer for good and takes it off its run loop; the target is released.
    void invalidate();
    BOOL isValid() const { return m_valid ? YES : NO; }
    // Sends the action now without changing the schedule; a non-repeating timer is then
    // invalidated. Does nothing to an invalid timer.
    void fire();
    id userInfo() const { return m_user_info.get(); }

    // For the run loop.
    double next_fire_time() const { return m_fire_time; }
    // True while the action runs; a run nested in the action does not fire the timer again.
    bool is_firing() const { return m_firing; }
    bool repeats() const { return m_repeats; }
    // Moves a repeating timer's next firing to the first point of its schedule after `now`.
    void reschedule_after(double now);
    NSRunLoop* run_loop() const { return m_run_loop; }
    void set_run_loop(NSRunLoop* loop) { m_run_loop = loop; }

  private:
    void configure(double first_fire_time, NSTimeInterval interval, id target, SEL selector,
                   id user_info, bool repeats);

    double m_anchor_time = 0; // where the schedule's multiples count from
    double m_fire_time = 0;
    NSTimeInterval m_interval = 0;
    ObjcRef<> m_target;
    SEL m_selector = nullptr;
    ObjcRef<> m_user_info;
    bool m_repeats = false;
    bool m_valid = false;
    bool m_firing = false;
    NSRunLoop* m_run_loop = nullptr; // not retained: the run loop holds the timer
};

void register_ns_timer_class();
