#include "platform/display/desktop/history_chart_drawing.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <span>

namespace {

constexpr double k_title_pixels = 12;
constexpr double k_label_pixels = 10;
constexpr double k_gap = 4;
constexpr double k_tick_length = 3;
constexpr double k_line_width = 1.5;
constexpr double k_dot_radius = 1.5 * k_line_width;
constexpr double k_trend_dash = 5;

const ChartPalette k_for_light = {
    .text = {0.18, 0.20, 0.21},
    .axis = {0, 0, 0, 0.55},
    .grid = {0, 0, 0, 0.10},
    .line = {0.11, 0.44, 0.85},
    .marked = {0.18, 0.76, 0.49, 0.28},
    .trend = {0.80, 0.30, 0.00},
};

const ChartPalette k_for_dark = {
    .text = {0.93, 0.93, 0.93},
    .axis = {1, 1, 1, 0.55},
    .grid = {1, 1, 1, 0.12},
    .line = {0.47, 0.68, 0.93},
    .marked = {0.34, 0.89, 0.54, 0.24},
    .trend = {1.00, 0.64, 0.28},
};

void set_colour(cairo_t* cairo, const ChartColour& colour) {
    cairo_set_source_rgba(cairo, colour.red, colour.green, colour.blue, colour.alpha);
}

// A layout of one line (a line break is a space), cut short with an ellipsis when wider than
// `width` (when given).
PangoLayout* text_layout(cairo_t* cairo, const std::string& text, const ChartStyle& style,
                         double pixels, bool bold, double width = 0) {
    PangoLayout* layout = pango_cairo_create_layout(cairo);
    PangoFontDescription* font = pango_font_description_from_string(style.font_family.c_str());
    pango_font_description_set_absolute_size(font, pixels * PANGO_SCALE);
    if (bold) pango_font_description_set_weight(font, PANGO_WEIGHT_BOLD);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    if (width > 0) {
        pango_layout_set_width(layout, static_cast<int>(width * PANGO_SCALE));
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    }
    std::string line = text;
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    pango_layout_set_text(layout, line.c_str(), -1);
    return layout;
}

struct TextSize {
    double width = 0;
    double height = 0;
};

TextSize text_size(PangoLayout* layout) {
    int width = 0;
    int height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    return {static_cast<double>(width), static_cast<double>(height)};
}

TextSize measure(cairo_t* cairo, const std::string& text, const ChartStyle& style, double pixels,
                 bool bold) {
    PangoLayout* layout = text_layout(cairo, text, style, pixels, bold);
    const TextSize size = text_size(layout);
    g_object_unref(layout);
    return size;
}

// Draws one line of text with its top left corner at x, y.
void show_text(cairo_t* cairo, PangoLayout* layout, double x, double y) {
    cairo_move_to(cairo, x, y);
    pango_cairo_show_layout(cairo, layout);
    g_object_unref(layout);
}

// How the room of the area is shared out: the heights of the lines of text and the width of
// the value labels.
struct Margins {
    double title = 0;
    double label = 0;
    double caption = 0;
    double value_labels = 0;
};

Margins margins_of(cairo_t* cairo, const Chart& chart, const ChartStyle& style) {
    Margins margins;
    if (!chart.title.empty())
        margins.title = measure(cairo, chart.title, style, k_title_pixels, true).height + k_gap;
    margins.label = measure(cairo, "0", style, k_label_pixels, false).height;
    if (!chart.caption.empty())
        margins.caption =
            k_gap / 2 + measure(cairo, chart.caption, style, k_label_pixels, false).height;
    for (const ChartValueLabel& label : value_axis_labels(chart))
        margins.value_labels = std::max(
            margins.value_labels, measure(cairo, label.text, style, k_label_pixels, false).width);
    return margins;
}

std::string number_text(double value) {
    char text[32];
    const bool whole = value == std::round(value);
    std::snprintf(text, sizeof text, whole ? "%.0f" : "%.1f", value);
    return text;
}

// The ticks within the time axis, in order of time.
std::vector<ChartTick> ticks_on_axis(const Chart& chart) {
    std::vector<ChartTick> ticks;
    std::copy_if(
        chart.ticks.begin(), chart.ticks.end(), std::back_inserter(ticks),
        [&](const ChartTick& tick) { return tick.time >= chart.from && tick.time <= chart.to; });
    std::stable_sort(ticks.begin(), ticks.end(),
                     [](const ChartTick& a, const ChartTick& b) { return a.time < b.time; });
    return ticks;
}

void draw_marked(cairo_t* cairo, const Chart& chart, const ChartArea& plot,
                 const ChartPalette& palette) {
    set_colour(cairo, palette.marked);
    for (const ChartSpan& span : chart.marked) {
        const double left = chart_spot(chart, plot, {span.from, chart.low}).x;
        const double right = chart_spot(chart, plot, {span.to, chart.low}).x;
        cairo_rectangle(cairo, left, plot.y, right - left, plot.height);
    }
    cairo_fill(cairo);
}

void draw_grid(cairo_t* cairo, const Chart& chart, const ChartArea& plot,
               const ChartPalette& palette) {
    set_colour(cairo, palette.grid);
    cairo_set_line_width(cairo, 1);
    for (const ChartValueLabel& label : value_axis_labels(chart)) {
        const double y = chart_spot(chart, plot, {chart.from, label.value}).y;
        cairo_move_to(cairo, plot.x, y);
        cairo_line_to(cairo, plot.x + plot.width, y);
    }
    for (const ChartTick& tick : ticks_on_axis(chart)) {
        const double x = chart_spot(chart, plot, {tick.time, chart.low}).x;
        cairo_move_to(cairo, x, plot.y);
        cairo_line_to(cairo, x, plot.y + plot.height);
    }
    cairo_stroke(cairo);
}

void draw_axes(cairo_t* cairo, const Chart& chart, const ChartArea& plot,
               const ChartPalette& palette) {
    set_colour(cairo, palette.axis);
    cairo_set_line_width(cairo, 1);
    const double bottom = plot.y + plot.height;
    cairo_move_to(cairo, plot.x, plot.y);
    cairo_line_to(cairo, plot.x, bottom);
    cairo_line_to(cairo, plot.x + plot.width, bottom);
    for (const ChartTick& tick : ticks_on_axis(chart)) {
        const double x = chart_spot(chart, plot, {tick.time, chart.low}).x;
        cairo_move_to(cairo, x, bottom);
        cairo_line_to(cairo, x, bottom + k_tick_length);
    }
    cairo_stroke(cairo);
}

// Of the points that fall in one column of device pixels, the first, the lowest, the highest and
// the last, in order of time: the line through them covers the pixels the line through all of
// them does, and a run of a reading a minute over ten days puts a dozen points in each column.
void add_column(std::vector<ChartSpot>& spots, std::span<const ChartSpot> column) {
    if (column.empty()) return;
    const auto [lowest, highest] = std::minmax_element(
        column.begin(), column.end(), [](ChartSpot a, ChartSpot b) { return a.y < b.y; });
    const auto first = column.begin(), last = column.end() - 1;
    auto previous = column.end();
    for (auto kept : {first, std::min(lowest, highest), std::max(lowest, highest), last}) {
        if (kept != previous) spots.push_back(*kept);
        previous = kept;
    }
}

std::vector<ChartSpot> shown_spots(const Chart& chart, const ChartArea& plot,
                                   const std::vector<ChartPoint>& run, double pixels_per_unit) {
    std::vector<ChartSpot> all;
    all.reserve(run.size());
    for (const ChartPoint& point : run)
        all.push_back(chart_spot(chart, plot, point));
    std::vector<ChartSpot> spots;
    size_t start = 0;
    const auto column_of = [&](size_t i) { return std::floor(all[i].x * pixels_per_unit); };
    for (size_t i = 1; i <= all.size(); ++i) {
        if (i < all.size() && column_of(i) == column_of(start)) continue;
        add_column(spots, std::span(all).subspan(start, i - start));
        start = i;
    }
    return spots;
}

// A run of one reading (the first after a wake, say) is a dot, a little wider than the line so
// that it is seen.
void draw_runs(cairo_t* cairo, const Chart& chart, const ChartArea& plot,
               const ChartPalette& palette) {
    set_colour(cairo, palette.line);
    cairo_set_line_width(cairo, k_line_width);
    cairo_set_line_join(cairo, CAIRO_LINE_JOIN_ROUND);
    double pixels_per_unit = 1, unused = 0;
    cairo_user_to_device_distance(cairo, &pixels_per_unit, &unused);
    std::vector<ChartSpot> dots;
    for (const std::vector<ChartPoint>& run : chart.runs) {
        const std::vector<ChartSpot> spots = shown_spots(chart, plot, run, pixels_per_unit);
        if (spots.size() == 1) dots.push_back(spots.front());
        if (spots.size() < 2) continue;
        cairo_move_to(cairo, spots.front().x, spots.front().y);
        for (const ChartSpot& spot : spots)
            cairo_line_to(cairo, spot.x, spot.y);
    }
    cairo_stroke(cairo);
    for (const ChartSpot& dot : dots) {
        cairo_new_sub_path(cairo);
        cairo_arc(cairo, dot.x, dot.y, k_dot_radius, 0, 2 * G_PI);
    }
    cairo_fill(cairo);
}

void draw_trend(cairo_t* cairo, const Chart& chart, const ChartArea& plot,
                const ChartPalette& palette) {
    if (chart.trend.size() != 2) return;
    const ChartSpot from = chart_spot(chart, plot, chart.trend[0]);
    const ChartSpot to = chart_spot(chart, plot, chart.trend[1]);
    set_colour(cairo, palette.trend);
    cairo_set_line_width(cairo, k_line_width);
    cairo_set_dash(cairo, &k_trend_dash, 1, 0);
    cairo_move_to(cairo, from.x, from.y);
    cairo_line_to(cairo, to.x, to.y);
    cairo_stroke(cairo);
    cairo_set_dash(cairo, nullptr, 0, 0);
}

void draw_value_labels(cairo_t* cairo, const Chart& chart, const ChartArea& plot,
                       const ChartStyle& style) {
    for (const ChartValueLabel& label : value_axis_labels(chart)) {
        PangoLayout* layout = text_layout(cairo, label.text, style, k_label_pixels, false);
        const TextSize size = text_size(layout);
        const double y = chart_spot(chart, plot, {chart.from, label.value}).y;
        show_text(cairo, layout, plot.x - k_gap - size.width, y - size.height / 2);
    }
}

// Each label centred under its mark but kept inside the area; a label that would run into the
// one before it is left out, its mark kept.
void draw_tick_labels(cairo_t* cairo, const Chart& chart, const ChartArea& area,
                      const ChartArea& plot, const ChartStyle& style) {
    const double top = plot.y + plot.height + k_tick_length;
    double free_from = area.x;
    for (const ChartTick& tick : ticks_on_axis(chart)) {
        PangoLayout* layout = text_layout(cairo, tick.label, style, k_label_pixels, false);
        const double width = text_size(layout).width;
        const double centred = chart_spot(chart, plot, {tick.time, chart.low}).x - width / 2;
        const double x = std::clamp(centred, area.x, area.x + area.width - width);
        if (x < free_from) {
            g_object_unref(layout);
            continue;
        }
        show_text(cairo, layout, x, top);
        free_from = x + width + k_gap;
    }
}

void draw_title_and_caption(cairo_t* cairo, const Chart& chart, const ChartArea& area,
                            const ChartStyle& style) {
    set_colour(cairo, chart_palette(style.background).text);
    if (!chart.title.empty())
        show_text(cairo, text_layout(cairo, chart.title, style, k_title_pixels, true, area.width),
                  area.x, area.y);
    if (chart.caption.empty()) return;
    PangoLayout* layout =
        text_layout(cairo, chart.caption, style, k_label_pixels, false, area.width);
    show_text(cairo, layout, area.x, area.y + area.height - text_size(layout).height);
}

} // namespace

