#pragma once
// The keyboard's tables (keyboard.h) in GDK's terms, for the windows' key events and the status
// menu's accelerators.

#include "platform/display/keyboard.h"

#include <gtk/gtk.h>

#include <optional>
#include <string>

// The key a press of `keyval` names: a named key by its row's keysym, else the character of the
// lower-case keyval; null for a key that is neither (a modifier, a dead key).
std::optional<std::string> desktop_key_name(guint keyval);

// The desktop's mask of `row`'s modifier, read from its desktop name as an accelerator reads it.
GdkModifierType desktop_modifier_mask(const KeyModifierRow& row);

// The masks of the KeyModifier bits in `modifiers`, and back.
GdkModifierType desktop_modifier_masks(uint8_t modifiers);
uint8_t key_modifiers_of_masks(GdkModifierType state);
