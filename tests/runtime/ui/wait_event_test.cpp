#include "runtime/ui/wait_event.h"

#include "platform/appkit/ns_event.h"
#include "platform/appkit/ns_responder.h"
#include "platform/appkit/ns_window.h"
#include "platform/foundation/ns_string.h"
#include "platform/objc/class_registry.h"
#include "platform/objc/selector.h"
#include "runtime/ui/application.h"
#include "runtime/ui/event_pump.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/window_records.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using namespace rt;

// What reached the window's first responder, by selector.
std::map<std::string, int>& received() {
    static std::map<std::string, int> counts;
    return counts;
}

void count_message(id, SEL selector, id) {
    ++received()[sel_getName(selector)];
}

// A responder made at run time that counts key-downs and the editing actions it answers.
NSResponder* make_recording_responder() {
    static Class recorder = [] {
        Class cls = objc_allocateClassPair(native_class<NSResponder>(), "KeyRecordingResponder", 0);
        for (const char* selector : {"keyDown:", "undo:", "copy:"})
            class_addMethod(cls, sel_registerName(selector), reinterpret_cast<IMP>(&count_message),
                            "v@:@");
        objc_registerClassPair(cls);
        return cls;
    }();
    return static_cast<NSResponder*>(class_createInstance(recorder, 0));
}

// The next wait that yields a runtime event other than a repaint (the display draws the windows
// before it waits), or 0 when a wait times out first.
int32_t next_runtime_event(int32_t milliseconds) {
    for (;;) {
        int32_t kind = WaitEventTimeout(milliseconds);
        if (kind != PumpNoRuntimeEvent && kind != EventKindRepaint) return kind;
    }
}

class WaitEventTest : public testing::Test {
  protected:
    void start(const std::string& script) {
        m_session.emplace(script);
        ASSERT_EQ(InitApplication(), 1);
        ASSERT_EQ(InitEvents(), 1);
        ASSERT_EQ(InitWindows(), 1);
        received().clear();
    }
    void TearDown() override {
        DisposeWindow(AutoNumber);
        while (next_runtime_event(0) != 0) {
        }
    }

    // Opens window 1 with a recording first responder, and takes the events of its opening.
    void open_recording_window() {
        ASSERT_NE(NewWindow(1, 0, 0, 320, 290, u"Keys", 68), 0);
        m_responder = ObjcRef<NSResponder>::adopt(make_recording_responder());
        reinterpret_cast<NSWindow*>(WindowObject(1))->makeFirstResponder(m_responder.get());
        while (TakeEvent() != EventKindNone) {
        }
    }

    std::optional<DriverSession> m_session;
    ObjcRef<NSResponder> m_responder;
};

TEST_F(WaitEventTest, WaitsOnVirtualTimeUntilItsDeadline) {
    start("advance 60000\n");
    EXPECT_EQ(next_runtime_event(0), PumpTimedOut); // a look returns at once
    EXPECT_EQ(next_runtime_event(250), PumpTimedOut);
    EXPECT_EQ(m_session->display.now_ms(), 250);
}

TEST_F(WaitEventTest, EditingKeysGoToTheFirstResponder) {
    struct Case {
        const char* key;
        const char* action;
        int key_downs; // how often the key itself reached the window
    } cases[] = {
        {"cmd+z", "undo:", 1},  // undo always passes the key on
        {"cmd+c", "copy:", 0},  // handled: the key stops there
        {"cmd+v", "paste:", 1}, // not answered: the key goes on to the window
    };
    for (const Case& c : cases) {
        start(std::string("key 1 ") + c.key + "\nadvance 10\n");
        open_recording_window();
        EXPECT_EQ(next_runtime_event(100), PumpTimedOut) << c.key;
        EXPECT_EQ(received()[c.action], std::string(c.action) == "paste:" ? 0 : 1) << c.key;
        EXPECT_EQ(received()["keyDown:"], c.key_downs) << c.key;
        DisposeWindow(1);
    }
}

} // namespace
