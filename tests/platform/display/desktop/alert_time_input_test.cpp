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
    struct Row {
        MenuItemSnapshot item;
        bool quit;
    };
    const Row rows[] = {
        {alert_menu_item(9, "q", k_alert_command), true},
        {alert_menu_item(9, "q", k_alert_command | k_alert_shift), false},
        {alert_menu_item(9, "Q", k_alert_command), false},
        {alert_menu_item(9, "q", 0), false},
        {alert_menu_item(9, "w", k_alert_command), false},
        {alert_menu_item(9), false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(is_quit_item(row.item), row.quit)
            << "key " << row.item.key << " modifiers " << int(row.item.modifiers);
}

TEST(AlertTimeInput, KeepsQuitAndTerminationRefusesOtherChoicesDropsTheRest) {
    MenuItemSnapshot separator = alert_menu_item(7);
    separator.separator = true;
    const std::vector<MenuItemSnapshot> menu = {alert_menu_item(3, "i", k_alert_command), separator,
                                                alert_menu_item(4),
                                                alert_menu_item(9, "q", k_alert_command)};
    struct Row {
        Input input;
        AlertTimeInput outcome;
    };
    const Row rows[] = {
        {MenuChoice{9}, AlertTimeInput::keep},
        {TerminateRequest{}, AlertTimeInput::keep},
        {MenuChoice{3}, AlertTimeInput::refuse},
        {MenuChoice{4}, AlertTimeInput::refuse},
        // A number the menu does not hold, or a separator's, is no Quit.
        {MenuChoice{7}, AlertTimeInput::refuse},
        {MenuChoice{12}, AlertTimeInput::refuse},
        {ControlClick{1, 3}, AlertTimeInput::drop},
        {KeyInput{1, KeyPress{k_alert_command, "q"}}, AlertTimeInput::drop},
        {CloseRequest{1}, AlertTimeInput::drop},
        {ScreensChanged{}, AlertTimeInput::drop},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(input_during_alert(rows[i].input, menu), rows[i].outcome) << "row " << i;
}

TEST(AlertTimeInput, RefusesEveryChoiceOfAMenuWithoutQuit) {
    const std::vector<MenuItemSnapshot> menu = {
        alert_menu_item(9, "q", k_alert_command | k_alert_shift), alert_menu_item(4)};
    EXPECT_EQ(input_during_alert(MenuChoice{9}, menu), AlertTimeInput::refuse);
    EXPECT_EQ(input_during_alert(MenuChoice{9}, {}), AlertTimeInput::refuse);
    EXPECT_EQ(input_during_alert(TerminateRequest{}, {}), AlertTimeInput::keep);
}

} // namespace
