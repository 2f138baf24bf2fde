#include "platform/display/desktop/alert_time_input.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr auto k_alert_command = static_cast<uint8_t>(KeyModifier::command);
constexpr auto k_alert_shift = static_cast<uint8_t>(KeyModifier::shift);

MenuItemSnapshot alert_menu_item(int number, std::string key = "", uint8_t modifiers = 0) {
    return MenuItemSnapshot{.number = number, .title = "item", .key = key, .modifiers = modifiers};
}

TEST(AlertTimeInput, KnowsQuitByCommandQAlone) {
    const MenuItemSnapshot items[] = {alert_menu_item(9, "q", k_alert_command | k_alert_shift),
                                      alert_menu_item(9, "Q", k_alert_command),
                                      alert_menu_item(9, "q", 0),
                                      alert_menu_item(9, "w", k_alert_command), alert_menu_item(9)};
    EXPECT_TRUE(is_quit_item(alert_menu_item(9, "q", k_alert_command)));
    for (const MenuItemSnapshot& item : items)
        EXPECT_FALSE(is_quit_item(item)) << item.key << " " << int(item.modifiers);
}

TEST(AlertTimeInput, KeepsQuitAndTerminationRefusesOtherChoicesDropsTheRest) {
    MenuItemSnapshot separator = alert_menu_item(7);
    separator.separator = true;
    const std::vector<MenuItemSnapshot> menu = {alert_menu_item(3, "i", k_alert_command), separator,
                                                alert_menu_item(4),
                                                alert_menu_item(9, "q", k_alert_command)};
    // Item 9 here is no Quit: its key takes Shift too.
    const std::vector<MenuItemSnapshot> without_quit = {
        alert_menu_item(9, "q", k_alert_command | k_alert_shift), alert_menu_item(4)};
    struct Row {
        Input input;
        AlertTimeInput with_quit, without_quit;
    };
    using enum AlertTimeInput;
    const Row rows[] = {
        {MenuChoice{9}, keep, refuse},
        {TerminateRequest{}, keep, keep},
        {MenuChoice{3}, refuse, refuse},
        {MenuChoice{4}, refuse, refuse},
        // A number the menu does not hold, or a separator's, is no Quit.
        {MenuChoice{7}, refuse, refuse},
        {MenuChoice{12}, refuse, refuse},
        {ControlClick{1, 3}, drop, drop},
        {KeyInput{1, KeyPress{k_alert_command, "q"}}, drop, drop},
        {CloseRequest{1}, drop, drop},
        {ScreensChanged{}, drop, drop},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(input_during_alert(rows[i].input, menu), rows[i].with_quit) << "row " << i;
        EXPECT_EQ(input_during_alert(rows[i].input, without_quit), rows[i].without_quit) << i;
    }
    EXPECT_EQ(input_during_alert(MenuChoice{9}, {}), refuse);
}

} // namespace
