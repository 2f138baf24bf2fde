#include "platform/display/terminal/block_chart.h"

#include "platform/display/terminal/terminal_text.h"

#include <gtest/gtest.h>

#include <array>
#include <string_view>

namespace {

using Lines = std::vector<std::string>;
constexpr std::array<std::string_view, 9> k_blocks = {" ", "▁", "▂", "▃", "▄", "▅", "▆", "▇", "█"};
constexpr std::string_view k_green = "\x1b[32m";

// One character on screen and the attribute sequence in force where it is drawn.
struct Cell {
    std::string glyph;
    std::string style;
};

std::vector<Cell> cells_of(std::string_view line) {
    std::vector<Cell> cells;
    std::string style;
    for (size_t at = 0; at < line.size();) {
        if (line[at] == '\x1b') {
            size_t end = line.find('m', at) + 1;
            std::string code(line.substr(at, end - at));
            style = code == "\x1b[0m" ? "" : code;
            at = end;
            continue;
        }
        size_t length = 1;
        while (at + length < line.size() && (line[at + length] & 0xc0) == 0x80)
            ++length;
        cells.push_back({std::string(line.substr(at, length)), style});
        at += length;
    }
    return cells;
}

// The parts of a drawn chart, found by the value axis's rule ("│" or "┤") and corner ("└").
struct Drawn {
    Lines title_and_caption;             // every line that is not a row of blocks or under the axis
    std::vector<std::vector<Cell>> rows; // the rows of blocks, top first, without the labels
    std::vector<std::string> labels;     // the value axis's label of each row
    std::vector<Cell> axis;              // the time axis, without the corner
    std::string tick_labels;             // the line under the axis, from the axis's first column
};

Drawn parse(const Lines& lines) {
    Drawn drawn;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::vector<Cell> cells = cells_of(lines[i]);
        auto rule = std::find_if(cells.begin(), cells.end(), [](const Cell& cell) {
            return cell.glyph == "│" || cell.glyph == "┤" || cell.glyph == "└";
        });
        bool plot_line = rule != cells.end() && i > 0 && drawn.axis.empty();
        if (!plot_line) {
            drawn.title_and_caption.push_back(lines[i]);
            continue;
        }
        std::string label;
        for (auto cell = cells.begin(); cell != rule; ++cell)
            label += cell->glyph;
        std::vector<Cell> rest(rule + 1, cells.end());
        if (rule->glyph != "└") {
            drawn.labels.push_back(label);
            drawn.rows.push_back(rest);
            continue;
        }
        drawn.axis = rest;
        std::vector<Cell> under = cells_of(lines.at(++i));
        for (size_t c = label.size() + 1; c < under.size(); ++c)
            drawn.tick_labels += under[c].glyph;
    }
    return drawn;
}

int eighths_of(const std::string& glyph) {
    auto found = std::find(k_blocks.begin(), k_blocks.end(), glyph);
    return found == k_blocks.end() ? 0 : static_cast<int>(found - k_blocks.begin());
}

// Each column's height in eighths of a row, summed over the rows.
std::vector<int> heights(const Drawn& drawn) {
    std::vector<int> result(drawn.rows.empty() ? 0 : drawn.rows[0].size());
    for (const auto& row : drawn.rows) {
        for (size_t c = 0; c < row.size() && c < result.size(); ++c)
            result[c] += eighths_of(row[c].glyph);
    }
    return result;
}

bool blank_column(const Drawn& drawn, size_t column) {
    return std::all_of(drawn.rows.begin(), drawn.rows.end(),
                       [&](const auto& row) { return row.at(column).glyph == " "; });
}

Chart chart_of(std::vector<std::vector<ChartPoint>> runs, std::int64_t to = 2400) {
    Chart chart;
    chart.title = "Charge";
    chart.from = 0;
    chart.to = to;
    chart.runs = std::move(runs);
    return chart;
}

std::vector<ChartPoint> flat(double value, std::int64_t from, std::int64_t to, int step = 100) {
    std::vector<ChartPoint> run;
    for (std::int64_t t = from; t <= to; t += step)
        run.push_back({t, value});
    return run;
}

Drawn draw(const Chart& chart, size_t width, size_t height, bool colour = false) {
    return parse(block_chart_lines(chart, {width, height, colour}));
}

} // namespace

