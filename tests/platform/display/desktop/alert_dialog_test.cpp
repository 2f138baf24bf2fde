#include "platform/display/desktop/alert_dialog.h"

#include <gtest/gtest.h>

namespace {

TEST(AlertDialog, AnUntitledAlertIsTheApplicationsAboutBox) {
    EXPECT_EQ(alert_window_title("", "Zerarazi"), "About Zerarazi");
    EXPECT_EQ(alert_window_title("Battery Information", "Zerarazi"), "Battery Information");
    EXPECT_EQ(alert_window_title(" ", "Zerarazi"), " ");
}

TEST(AlertDialog, ShowsTheTextWithoutBlankLinesAroundIt) {
    struct Row {
        const char* text;
        const char* shown;
    };
    const Row rows[] = {
        {"", ""},
        {"\n", ""},
        {" \n\r\t", ""},
        {"One line", "One line"},
        {"\nAbout\n\nVersion", "About\n\nVersion"},
        {"\r\n\n\rAbout", "About"},
        // The first line keeps its indent; only whole blank lines go.
        {"\n  \n  Indented\nnext", "  Indented\nnext"},
        {"  Indented", "  Indented"},
        {"Last\n\n", "Last"},
        {"Last\r\n \n", "Last"},
        {"Last  ", "Last"},
        // Breaks inside the text stay as the model gave them, carriage returns too.
        {"\nA\n\n\rB\n", "A\n\n\rB"},
        {"A\rB", "A\rB"},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(alert_shown_text(rows[i].text), rows[i].shown) << "row " << i;
}

} // namespace
