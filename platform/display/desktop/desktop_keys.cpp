#include "platform/display/desktop/desktop_keys.h"

std::optional<std::string> desktop_key_name(guint keyval) {
    for (const KeyRow& row : keyboard_keys) {
        if (is_named_key(row) &&
            gdk_keyval_from_name(std::string(row.desktop_name).c_str()) == keyval)
            return std::string(row.key);
    }
    gunichar character = gdk_keyval_to_unicode(gdk_keyval_to_lower(keyval));
    if (!g_unichar_isprint(character)) return std::nullopt; // no character, or a control one
    char utf8[8] = {};
    g_unichar_to_utf8(character, utf8);
    return std::string(utf8);
}

GdkModifierType desktop_modifier_mask(const KeyModifierRow& row) {
    const std::string accelerator = "<" + std::string(row.desktop_name) + ">a";
    guint key = 0;
    GdkModifierType mask = static_cast<GdkModifierType>(0);
    gtk_accelerator_parse(accelerator.c_str(), &key, &mask);
    return mask;
}

GdkModifierType desktop_modifier_masks(uint8_t modifiers) {
    int masks = 0;
    for (const KeyModifierRow& row : key_modifiers) {
        if (modifiers & static_cast<uint8_t>(row.modifier)) masks |= desktop_modifier_mask(row);
    }
    return static_cast<GdkModifierType>(masks);
}

uint8_t key_modifiers_of_masks(GdkModifierType state) {
    uint8_t modifiers = 0;
    for (const KeyModifierRow& row : key_modifiers) {
        if (state & desktop_modifier_mask(row)) modifiers |= static_cast<uint8_t>(row.modifier);
    }
    return modifiers;
}
