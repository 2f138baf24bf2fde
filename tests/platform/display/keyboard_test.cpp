#include "platform/display/keyboard.h"

#include "platform/appkit/ns_event.h"
#include "platform/display/desktop/desktop_keys.h"
#include "platform/display/desktop/desktop_window.h"
#include "platform/display/desktop/item_popup_menu.h"
#include "platform/display/desktop/status_menu_exporter.h"
#include "platform/display/driver/driver_commands.h"
#include "platform/display/terminal/terminal_view.h"

#include <gtest/gtest.h>

#include <set>

namespace {

constexpr uint8_t k_cmd = static_cast<uint8_t>(KeyModifier::command);

std::optional<KeyPress> parsed_key(const std::string& shortcut) {
    ParsedLine parsed = parse_driver_command("key 0 " + shortcut);
    if (parsed.outcome != ParsedLine::Outcome::command) return std::nullopt;
    return parsed.command.key;
}

guint desktop_keyval(const KeyRow& row) {
    if (is_named_key(row)) return gdk_keyval_from_name(std::string(row.desktop_name).c_str());
    return gdk_unicode_to_keyval(static_cast<gunichar>(row.key[0]));
}

MenuItemSnapshot keyed_item(std::string key, uint8_t modifiers) {
    return {false, 1, "Item", std::move(key), modifiers, true};
}

} // namespace

// A key is added by adding its row: the driver takes its name, NSEvent gives its code and
// character, and a desktop key event of its keysym names it.
TEST(Keyboard, EveryKeyRowIsTakenByTheDriverTheEventsAndTheDesktop) {
    std::set<std::string_view> keys;
    std::set<unsigned short> codes;
    for (const KeyRow& row : keyboard_keys) {
        const std::string key(row.key);
        EXPECT_TRUE(keys.insert(row.key).second) << "two rows of " << key;
        EXPECT_TRUE(codes.insert(row.code).second) << "two keys of code " << row.code;
        EXPECT_EQ(is_named_key(row), row.character != 0) << key;
        EXPECT_EQ(parsed_key("cmd+" + key), (KeyPress{k_cmd, key}));

        NSEvent* event = NSEvent::key_down_for_press(KeyPress{0, key}, 1);
        ASSERT_NE(event, nil) << key;
        EXPECT_EQ(event->keyCode(), row.code) << key;
        const std::u16string character =
            row.character ? std::u16string(1, row.character) : std::u16string(1, row.key[0]);
        EXPECT_EQ(units_of(event->charactersIgnoringModifiers()), character) << key;

        const guint keyval = desktop_keyval(row);
        EXPECT_NE(keyval, static_cast<guint>(GDK_KEY_VoidSymbol)) << key;
        EXPECT_EQ(shortcut_of(keyval, GDK_CONTROL_MASK), (KeyPress{k_cmd, key}));
    }
}

// Each modifier is read and written alike by the driver, NSEvent, the desktop's key events and
// menus, and the terminal's menu.
TEST(Keyboard, EveryModifierRowIsTakenByEveryReaderAndWriter) {
    std::set<uint64_t> flags;
    std::set<int> masks;
    for (const KeyModifierRow& row : key_modifiers) {
        const auto bit = static_cast<uint8_t>(row.modifier);
        const std::string name(row.name);
        EXPECT_EQ(parsed_key(name + "+a"), (KeyPress{bit, "a"}));
        EXPECT_EQ(parsed_key(name + "+" + name + "+a"), std::nullopt) << name;

        EXPECT_TRUE(flags.insert(row.event_flag).second) << name;
        EXPECT_EQ(NSEvent::key_down_for_press(KeyPress{bit, "a"}, 1)->modifierFlags(),
                  row.event_flag);
        EXPECT_EQ(key_modifiers_of(row.event_flag | (uint64_t{1} << 5)), bit) << name;

        const GdkModifierType mask = desktop_modifier_mask(row);
        EXPECT_TRUE(mask != 0 && masks.insert(mask).second) << name;
        // Shift alone types a character: with the command key it is a shortcut.
        const uint8_t chord = bit | k_cmd;
        EXPECT_EQ(shortcut_of(GDK_KEY_a, static_cast<GdkModifierType>(mask | GDK_CONTROL_MASK)),
                  (KeyPress{chord, "a"}));
        EXPECT_EQ(key_modifiers_of_masks(desktop_modifier_masks(bit)), bit) << name;
        EXPECT_EQ(menu_shortcut(keyed_item("a", bit)),
                  (std::vector<std::string>{std::string(row.desktop_name), "a"}));
        EXPECT_EQ(menu_accelerator(keyed_item("a", bit)).modifiers, mask) << name;

        EXPECT_EQ(key_equivalent_label(keyed_item("a", bit)), std::string(row.symbol) + "A");
    }
}

// A desktop key event is a shortcut with the command key, the model's Control or Option, or for
// Escape; Shift counts only beside one of those.
TEST(Keyboard, DesktopKeyEventsAreShortcutsOnlyWithAModifierOrForEscape) {
    struct Row {
        guint keyval;
        int state;
        std::optional<KeyPress> press;
    };
    const auto shift = static_cast<uint8_t>(KeyModifier::shift);
    const Row rows[] = {
        {GDK_KEY_a, 0, std::nullopt},
        {GDK_KEY_A, GDK_SHIFT_MASK, std::nullopt},
        {GDK_KEY_A, GDK_SHIFT_MASK | GDK_CONTROL_MASK, KeyPress{k_cmd | shift, "a"}},
        {GDK_KEY_Escape, 0, KeyPress{0, "escape"}},
        {GDK_KEY_Escape, GDK_SHIFT_MASK, KeyPress{0, "escape"}},
        {GDK_KEY_F5, 0, std::nullopt},
        {GDK_KEY_eacute, GDK_CONTROL_MASK, KeyPress{k_cmd, "é"}},
        {GDK_KEY_Shift_L, GDK_CONTROL_MASK, std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(shortcut_of(row.keyval, static_cast<GdkModifierType>(row.state)), row.press)
            << gdk_keyval_name(row.keyval) << " " << row.state;
}
