#include "platform/display/terminal/terminal_screen.h"

#include <gtest/gtest.h>

TEST(LiveRegion, RewritesItsLinesInPlace) {
    LiveRegion region;
    struct Row {
        std::vector<std::string> lines;
        std::string expected;
    };
    const Row rows[] = {
        {{"78%", "hint"}, "78%\r\nhint"},
        {{"78%", "hint"}, ""}, // unchanged: nothing is written
        {{"77%", "hint"}, "\r\x1b[1A\x1b[J77%\r\nhint"},
        {{"77%"}, "\r\x1b[1A\x1b[J77%"},
        {{"a", "b", "c"}, "\r\x1b[Ja\r\nb\r\nc"},
        {{"d"}, "\r\x1b[2A\x1b[Jd"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(region.redraw(row.lines), row.expected) << row.lines.front();
        EXPECT_EQ(region.lines(), row.lines);
    }
}

TEST(LiveRegion, PrintsAboveAndDrawsItselfAgainBelow) {
    LiveRegion region;
    EXPECT_EQ(region.print_above({"first"}), "first\r\n");
    region.redraw({"status", "hint"});
    EXPECT_EQ(region.print_above({"Opening x"}), "\r\x1b[1A\x1b[JOpening x\r\nstatus\r\nhint");
    EXPECT_EQ(region.release(), "\r\n");
    EXPECT_EQ(region.release(), "");
    EXPECT_EQ(region.redraw({"new"}), "new"); // starts on the fresh line
}

// After the terminal narrows, a terminal that rewraps has spread the longer lines over more rows;
// the erase goes back over all of them. Styling takes no columns.
TEST(LiveRegion, GoesBackOverTheRowsOfLinesRewrappedToANarrowerWidth) {
    struct Row {
        size_t columns;
        std::string expected_erase;
    };
    const Row rows[] = {
        {80, "\r\x1b[2A\x1b[J"}, // wider than every line: a row each
        {10, "\r\x1b[2A\x1b[J"}, // exactly as wide as the widest: still a row each
        {9, "\r\x1b[3A\x1b[J"},  {4, "\r\x1b[4A\x1b[J"}, {1, "\r\x1b[15A\x1b[J"}, // 3 + 10 + 3 rows
    };
    for (const Row& row : rows) {
        LiveRegion region;
        region.redraw({"\x1b[1m78%\x1b[0m", "1234567890", "abc"});
        region.rewrap(row.columns);
        EXPECT_EQ(region.redraw({"x"}), row.expected_erase + "x") << row.columns << " columns";
    }
}
