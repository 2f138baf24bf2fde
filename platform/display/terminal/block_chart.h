#pragma once
// A history chart drawn in text for the terminal: the title; rows of columns whose blocks
// (▁ to █) show the value to an eighth of a row, each column one equal slice of the time axis,
// with the value axis labelled on the left; the time axis underneath, marked at its ticks, with
// the tick labels that fit below it; the caption. A column the line does not cross (the machine
// asleep or off) stays blank. Columns in a marked span are drawn in their own colour, and the
// time axis under them heavier, so that the marks read without colour too. Pure.

#include "platform/display/history_charts.h"

#include <cstddef>
#include <string>
#include <vector>

// Narrower than this, a chart is no longer worth reading: only its caption is shown.
constexpr size_t k_block_chart_min_width = 30;

struct BlockChartOptions {
    size_t width = 80; // columns every line fits in
    size_t height = 6; // rows of blocks
    bool colour = true;
};

// Lines drawing `chart`: every one at most `options.width` columns, the rows of blocks and the
// time axis exactly that wide. A chart without points, or one with no time or value range, is
// its title and caption; below the minimum width it is the caption, wrapped (none when empty).
std::vector<std::string> block_chart_lines(const Chart& chart, const BlockChartOptions& options);