TEST(BlockChart, ShowsTheValueToAnEighthOfARowAndClampsItToTheAxis) {
    struct Row {
        double value;
        size_t height;
        int eighths;
    };
    // A reading at the bottom still shows, and is not taken for a gap.
    const Row rows[] = {{100, 6, 48}, {50, 6, 24},  {51, 6, 24}, {53, 6, 25},
                        {12.5, 1, 1}, {37.5, 1, 3}, {99, 1, 8},  {60, 3, 14},
                        {-20, 6, 1},  {130, 6, 48}, {0, 6, 1}};
    for (const auto& row : rows) {
        Drawn drawn = draw(chart_of({flat(row.value, 0, 2400)}), 40, row.height);
        ASSERT_EQ(drawn.rows.size(), row.height) << row.value;
        std::vector<int> expected(drawn.rows[0].size(), row.eighths);
        EXPECT_EQ(heights(drawn), expected) << row.value << " in " << row.height << " rows";
    }
    // 25 eighths: three full blocks under one of an eighth.
    std::vector<std::string> column;
    for (const auto& row : draw(chart_of({flat(53, 0, 2400)}), 40, 6).rows)
        column.push_back(row[0].glyph);
    EXPECT_EQ(column, (std::vector<std::string>{" ", " ", "▁", "█", "█", "█"}));
}

TEST(BlockChart, DrawsARisingLineAsRisingColumnsUpToItsLastValue) {
    const size_t sizes[][2] = {{30, 8}, {57, 6}, {80, 4}, {160, 8}};
    for (const auto& [width, height] : sizes) {
        std::vector<ChartPoint> run;
        for (std::int64_t t = 0; t <= 2400; t += 10)
            run.push_back({t, t / 24.0});
        std::vector<int> columns = heights(draw(chart_of({run}), width, height));
        ASSERT_FALSE(columns.empty());
        EXPECT_TRUE(std::is_sorted(columns.begin(), columns.end())) << width;
        EXPECT_LT(columns.front(), static_cast<int>(height) * 8 / 4) << width;
        EXPECT_EQ(columns.back(), static_cast<int>(height) * 8) << width; // 100 at the end
    }
}

TEST(BlockChart, LeavesTheTimeBetweenRunsBlankAndJoinsTheReadingsOfARun) {
    // Two runs, each with readings only at its two ends.
    Chart chart = chart_of({{{0, 0}, {790, 79}}, {{1610, 80}, {2400, 80}}});
    Drawn drawn = draw(chart, 54, 4); // 48 columns of 50 s
    ASSERT_EQ(drawn.axis.size(), 48u);
    for (size_t c = 0; c < 48; ++c) {
        bool in_gap = c >= 16 && c < 32;
        EXPECT_EQ(blank_column(drawn, c), in_gap) << "column " << c;
    }
    EXPECT_EQ(heights(drawn)[8], 14);  // the joining line at 450 s: 45 % of 32 eighths
    EXPECT_EQ(heights(drawn)[40], 26); // 80 % of 32 eighths, rounded
}

TEST(BlockChart, GivesAReadingOnAColumnsEdgeToTheColumnItStarts) {
    struct Row {
        std::int64_t time;
        size_t column; // of 48 columns of 50 s
    };
    const Row rows[] = {{600, 12}, {0, 0}, {2400, 47}, {2399, 47}, {649, 12}};
    for (const auto& row : rows) {
        Drawn drawn = draw(chart_of({{{row.time, 50}}}), 54, 4);
        ASSERT_EQ(drawn.axis.size(), 48u);
        for (size_t c = 0; c < 48; ++c)
            EXPECT_EQ(blank_column(drawn, c), c != row.column) << row.time << " column " << c;
    }
}

TEST(BlockChart, TakesAColumnsValueWhereTheLineLeavesIt) {
    // 34 columns of 100 s. The seventh holds 20 and 60, and the line reaches 62 at its end; the
    // eighth holds the run's last reading.
    Chart chart = chart_of({{{610, 20}, {690, 60}, {790, 80}}}, 3400);
    Drawn drawn = draw(chart, 40, 10); // 80 eighths
    std::vector<int> columns = heights(drawn);
    ASSERT_EQ(columns.size(), 34u);
    EXPECT_EQ(columns[6], 50);
    EXPECT_EQ(columns[7], 64);
    for (size_t c : {0u, 5u, 8u, 33u})
        EXPECT_TRUE(blank_column(drawn, c)) << c;
}

