#include "platform/display/terminal/block_chart.h"

#include "platform/display/terminal/terminal_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>

namespace {

constexpr int k_eighths = 8;
constexpr std::array<std::string_view, k_eighths + 1> k_blocks = {" ", "▁", "▂", "▃", "▄",
                                                                  "▅", "▆", "▇", "█"};
constexpr std::string_view k_rule = "│";
constexpr std::string_view k_labelled_rule = "┤";
constexpr std::string_view k_corner = "└";
constexpr std::string_view k_trend_dot = "·";
constexpr std::string_view k_legend = "charging";

// The time axis under a column: light, or heavy under a marked column.
struct AxisGlyph {
    std::string_view plain;
    std::string_view marked;
};
constexpr AxisGlyph k_axis_line{"─", "━"};
constexpr AxisGlyph k_axis_tick{"┬", "┯"};

// A column's slice of the time axis; the last one includes the axis's end.
struct Slice {
    double from;
    double to;
    bool last;
};

struct Column {
    std::optional<double> value;
    std::optional<double> trend;
    bool marked = false;
};

struct Cell {
    std::string_view glyph;
    TextStyle style = TextStyle::plain;
};

bool drawable(const Chart& chart) {
    bool has_point = std::any_of(chart.runs.begin(), chart.runs.end(),
                                 [](const auto& run) { return !run.empty(); });
    return has_point && chart.from < chart.to && chart.low < chart.high;
}

Slice slice_of(const Chart& chart, size_t column, size_t columns) {
    const auto span = static_cast<double>(chart.to - chart.from);
    const auto start = static_cast<double>(chart.from);
    return {start + span * static_cast<double>(column) / static_cast<double>(columns),
            start + span * static_cast<double>(column + 1) / static_cast<double>(columns),
            column + 1 == columns};
}

bool overlaps(const Slice& slice, double from, double to) {
    return from <= slice.to && to >= slice.from && (slice.last || from < slice.to);
}

// The value of the line through `run`'s points at `time`, which lies within the run.
double value_at(const std::vector<ChartPoint>& run, double time) {
    auto after =
        std::lower_bound(run.begin(), run.end(), time, [](const ChartPoint& point, double at) {
            return static_cast<double>(point.time) < at;
        });
    if (after == run.end()) return run.back().value;
    if (static_cast<double>(after->time) == time) return after->value; // also the run's start
    auto before = std::prev(after);
    double share = (time - static_cast<double>(before->time)) /
                   static_cast<double>(after->time - before->time);
    return before->value + share * (after->value - before->value);
}

// Where the joined line stands at the slice's right edge, or where its run ends inside the
// slice: the last reading a column covers, and between two readings of one run the line that
// joins them, so that sparse readings on a wide terminal stay joined as they are drawn
// elsewhere. Several runs in one slice: the latest wins. No run in the slice: a gap.
std::optional<double> line_at(const std::vector<std::vector<ChartPoint>>& runs,
                              const Slice& slice) {
    std::optional<double> value;
    double latest = -INFINITY;
    for (const auto& run : runs) {
        if (run.empty()) continue;
        const auto first = static_cast<double>(run.front().time);
        const auto last = static_cast<double>(run.back().time);
        if (!overlaps(slice, first, last)) continue;
        double at = std::min(slice.to, last);
        if (at < latest) continue;
        latest = at;
        value = value_at(run, at);
    }
    return value;
}

bool is_marked(const Chart& chart, const Slice& slice) {
    return std::any_of(chart.marked.begin(), chart.marked.end(), [&](const ChartSpan& span) {
        return span
            .from<span.to&& static_cast<double>(span.from) <
                  slice.to&& static_cast<double>(span.to)>
                slice.from;
    });
}

std::vector<Column> columns_of(const Chart& chart, size_t count) {
    std::vector<Column> columns(count);
    const std::vector<std::vector<ChartPoint>> trend{chart.trend};
    for (size_t i = 0; i < count; ++i) {
        Slice slice = slice_of(chart, i, count);
        columns[i].value = line_at(chart.runs, slice);
        if (!chart.trend.empty()) columns[i].trend = line_at(trend, slice);
        columns[i].marked = is_marked(chart, slice);
    }
    return columns;
}

// Where `value` lies on the value axis, from 0 (low or below) to 1 (high or above).
double share_of(const Chart& chart, double value) {
    double share = (value - chart.low) / (chart.high - chart.low);
    return std::isnan(share) ? 0 : std::clamp(share, 0.0, 1.0);
}

// Eighths of a row the column's blocks fill, counted from the bottom. A reading at the bottom
// of the axis still shows as the lowest block, so that it is never taken for a gap.
int filled_eighths(const Chart& chart, double value, size_t height) {
    double eighths = share_of(chart, value) * static_cast<double>(height * k_eighths);
    return std::max(1, static_cast<int>(std::lround(eighths)));
}

// The row, counted from the bottom, that holds `value`; the top of the axis is in the top row.
size_t row_of(const Chart& chart, double value, size_t height) {
    auto row = static_cast<size_t>(share_of(chart, value) * static_cast<double>(height));
    return std::min(row, height - 1);
}

Cell block_cell(const Chart& chart, const Column& column, size_t height, size_t row) {
    const TextStyle style = column.marked ? TextStyle::marked : TextStyle::plain;
    if (column.value) {
        int eighths = filled_eighths(chart, *column.value, height) - static_cast<int>(row) * 8;
        if (eighths > 0) return {k_blocks[static_cast<size_t>(std::min(eighths, 8))], style};
    }
    if (column.trend && row_of(chart, *column.trend, height) == row)
        return {k_trend_dot, TextStyle::dim};
    return {k_blocks[0], TextStyle::plain};
}

// Cells joined, one attribute sequence for each run of cells in the same style.
std::string joined_cells(const std::vector<Cell>& cells, bool colour) {
    std::string text;
    for (size_t start = 0; start < cells.size();) {
        size_t end = start;
        std::string run;
        while (end < cells.size() && cells[end].style == cells[start].style)
            run += cells[end++].glyph;
        text += styled(run, cells[start].style, colour);
        start = end;
    }
    return text;
}

std::string number_text(double value) {
    std::array<char, 32> text{};
    const char* format = value == std::round(value) ? "%.0f" : "%.1f";
    std::snprintf(text.data(), text.size(), format, value);
    return text.data();
}

// The value axis's labels, one for each row from the top (most of them empty): the high, low
// and middle values, each in the row that holds it, as long as that row has none yet.
std::vector<std::string> value_labels(const Chart& chart, size_t height) {
    std::vector<std::string> labels(height);
    for (double value : {chart.high, chart.low, (chart.low + chart.high) / 2}) {
        std::string& label = labels[height - 1 - row_of(chart, value, height)];
        if (!label.empty()) continue;
        label = number_text(value);
        if (!chart.unit.empty()) label += " " + one_line(chart.unit);
    }
    return labels;
}

size_t widest(const std::vector<std::string>& texts) {
    size_t width = 0;
    for (const auto& text : texts)
        width = std::max(width, display_width(text));
    return width;
}

std::optional<size_t> column_of(const Chart& chart, std::int64_t time, size_t count) {
    if (time < chart.from || time > chart.to) return std::nullopt;
    double share =
        static_cast<double>(time - chart.from) / static_cast<double>(chart.to - chart.from);
    return std::min(static_cast<size_t>(share * static_cast<double>(count)), count - 1);
}

std::vector<ChartTick> ticks_in_order(const Chart& chart) {
    std::vector<ChartTick> ticks = chart.ticks;
    std::stable_sort(ticks.begin(), ticks.end(),
                     [](const ChartTick& a, const ChartTick& b) { return a.time < b.time; });
    return ticks;
}

std::string axis_row(const Chart& chart, const std::vector<Column>& columns, size_t label_width,
                     bool colour) {
    std::vector<bool> ticked(columns.size());
    for (const auto& tick : chart.ticks) {
        if (auto column = column_of(chart, tick.time, columns.size())) ticked[*column] = true;
    }
    std::vector<Cell> cells;
    for (size_t i = 0; i < columns.size(); ++i) {
        const AxisGlyph& glyph = ticked[i] ? k_axis_tick : k_axis_line;
        cells.push_back(columns[i].marked ? Cell{glyph.marked, TextStyle::marked}
                                          : Cell{glyph.plain, TextStyle::plain});
    }
    return std::string(label_width, ' ') + std::string(k_corner) + joined_cells(cells, colour);
}

// Each label centred under its tick as far as the axis allows, in order of time; a label that
// would touch the one before it, or is wider than the axis, is left out.
std::string tick_label_row(const Chart& chart, size_t count, size_t label_width) {
    std::string row(label_width + 1, ' ');
    size_t used = 0; // columns of the axis the row takes so far
    for (const auto& tick : ticks_in_order(chart)) {
        auto column = column_of(chart, tick.time, count);
        std::string label = one_line(tick.label);
        size_t width = display_width(label);
        if (!column || width == 0 || width > count) continue;
        size_t start = std::min(*column - std::min(*column, (width - 1) / 2), count - width);
        if (used > 0 && start < used + 1) continue;
        row += std::string(start - used, ' ') + label;
        used = start + width;
    }
    return row;
}

// The title, and a key to the marks when there are some and it fits whole.
std::string title_line(const Chart& chart, const std::vector<Column>& columns, size_t width,
                       bool colour) {
    std::string title = one_line(chart.title);
    const std::string key = "  " + std::string(k_axis_line.marked) + " " + std::string(k_legend);
    bool marks = std::any_of(columns.begin(), columns.end(),
                             [](const Column& column) { return column.marked; });
    if (!marks || display_width(title) + display_width(key) > width)
        return styled(fit_to_width(title, width), TextStyle::bold, colour);
    return styled(title, TextStyle::bold, colour) + "  " +
           styled(k_axis_line.marked, TextStyle::marked, colour) + " " + std::string(k_legend);
}

void add_caption(std::vector<std::string>& lines, const Chart& chart, size_t width) {
    for (auto& line : wrap_words(one_line(chart.caption), width))
        lines.push_back(std::move(line));
}

void add_plot(std::vector<std::string>& lines, const Chart& chart,
              const std::vector<Column>& columns, const std::vector<std::string>& labels,
              const BlockChartOptions& options) {
    const size_t label_width = widest(labels);
    for (size_t row = options.height; row-- > 0;) {
        std::vector<Cell> cells;
        for (const auto& column : columns)
            cells.push_back(block_cell(chart, column, options.height, row));
        const std::string& label = labels[options.height - 1 - row];
        lines.push_back(std::string(label_width - display_width(label), ' ') + label +
                        std::string(label.empty() ? k_rule : k_labelled_rule) +
                        joined_cells(cells, options.colour));
    }
    lines.push_back(axis_row(chart, columns, label_width, options.colour));
    lines.push_back(tick_label_row(chart, columns.size(), label_width));
}

} // namespace

std::vector<std::string> block_chart_lines(const Chart& chart, const BlockChartOptions& options) {
    std::vector<std::string> lines;
    const std::vector<std::string> labels =
        value_labels(chart, std::max<size_t>(options.height, 1));
    const size_t label_width = widest(labels);
    const bool wide_enough = options.width >= std::max(k_block_chart_min_width, label_width + 2);
    if (wide_enough && options.height > 0) {
        const size_t count = drawable(chart) ? options.width - label_width - 1 : 0;
        const std::vector<Column> columns = columns_of(chart, count);
        lines.push_back(title_line(chart, columns, options.width, options.colour));
        if (count > 0) add_plot(lines, chart, columns, labels, options);
    }
    add_caption(lines, chart, options.width);
    return lines;
}
