#include "runtime/ui/wait_event.h"

#include "platform/appkit/ns_event.h"
#include "platform/appkit/ns_responder.h"
#include "platform/appkit/ns_window.h"
#include "platform/foundation/ns_string.h"
#include "platform/objc/class_registry.h"
#include "platform/objc/message_send.h"
#include "platform/objc/selector.h"
#include "runtime/ui/application.h"
#include "runtime/ui/editing_keys.h"
#include "runtime/ui/event_pump.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/window_records.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

namespace rt {
namespace {

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

TEST(WaitEvent, WaitsOnVirtualTimeUntilItsDeadline) {
    DriverSession session("advance 60000\n");
    ASSERT_EQ(InitApplication(), 1);
    ASSERT_EQ(InitEvents(), 1);
    // Waits that yield only native events (a wake left by an earlier test) go on waiting.
    auto wait = [](int32_t milliseconds) {
        int32_t kind = PumpNoRuntimeEvent;
        while (kind == PumpNoRuntimeEvent)
            kind = WaitEventTimeout(milliseconds);
        return kind;
    };
    EXPECT_EQ(wait(0), PumpTimedOut); // a look returns at once
    EXPECT_EQ(session.display.now_ms(), 0);
    EXPECT_EQ(wait(250), PumpTimedOut);
    EXPECT_EQ(session.display.now_ms(), 250);
}

TEST(WaitEvent, EditingKeysGoToTheFirstResponder) {
    DriverSession session("");
    ASSERT_EQ(InitApplication(), 1);
    ASSERT_EQ(InitEvents(), 1);
    ASSERT_EQ(InitWindows(), 1);
    ASSERT_NE(NewWindow(1, 0, 0, 320, 290, u"Keys", 68), 0);
    auto* window = reinterpret_cast<NSWindow*>(WindowObject(1));
    ObjcRef<NSResponder> responder = ObjcRef<NSResponder>::adopt(make_recording_responder());
    window->makeFirstResponder(responder.get());
    // Undo always passes the key on to the window; copy, handled, stops it; paste, not answered
    // by the responder, goes on.
    const std::tuple<const char16_t*, const char*, int, int> cases[] = {
        {u"z", "undo:", 1, 1}, {u"c", "copy:", 1, 0}, {u"v", "paste:", 0, 1}};
    for (const auto& [text, action, answered, key_downs] : cases) {
        received().clear();
        ObjcRef<NSString> key = NSString::make(text);
        msg_send<void>(
            NSApp, "sendEvent:",
            NSEvent::keyEventWithType(nil, NSEventTypeKeyDown, {0, 0}, NSEventModifierFlagCommand,
                                      0, window->windowNumber(), nil, key.get(), key.get(), NO, 0));
        EXPECT_EQ(std::tuple(received()[action], received()["keyDown:"]),
                  std::tuple(answered, key_downs))
            << action;
    }
    DisposeWindow(AutoNumber);
}

// Device-dependent bits below the mask and bits above 32 do not count.
TEST(EditingKeys, FindsTheActionOfCommandKeysOnKeyDown) {
    constexpr uint64_t command = 0x100000, shift = 0x20000, option = 0x80000;
    const std::tuple<int64_t, uint64_t, std::u16string, std::string, bool> cases[] = {
        {10, command, u"c", "copy:", false},
        {10, command, u"z", "undo:", true},
        {10, command | shift, u"z", "redo:", false},
        {10, command | 0x108 | (uint64_t{1} << 40), u"c", "copy:", false},
        {10, command | shift, u"c", "", false},
        {10, command | option, u"z", "", false},
        {10, command, u"Z", "", false},
        {10, 0, u"x", "", false},
        {11, command, u"x", "", false},
    };
    for (const auto& [type, modifiers, characters, action, passed_on] : cases) {
        const EditingKey* key = find_editing_key(type, modifiers, characters);
        EXPECT_EQ(key ? std::tuple(std::string(key->action), key->always_passed_on)
                      : std::tuple(std::string(), false),
                  std::tuple(action, passed_on))
            << "modifiers " << std::hex << modifiers;
    }
}

} // namespace
} // namespace rt
