#include "platform/display/desktop/status_menu_exporter.h"

#include <gtest/gtest.h>

// The items shown are the ones the popup menu opens with, also after the menu goes.
TEST(StatusMenuExporter, KeepsTheItemsItLastShowed) {
    StatusMenuExporter exporter("/MenuBar", [](int) {});
    const std::vector<MenuItemSnapshot> items = {{.separator = false,
                                                  .number = 3,
                                                  .title = "Quit",
                                                  .key = "q",
                                                  .modifiers = 1,
                                                  .enabled = true}};
    exporter.show(items);
    EXPECT_EQ(exporter.items(), items);
    exporter.show(std::nullopt);
    EXPECT_EQ(exporter.items(), std::nullopt);
}
