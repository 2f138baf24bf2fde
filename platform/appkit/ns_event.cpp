#include "platform/appkit/ns_event.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_window.h"
#include "platform/display/display_slot.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/instance_of.h"

#include <array>
#include <string_view>

namespace {

struct KeyCode {
    std::string_view key; // a character, or the driver's name of the key
    unsigned short code;
    char16_t character; // for named keys; 0 for character keys, which are their own character
};

// The US layout's key codes, and the characters the platform gives keys that are not one.
constexpr std::array<KeyCode, 83> k_key_codes = {{
    {"a", 0, 0},
    {"s", 1, 0},
    {"d", 2, 0},
    {"f", 3, 0},
    {"h", 4, 0},
    {"g", 5, 0},
    {"z", 6, 0},
    {"x", 7, 0},
    {"c", 8, 0},
    {"v", 9, 0},
    {"b", 11, 0},
    {"q", 12, 0},
    {"w", 13, 0},
    {"e", 14, 0},
    {"r", 15, 0},
    {"y", 16, 0},
    {"t", 17, 0},
    {"1", 18, 0},
    {"2", 19, 0},
    {"3", 20, 0},
    {"4", 21, 0},
    {"6", 22, 0},
    {"5", 23, 0},
    {"=", 24, 0},
    {"9", 25, 0},
    {"7", 26, 0},
    {"-", 27, 0},
    {"8", 28, 0},
    {"0", 29, 0},
    {"]", 30, 0},
    {"o", 31, 0},
    {"u", 32, 0},
    {"[", 33, 0},
    {"i", 34, 0},
    {"p", 35, 0},
    {"l", 37, 0},
    {"j", 38, 0},
    {"'", 39, 0},
    {"k", 40, 0},
    {";", 41, 0},
    {"\\", 42, 0},
    {",", 43, 0},
    {"/", 44, 0},
    {"n", 45, 0},
    {"m", 46, 0},
    {".", 47, 0},
    {"`", 50, 0},
    {"return", 36, u'\r'},
    {"enter", 76, 0x03},
    {"tab", 48, u'\t'},
    {"space", 49, u' '},
    {"delete", 51, 0x7F},
    {"escape", 53, 0x1B},
    {"forwarddelete", 117, 0xF728},
    {"home", 115, 0xF729},
    {"end", 119, 0xF72B},
    {"pageup", 116, 0xF72C},
    {"pagedown", 121, 0xF72D},
    {"up", 126, 0xF700},
    {"down", 125, 0xF701},
    {"left", 123, 0xF702},
    {"right", 124, 0xF703},
    {"help", 114, 0xF746},
    {"f1", 122, 0xF704},
    {"f2", 120, 0xF705},
    {"f3", 99, 0xF706},
    {"f4", 118, 0xF707},
    {"f5", 96, 0xF708},
    {"f6", 97, 0xF709},
    {"f7", 98, 0xF70A},
    {"f8", 100, 0xF70B},
    {"f9", 101, 0xF70C},
    {"f10", 109, 0xF70D},
    {"f11", 103, 0xF70E},
    {"f12", 111, 0xF70F},
    {"f13", 105, 0xF710},
    {"f14", 107, 0xF711},
    {"f15", 113, 0xF712},
    {"f16", 106, 0xF713},
    {"f17", 64, 0xF714},
    {"f18", 79, 0xF715},
    {"f19", 80, 0xF716},
    {"f20", 90, 0xF717},
}};

struct ModifierFlag {
    KeyModifier modifier;
    NSUInteger flag;
};

constexpr std::array<ModifierFlag, 4> k_modifier_flags = {{
    {KeyModifier::command, NSEventModifierFlagCommand},
    {KeyModifier::shift, NSEventModifierFlagShift},
    {KeyModifier::alternate, NSEventModifierFlagOption},
    {KeyModifier::control, NSEventModifierFlagControl},
}};

bool is_ascii_upper(char c) {
    return c >= 'A' && c <= 'Z';
}

std::string lower_ascii(std::string text) {
    for (char& c : text) {
        if (is_ascii_upper(c)) c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::string upper_ascii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

const KeyCode* key_code_of(std::string_view key) {
    for (const KeyCode& entry : k_key_codes) {
        if (entry.key == key) return &entry;
    }
    return nullptr;
}

NSUInteger flags_of(uint8_t modifiers) {
    NSUInteger flags = 0;
    for (const ModifierFlag& entry : k_modifier_flags) {
        if (modifiers & static_cast<uint8_t>(entry.modifier)) flags |= entry.flag;
    }
    return flags;
}

bool is_letter(const std::string& key) {
    return key.size() == 1 && key[0] >= 'a' && key[0] <= 'z';
}

} // namespace

NSEvent* NSEvent::make_autoreleased(Class cls, NSUInteger type, NSPoint location, NSUInteger flags,
                                    double timestamp, NSInteger window_number, id context) {
    ObjcRef<NSEvent> event = make_instance_of<NSEvent>(cls);
    if (!event) return nil;
    event->m_type = type;
    event->m_location = location;
    event->m_flags = flags;
    event->m_timestamp = timestamp;
    event->m_window_number = window_number;
    event->m_context = ObjcRef<>::retain(context);
    return event.autorelease();
}

NSEvent* NSEvent::otherEventWithType(Class self, NSUInteger type, NSPoint location,
                                     NSUInteger flags, double timestamp, NSInteger window_number,
                                     id context, short subtype, NSInteger data1, NSInteger data2) {
    NSEvent* event =
        make_autoreleased(self, type, location, flags, timestamp, window_number, context);
    if (!event) return nil;
    event->m_subtype = subtype;
    event->m_data1 = data1;
    event->m_data2 = data2;
    return event;
}

NSEvent* NSEvent::keyEventWithType(Class self, NSUInteger type, NSPoint location, NSUInteger flags,
                                   double timestamp, NSInteger window_number, id context,
                                   NSString* characters, NSString* characters_ignoring_modifiers,
                                   BOOL repeat, unsigned short key_code) {
    NSEvent* event =
        make_autoreleased(self, type, location, flags, timestamp, window_number, context);
    if (!event) return nil;
    event->m_characters = ObjcRef<NSString>::retain(characters);
    event->m_characters_ignoring = ObjcRef<NSString>::retain(characters_ignoring_modifiers);
    event->m_repeat = repeat != NO;
    event->m_key_code = key_code;
    return event;
}

NSEvent* NSEvent::mouseEventWithType(Class self, NSUInteger type, NSPoint location,
                                     NSUInteger flags, double timestamp, NSInteger window_number,
                                     id context, NSInteger event_number, NSInteger click_count,
                                     float pressure) {
    NSEvent* event =
        make_autoreleased(self, type, location, flags, timestamp, window_number, context);
    if (!event) return nil;
    event->m_event_number = event_number;
    event->m_click_count = click_count;
    event->m_pressure = pressure;
    return event;
}

NSPoint NSEvent::mouseLocation(Class) {
    Display* display = current_display();
    if (!display) return {0, 0};
    ScreenPoint pointer = display->pointer();
    double main_height = display->screens().front().height;
    return {pointer.x, main_height - pointer.y};
}

NSEvent* NSEvent::key_down_for_press(const KeyPress& press, NSInteger window_number) {
    // Named keys come in lower case; a single character may come in either.
    std::string key = press.key.size() == 1 ? lower_ascii(press.key) : press.key;
    const KeyCode* code = key_code_of(key);
    ObjcRef<NSString> ignoring;
    ObjcRef<NSString> characters;
    if (code && code->character) {
        ignoring = NSString::make(std::u16string(1, code->character));
        characters = ignoring;
    } else {
        bool shifted = (press.modifiers & static_cast<uint8_t>(KeyModifier::shift)) != 0;
        ignoring = NSString::from_utf8(key);
        characters = NSString::from_utf8(shifted && is_letter(key) ? upper_ascii(key) : key);
    }
    return keyEventWithType(nil, NSEventTypeKeyDown, {0, 0}, flags_of(press.modifiers),
                            platform_now(), window_number, nil, characters.get(), ignoring.get(),
                            NO, code ? code->code : k_unknown_key_code);
}

NSWindow* NSEvent::window() const {
    return NSApp ? NSApp->windowWithWindowNumber(m_window_number) : nil;
}

void register_ns_event_class() {
    register_native_class<NSEvent>(
        "NSEvent", "NSObject",
        {
            class_method<&NSEvent::otherEventWithType>(
                "otherEventWithType:location:modifierFlags:timestamp:windowNumber:context:"
                "subtype:data1:data2:"),
            class_method<&NSEvent::keyEventWithType>(
                "keyEventWithType:location:modifierFlags:timestamp:windowNumber:context:"
                "characters:charactersIgnoringModifiers:isARepeat:keyCode:"),
            class_method<&NSEvent::mouseEventWithType>(
                "mouseEventWithType:location:modifierFlags:timestamp:windowNumber:context:"
                "eventNumber:clickCount:pressure:"),
            class_method<&NSEvent::mouseLocation>("mouseLocation"),
            instance_method<&NSEvent::type>("type"),
            instance_method<&NSEvent::modifierFlags>("modifierFlags"),
            instance_method<&NSEvent::keyCode>("keyCode"),
            instance_method<&NSEvent::characters>("characters"),
            instance_method<&NSEvent::charactersIgnoringModifiers>("charactersIgnoringModifiers"),
            instance_method<&NSEvent::isARepeat>("isARepeat"),
            instance_method<&NSEvent::clickCount>("clickCount"),
            instance_method<&NSEvent::eventNumber>("eventNumber"),
            instance_method<&NSEvent::pressure>("pressure"),
            instance_method<&NSEvent::windowNumber>("windowNumber"),
            instance_method<&NSEvent::window>("window"),
            instance_method<&NSEvent::subtype>("subtype"),
            instance_method<&NSEvent::data1>("data1"),
            instance_method<&NSEvent::data2>("data2"),
            instance_method<&NSEvent::timestamp>("timestamp"),
            instance_method<&NSEvent::context>("context"),
        });
}
