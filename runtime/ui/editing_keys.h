#pragma once
// The application's editing keys: Command with x, c, v, z or a, and Command+Shift with z, become
// the standard editing actions sent to the first responder. Undo is special: the key still goes
// on to the window afterwards, whether or not a responder handled it; the others stop there when
// handled.

#include <cstdint>
#include <string_view>

namespace rt {

inline constexpr int64_t NativeEventTypeKeyDown = 10;
inline constexpr uint64_t ModifierCommand = 0x100000;
inline constexpr uint64_t ModifierShift = 0x20000;
// The device-independent modifier bits, within the low 32 bits of the flags.
inline constexpr uint64_t ModifierDeviceIndependentMask = 0xFFFF0000;

struct EditingKey {
    uint64_t modifiers; // after masking
    std::u16string_view characters;
    std::string_view action; // the selector sent
    bool always_passed_on;   // the key reaches the window even when the action was handled
};

inline constexpr EditingKey editing_keys[] = {
    {ModifierCommand, u"x", "cut:", false},
    {ModifierCommand, u"c", "copy:", false},
    {ModifierCommand, u"v", "paste:", false},
    {ModifierCommand, u"z", "undo:", true},
    {ModifierCommand, u"a", "selectAll:", false},
    {ModifierCommand | ModifierShift, u"z", "redo:", false},
};

// The editing key that a native event of this type, modifier flags and characters (ignoring
// modifiers) stands for; null for anything else, which goes to the toolkit unchanged.
const EditingKey* find_editing_key(int64_t event_type, uint64_t modifier_flags,
                                   std::u16string_view characters);

} // namespace rt
