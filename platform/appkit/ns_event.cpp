#include "platform/appkit/ns_event.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_window.h"
#include "platform/display/display_slot.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/instance_of.h"

#include <string>

namespace {

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

bool is_letter(const std::string& key) {
    return key.size() == 1 && key[0] >= 'a' && key[0] <= 'z';
}

} // namespace

NSUInteger event_flags_of(uint8_t modifiers) {
    NSUInteger flags = 0;
    for (const KeyModifierRow& row : key_modifiers) {
        if (modifiers & static_cast<uint8_t>(row.modifier)) flags |= row.event_flag;
    }
    return flags;
}

uint8_t key_modifiers_of(NSUInteger flags) {
    uint8_t modifiers = 0;
    for (const KeyModifierRow& row : key_modifiers) {
        if (flags & row.event_flag) modifiers |= static_cast<uint8_t>(row.modifier);
    }
    return modifiers;
}

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
    const KeyRow* row = key_row(key);
    ObjcRef<NSString> ignoring;
    ObjcRef<NSString> characters;
    if (row && row->character) {
        ignoring = NSString::make(std::u16string(1, row->character));
        characters = ignoring;
    } else {
        bool shifted = (press.modifiers & static_cast<uint8_t>(KeyModifier::shift)) != 0;
        ignoring = NSString::from_utf8(key);
        characters = NSString::from_utf8(shifted && is_letter(key) ? upper_ascii(key) : key);
    }
    return keyEventWithType(nil, NSEventTypeKeyDown, {0, 0}, event_flags_of(press.modifiers),
                            platform_now(), window_number, nil, characters.get(), ignoring.get(),
                            NO, row ? row->code : k_unknown_key_code);
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
