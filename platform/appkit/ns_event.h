#pragma once
// NSEvent: one happening of the window system, immutable once made. Key events carry the typed
// characters and a key code; mouse events a location and a click count; application-defined
// events a subtype and two data words (the runtime posts them to wake a waiting loop).

#include "platform/appkit/ns_geometry.h"
#include "platform/display/keyboard.h"
#include "platform/foundation/ns_string.h"
#include "platform/objc/native_class.h"

#include <cstdint>

class NSWindow;

enum : NSUInteger {
    NSEventTypeLeftMouseDown = 1,
    NSEventTypeLeftMouseUp = 2,
    NSEventTypeRightMouseUp = 4,
    NSEventTypeKeyDown = 10,
    NSEventTypeApplicationDefined = 15,
};

// The flags are written in the keyboard's table, beside the names scripts use for the modifiers.
inline constexpr NSUInteger NSEventModifierFlagShift =
    key_modifier_row(KeyModifier::shift).event_flag;
inline constexpr NSUInteger NSEventModifierFlagControl =
    key_modifier_row(KeyModifier::control).event_flag;
inline constexpr NSUInteger NSEventModifierFlagOption =
    key_modifier_row(KeyModifier::alternate).event_flag;
inline constexpr NSUInteger NSEventModifierFlagCommand =
    key_modifier_row(KeyModifier::command).event_flag;

// The flags of the modifier bits of a KeyPress or MenuItemSnapshot, and back.
NSUInteger event_flags_of(uint8_t modifiers);
uint8_t key_modifiers_of(NSUInteger flags);

// The mask bit of an event type in nextEventMatchingMask:...
constexpr uint64_t NSEventMaskFromType(NSUInteger type) {
    return type < 64 ? uint64_t{1} << type : 0;
}
inline constexpr uint64_t NSEventMaskAny = ~0ull;

class NSEvent : public NSObject {
  public:
    NSEvent() = default;

    // Each returns an autoreleased event; the context is retained.
    static NSEvent* otherEventWithType(Class self, NSUInteger type, NSPoint location,
                                       NSUInteger flags, double timestamp, NSInteger window_number,
                                       id context, short subtype, NSInteger data1, NSInteger data2);
    static NSEvent* keyEventWithType(Class self, NSUInteger type, NSPoint location,
                                     NSUInteger flags, double timestamp, NSInteger window_number,
                                     id context, NSString* characters,
                                     NSString* characters_ignoring_modifiers, BOOL repeat,
                                     unsigned short key_code);
    static NSEvent* mouseEventWithType(Class self, NSUInteger type, NSPoint location,
                                       NSUInteger flags, double timestamp, NSInteger window_number,
                                       id context, NSInteger event_number, NSInteger click_count,
                                       float pressure);
    // The display's pointer in bottom-left screen coordinates; 0,0 without a display.
    static NSPoint mouseLocation(Class self);

    // For the model: the key-down event a person's key press makes in window `window_number`,
    // autoreleased. The characters ignoring modifiers are the key's character (a letter in lower
    // case); the characters are the same, but upper case for a letter typed with shift. Named
    // keys give the platform's characters for them (return "\r", f5 U+F708). The key code is
    // the US layout's; a character that layout lacks gets k_unknown_key_code.
    static NSEvent* key_down_for_press(const KeyPress& press, NSInteger window_number);
    static constexpr unsigned short k_unknown_key_code = 0xFFFF;

    NSUInteger type() const { return m_type; }
    NSUInteger modifierFlags() const { return m_flags; }
    unsigned short keyCode() const { return m_key_code; }
    // Nil for events other than key events.
    NSString* characters() const { return m_characters.get(); }
    NSString* charactersIgnoringModifiers() const { return m_characters_ignoring.get(); }
    BOOL isARepeat() const { return m_repeat ? YES : NO; }
    NSInteger clickCount() const { return m_click_count; }
    NSInteger eventNumber() const { return m_event_number; }
    float pressure() const { return m_pressure; }
    NSInteger windowNumber() const { return m_window_number; }
    // The application's window with the event's window number; nil when it has none.
    NSWindow* window() const;
    short subtype() const { return m_subtype; }
    NSInteger data1() const { return m_data1; }
    NSInteger data2() const { return m_data2; }
    NSPoint locationInWindow() const { return m_location; }
    double timestamp() const { return m_timestamp; }
    id context() const { return m_context.get(); }

  private:
    static NSEvent* make_autoreleased(Class cls, NSUInteger type, NSPoint location,
                                      NSUInteger flags, double timestamp, NSInteger window_number,
                                      id context);

    NSUInteger m_type = 0;
    NSPoint m_location{};
    NSUInteger m_flags = 0;
    double m_timestamp = 0;
    NSInteger m_window_number = 0;
    ObjcRef<> m_context;
    ObjcRef<NSString> m_characters;
    ObjcRef<NSString> m_characters_ignoring;
    bool m_repeat = false;
    unsigned short m_key_code = 0;
    NSInteger m_event_number = 0;
    NSInteger m_click_count = 0;
    float m_pressure = 0;
    short m_subtype = 0;
    NSInteger m_data1 = 0;
    NSInteger m_data2 = 0;
};

void register_ns_event_class();
