#include "runtime/ui/editing_keys.h"

namespace rt {

const EditingKey* find_editing_key(int64_t event_type, uint64_t modifier_flags,
                                   std::u16string_view characters) {
    if (event_type != NativeEventTypeKeyDown) return nullptr;
    const uint64_t modifiers = modifier_flags & ModifierDeviceIndependentMask;
    for (const EditingKey& key : editing_keys)
        if (key.modifiers == modifiers && key.characters == characters) return &key;
    return nullptr;
}

} // namespace rt
