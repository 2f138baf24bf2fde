#include "platform/display/desktop/item_popup_menu.h"

#include "platform/display/keyboard.h"

#include <gtest/gtest.h>

namespace {

constexpr uint8_t k_command = static_cast<uint8_t>(KeyModifier::command);
constexpr uint8_t k_shift = static_cast<uint8_t>(KeyModifier::shift);
constexpr uint8_t k_control = static_cast<uint8_t>(KeyModifier::control);

MenuItemSnapshot keyed(const char* key, uint8_t modifiers) {
    return {false, 1, "Item", key, modifiers, true};
}

// The popup shows the same shortcut as the exported menu: the command key as Control, the
// model's Control as Super.
TEST(ItemPopupMenu, AcceleratorTakesTheExportedMenusModifiersAndTheKeysKeyval) {
    struct Row {
        const char* key;
        uint8_t modifiers;
        guint keyval;
        int gdk_modifiers;
    };
    const Row rows[] = {
        {"Q", k_command, GDK_KEY_Q, GDK_CONTROL_MASK},
        {",", k_command | k_control, GDK_KEY_comma, GDK_CONTROL_MASK | GDK_SUPER_MASK},
        {"z", k_command | k_shift, GDK_KEY_z, GDK_CONTROL_MASK | GDK_SHIFT_MASK},
        {"1", 0, GDK_KEY_1, 0},
        {"é", k_command, GDK_KEY_eacute, GDK_CONTROL_MASK},
        // A longer text is a key's name.
        {"F5", k_command, GDK_KEY_F5, GDK_CONTROL_MASK},
        {"no such key", k_command, 0, 0},
        {"", k_command, 0, 0},
    };
    for (const Row& row : rows) {
        const MenuAccelerator accelerator = menu_accelerator(keyed(row.key, row.modifiers));
        EXPECT_EQ(accelerator.key, row.keyval) << row.key << " " << int(row.modifiers);
        EXPECT_EQ(static_cast<int>(accelerator.modifiers), row.gdk_modifiers)
            << row.key << " " << int(row.modifiers);
    }
}

TEST(ItemPopupMenu, PopsNothingUpWithoutAnX11Display) {
    int chosen = 0;
    ItemPopupMenu menu([&chosen](int number) { chosen = number; });
    EXPECT_FALSE(menu.pop_up({keyed("q", k_command)}, 10, 10));
    EXPECT_FALSE(menu.is_open());
    EXPECT_EQ(chosen, 0);
}

} // namespace