const ChartPalette& chart_palette(ChartShade background) {
    return background == ChartShade::dark ? k_for_dark : k_for_light;
}

ChartShade shade_under_text(const ChartColour& text) {
    const double luminance = 0.2126 * text.red + 0.7152 * text.green + 0.0722 * text.blue;
    return luminance > 0.5 ? ChartShade::dark : ChartShade::light;
}

std::vector<ChartValueLabel> value_axis_labels(const Chart& chart) {
    const std::string unit = chart.unit.empty() ? "" : " " + chart.unit;
    const double middle = (chart.low + chart.high) / 2;
    std::vector<ChartValueLabel> labels{{chart.low, number_text(chart.low) + unit}};
    if (middle == std::round(middle)) labels.push_back({middle, number_text(middle) + unit});
    labels.push_back({chart.high, number_text(chart.high) + unit});
    return labels;
}

ChartArea chart_plot_area(cairo_t* cairo, const Chart& chart, const ChartArea& area,
                          const ChartStyle& style) {
    const Margins margins = margins_of(cairo, chart, style);
    // The top and bottom value labels are centred on the plot's edges: half of each stands out.
    const double top = margins.title + margins.label / 2;
    const double bottom = k_tick_length + margins.label + margins.caption;
    const double left = margins.value_labels + k_gap;
    // Room at the right for half of a label centred on the last tick.
    const double right = 2 * k_gap;
    return {area.x + left, area.y + top, std::max(0.0, area.width - left - right),
            std::max(0.0, area.height - top - bottom)};
}