TEST(BlockChart, EveryLineFitsTheWidthAndTheChartFillsItExactly) {
    Chart chart = chart_of({flat(40, 0, 1000), flat(90, 1500, 2400)});
    chart.title = "Charge over the last 24 hours, with a title longer than a narrow terminal";
    chart.caption = "A caption that is long enough to be wrapped on a narrow terminal's width";
    chart.marked = {{1500, 2000}};
    for (int i = 0; i <= 24; i += 3)
        chart.ticks.push_back({i * 100, std::to_string(i) + ":00"});
    for (size_t width : {30u, 31u, 47u, 80u, 133u, 211u}) {
        for (bool colour : {false, true}) {
            Lines lines = block_chart_lines(chart, {width, 6, colour});
            for (const auto& line : lines)
                EXPECT_LE(display_width(line), width) << width << ": " << line;
            Drawn drawn = parse(lines);
            ASSERT_EQ(drawn.rows.size(), 6u) << width;
            size_t label_width = display_width(drawn.labels[0]);
            EXPECT_EQ(label_width + 1 + drawn.axis.size(), width);
            for (const auto& row : drawn.rows)
                EXPECT_EQ(row.size(), drawn.axis.size()) << width;
        }
    }
}

TEST(BlockChart, ShowsOnlyTheCaptionWrappedWhenTooNarrow) {
    Chart chart = chart_of({flat(40, 0, 2400)});
    chart.caption = "Health 91 %: −2.1 % in 6 months";
    EXPECT_EQ(block_chart_lines(chart, {29, 6, false}),
              (Lines{"Health 91 %: −2.1 % in 6", "months"}));
    EXPECT_EQ(block_chart_lines(chart, {12, 6, false}),
              (Lines{"Health 91 %:", "−2.1 % in 6", "months"}));
    chart.caption.clear();
    EXPECT_TRUE(block_chart_lines(chart, {29, 6, false}).empty());
    EXPECT_EQ(block_chart_lines(chart, {30, 6, false}).size(), 1u + 6 + 2); // title, rows, axis
}

TEST(BlockChart, DrawsOnlyTitleAndCaptionWithNothingToPlot) {
    Chart with_points = chart_of({flat(40, 0, 2400)});
    with_points.caption = "Too few days for a trend";
    Chart no_points = with_points;
    no_points.runs = {{}, {}};
    Chart no_time = with_points;
    no_time.to = no_time.from;
    Chart no_values = with_points;
    no_values.high = no_values.low;
    for (const Chart& chart : {no_points, no_time, no_values}) {
        EXPECT_EQ(block_chart_lines(chart, {60, 6, false}),
                  (Lines{"Charge", "Too few days for a trend"}));
    }
    EXPECT_EQ(block_chart_lines(with_points, {60, 6, false}).size(), 1u + 6 + 2 + 1);
}

TEST(BlockChart, ColoursTheMarkedColumnsAndDrawsTheAxisUnderThemHeavy) {
    Chart chart = chart_of({flat(30, 0, 2400, 10)});
    chart.marked = {{600, 1200}, {1800, 1800}}; // the second is empty and marks nothing
    for (bool colour : {true, false}) {
        Lines lines = block_chart_lines(chart, {54, 4, colour}); // 48 columns of 50 s
        Drawn drawn = parse(lines);
        ASSERT_EQ(drawn.axis.size(), 48u);
        for (size_t c = 0; c < 48; ++c) {
            bool marked = c >= 12 && c < 24;
            EXPECT_EQ(drawn.axis[c].glyph, marked ? "━" : "─") << c;
            std::string expected_style = colour && marked ? std::string(k_green) : "";
            EXPECT_EQ(drawn.axis[c].style, expected_style) << c;
            EXPECT_EQ(drawn.rows.back()[c].style, expected_style) << c; // the blocks too
            EXPECT_EQ(drawn.rows.front()[c].style, "") << c;            // not the blanks
        }
        std::string title = lines[0];
        EXPECT_EQ(title, colour ? "\x1b[1mCharge\x1b[0m  \x1b[32m━\x1b[0m charging"
                                : "Charge  ━ charging");
    }
    // Ticks stand on the axis, light or heavy as it is there; one outside it is not drawn.
    chart.ticks = {{0, "a"}, {1210, "b"}, {2400, "c"}, {3000, "outside"}};
    chart.marked = {{1000, 1400}};
    Drawn ticked = draw(chart, 54, 4);
    for (size_t c = 0; c < 48; ++c) {
        std::string_view expected = c == 0 || c == 47   ? "┬"
                                    : c == 24           ? "┯"
                                    : c >= 20 && c < 28 ? "━"
                                                        : "─";
        EXPECT_EQ(ticked.axis.at(c).glyph, expected) << c;
    }
    chart.ticks.clear();
    chart.marked.clear();
    Lines unmarked = block_chart_lines(chart, {54, 4, true});
    EXPECT_EQ(unmarked[0], "\x1b[1mCharge\x1b[0m");
    for (const auto& line : unmarked)
        EXPECT_EQ(line.find(k_green), std::string::npos) << line;
}

