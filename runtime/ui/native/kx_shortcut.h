#pragma once
// KXShortcut: one keyboard shortcut of a window, made from a shortcut code (shortcut_codes.h) and
// the item number that a matching key-down reports.

#include "platform/objc/native_class.h"

#include <cstdint>

class NSEvent;

namespace rt {

class KXShortcut : public NSObject {
  public:
    KXShortcut() = default;

    // -initWithKey:itemID:; returns self.
    id initWithKey(int32_t code, int32_t item);
    // Whether the shortcut was made from `code`.
    BOOL isKeyMatch(int32_t code) const;
    // YES when the key-down matches; then the item number goes to `item` (when not null).
    BOOL isEventMatch(NSEvent* event, int32_t* item) const;

    uint64_t modifiers() const { return m_modifiers; }
    char16_t character() const { return m_character; }
    uint32_t key_code() const { return m_key_code; }
    int32_t item() const { return m_event_menu_id; }

  private:
    uint64_t m_modifiers = 0;
    char16_t m_character = 0;
    uint32_t m_key_code = 0;
    int32_t m_event_menu_id = 0;
    int32_t m_key = 0;
};

// Registers the class once; later calls do nothing.
void register_kx_shortcut_class();

} // namespace rt