ChartSpot chart_spot(const Chart& chart, const ChartArea& plot, ChartPoint point) {
    const double duration = static_cast<double>(std::max<std::int64_t>(chart.to - chart.from, 1));
    const double range = chart.high > chart.low ? chart.high - chart.low : 1;
    const double across = static_cast<double>(point.time - chart.from) / duration;
    const double up = (point.value - chart.low) / range;
    return {plot.x + across * plot.width, plot.y + (1 - up) * plot.height};
}

void draw_history_chart(cairo_t* cairo, const Chart& chart, const ChartArea& area,
                        const ChartStyle& style) {
    const ChartPalette& palette = chart_palette(style.background);
    const ChartArea plot = chart_plot_area(cairo, chart, area, style);
    cairo_save(cairo);
    cairo_rectangle(cairo, area.x, area.y, area.width, area.height);
    cairo_clip(cairo);
    cairo_save(cairo);
    cairo_rectangle(cairo, plot.x, plot.y, plot.width, plot.height);
    cairo_clip(cairo);
    draw_marked(cairo, chart, plot, palette);
    draw_grid(cairo, chart, plot, palette);
    cairo_restore(cairo);
    draw_axes(cairo, chart, plot, palette);
    cairo_save(cairo);
    // A line along an edge of the plot, or a dot at either end of the time axis, is drawn whole;
    // what lies further outside the axes is cut off.
    cairo_rectangle(cairo, plot.x - k_dot_radius, plot.y - k_dot_radius,
                    plot.width + 2 * k_dot_radius, plot.height + 2 * k_dot_radius);
    cairo_clip(cairo);
    draw_runs(cairo, chart, plot, palette);
    draw_trend(cairo, chart, plot, palette);
    cairo_restore(cairo);
    set_colour(cairo, palette.text);
    draw_value_labels(cairo, chart, plot, style);
    draw_tick_labels(cairo, chart, area, plot, style);
    draw_title_and_caption(cairo, chart, area, style);
    cairo_restore(cairo);
}
