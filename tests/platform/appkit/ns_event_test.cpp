#include "platform/appkit/ns_event.h"

#include "platform/appkit/ns_window.h"
#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

TEST(NSEvent, KeyPressesBecomeKeyDownEvents) {
    struct Row {
        uint8_t modifiers;
        const char* key;
        NSUInteger flags;
        std::u16string characters;
        std::u16string ignoring;
        unsigned short key_code;
    };
    constexpr auto cmd = static_cast<uint8_t>(KeyModifier::command);
    constexpr auto shift = static_cast<uint8_t>(KeyModifier::shift);
    const Row rows[] = {
        {cmd | shift, "Z", NSEventModifierFlagCommand | NSEventModifierFlagShift, u"Z", u"z", 6},
        {cmd, "f12", NSEventModifierFlagCommand, u"\uF70F", u"\uF70F", 111},
        {0, "é", 0, u"é", u"é", NSEvent::k_unknown_key_code}};
    for (const Row& row : rows) {
        NSEvent* event = NSEvent::key_down_for_press(KeyPress{row.modifiers, row.key}, 4);
        ASSERT_NE(event, nil) << row.key;
        EXPECT_EQ(event->type(), NSEventTypeKeyDown) << row.key;
        EXPECT_EQ(event->modifierFlags(), row.flags) << row.key;
        EXPECT_EQ(units_of(event->characters()), row.characters) << row.key;
        EXPECT_EQ(units_of(event->charactersIgnoringModifiers()), row.ignoring) << row.key;
        EXPECT_EQ(event->keyCode(), row.key_code) << row.key;
        EXPECT_EQ(event->windowNumber(), 4) << row.key;
    }
}