TEST(BlockChart, LabelsTheValueAxisAtItsTopMiddleAndBottom) {
    struct Row {
        double low, high;
        std::string unit;
        size_t height;
        Lines labels;
    };
    const Row rows[] = {
        {0, 100, "%", 6, {"100 %", "", "50 %", "", "", "0 %"}},
        {0, 100, "%", 5, {"100 %", "", "50 %", "", "0 %"}},
        {0, 100, "%", 2, {"100 %", "0 %"}}, // the middle would share the top row
        {0, 100, "%", 1, {"100 %"}},
        {70, 100, "", 3, {"100", "85", "70"}},
        {73, 100, "%", 3, {"100 %", "86.5 %", "73 %"}},
    };
    for (const auto& row : rows) {
        Chart chart = chart_of({flat(80, 0, 2400)});
        chart.low = row.low;
        chart.high = row.high;
        chart.unit = row.unit;
        Drawn drawn = draw(chart, 60, row.height);
        Lines expected;
        size_t width = 0;
        for (const auto& label : row.labels)
            width = std::max(width, display_width(label));
        for (const auto& label : row.labels)
            expected.push_back(std::string(width - display_width(label), ' ') + label);
        EXPECT_EQ(drawn.labels, expected) << row.low << ".." << row.high << " " << row.height;
    }
}

TEST(BlockChart, PlacesTickLabelsUnderTheirTicksAndLeavesOutThoseThatDoNotFit) {
    struct Row {
        std::string name;
        std::vector<ChartTick> ticks;
        std::string expected; // under the 48 columns of 50 s
    };
    const Row rows[] = {
        {"centred under the tick", {{1200, "noon"}}, std::string(23, ' ') + "noon"},
        {"kept inside the axis at both ends",
         {{0, "start"}, {2400, "end"}},
         "start" + std::string(40, ' ') + "end"},
        {"in order of time whatever the order given",
         {{2400, "c"}, {0, "a"}, {1200, "b"}},
         "a" + std::string(23, ' ') + "b" + std::string(22, ' ') + "c"},
        {"one that would touch the one before is left out",
         {{0, "one"}, {150, "two"}, {350, "three"}},
         "one  three"},
        {"one blank between two is enough", {{0, "one"}, {250, "two"}}, "one two"},
        {"as wide as the axis", {{1200, std::string(48, 'x')}}, std::string(48, 'x')},
        {"outside the time axis, or wider than it",
         {{-50, "before"}, {2450, "after"}, {1200, std::string(49, 'x')}},
         ""},
        {"an empty label takes no room", {{0, ""}, {50, "x"}}, " x"},
    };
    for (const auto& row : rows) {
        Chart chart = chart_of({flat(30, 0, 2400)});
        chart.ticks = row.ticks;
        Drawn drawn = draw(chart, 54, 4);
        ASSERT_EQ(drawn.axis.size(), 48u);
        EXPECT_EQ(drawn.tick_labels, row.expected) << row.name;
    }
}

TEST(BlockChart, DrawsTheTrendAsDotsInTheBlankAboveTheColumns) {
    Chart chart = chart_of({flat(20, 0, 1200)});
    chart.trend = {{0, 90}, {2400, 90}};
    Drawn drawn = draw(chart, 54, 4, true); // 90 % lies in the top row
    ASSERT_EQ(drawn.rows.size(), 4u);
    for (size_t c = 0; c < 48; ++c) {
        EXPECT_EQ(drawn.rows[0][c].glyph, "·") << c;
        EXPECT_EQ(drawn.rows[0][c].style, "\x1b[2m") << c;
        EXPECT_EQ(drawn.rows[1][c].glyph, " ") << c;
    }
    // Right above a column that fills whole rows.
    chart = chart_of({flat(50, 0, 2400)});
    chart.trend = {{0, 60}, {2400, 60}};
    drawn = draw(chart, 54, 4);
    EXPECT_EQ(drawn.rows[1][0].glyph, "·");
    EXPECT_EQ(drawn.rows[2][0].glyph, "█");
    // Rising from the blocks' row to the top and ending halfway: no dot over a block, none after.
    chart = chart_of({flat(20, 0, 1150)});
    chart.trend = {{0, 10}, {1190, 100}};
    drawn = draw(chart, 54, 4);
    for (const auto& row : drawn.rows)
        EXPECT_NE(row[0].glyph, "·");
    EXPECT_EQ(drawn.rows[3][0].glyph, "▆");
    EXPECT_EQ(drawn.rows[0][22].glyph, "·");
    EXPECT_EQ(drawn.rows[0][23].glyph, "·"); // past the blocks, not past the trend
    for (size_t c = 24; c < 48; ++c)
        EXPECT_TRUE(blank_column(drawn, c)) << c;
}
