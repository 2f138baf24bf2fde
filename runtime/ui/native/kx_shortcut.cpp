#include "runtime/ui/native/kx_shortcut.h"

#include "platform/appkit/ns_event.h"
#include "runtime/ui/shortcut_codes.h"

#include <mutex>

namespace rt {

id KXShortcut::initWithKey(int32_t code, int32_t item) {
    const ShortcutPattern pattern = shortcut_pattern(static_cast<uint32_t>(code));
    m_key = code;
    m_event_menu_id = item;
    m_modifiers = pattern.modifiers;
    m_character = pattern.character;
    m_key_code = pattern.key_code;
    return this;
}

BOOL KXShortcut::isKeyMatch(int32_t code) const {
    return m_key == code ? YES : NO;
}

BOOL KXShortcut::isEventMatch(NSEvent* event, int32_t* item) const {
    if (!event) return NO;
    const ShortcutPattern pattern{static_cast<uint32_t>(m_modifiers), m_character, m_key_code};
    if (!shortcut_pattern_matches(pattern, event->modifierFlags(), event->keyCode(),
                                  units_of(event->charactersIgnoringModifiers())))
        return NO;
    if (item) *item = m_event_menu_id;
    return YES;
}

void register_kx_shortcut_class() {
    static std::once_flag once;
    std::call_once(once, [] {
        register_native_class<KXShortcut>(
            "KXShortcut", "NSObject",
            {
                instance_method<&KXShortcut::initWithKey>("initWithKey:itemID:"),
                instance_method<&KXShortcut::isKeyMatch>("isKeyMatch:"),
                instance_method<&KXShortcut::isEventMatch>("isEventMatch:setItemID:"),
            });
    });
}

} // namespace rt
