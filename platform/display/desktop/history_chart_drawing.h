#pragma once
// One chart of the battery's history drawn with cairo into a rectangle: the title above, the
// value axis labelled on the left, the time axis with its ticks' labels below and the caption
// under them. The charging spans are shaded behind the line, each run of points is one joined
// line (nothing joins two runs, so a gap stays empty) and the trend is dashed over it. Nothing is
// drawn outside the rectangle, and its background is left as it is: the chart sits on the
// window's own.

#include "platform/display/history_charts.h"

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

struct ChartColour {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;
};

// The background a chart is drawn on.
enum class ChartShade : uint8_t { light, dark };

struct ChartPalette {
    ChartColour text;   // title, caption and labels
    ChartColour axis;   // the axes and the ticks' marks
    ChartColour grid;   // the lines across the chart at the labelled values and times
    ChartColour line;   // the runs
    ChartColour marked; // the spans shaded behind
    ChartColour trend;
};

const ChartPalette& chart_palette(ChartShade background);

// The background under a theme's text colour: light text is drawn on a dark one.
ChartShade shade_under_text(const ChartColour& text);

struct ChartArea {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

struct ChartStyle {
    ChartShade background = ChartShade::light;
    std::string font_family = "Sans";
};

void draw_history_chart(cairo_t* cairo, const Chart& chart, const ChartArea& area,
                        const ChartStyle& style);

// The part of `area` the values are plotted in, once the title, the labels and the caption have
// their room; measured with the text of `cairo`'s target.
ChartArea chart_plot_area(cairo_t* cairo, const Chart& chart, const ChartArea& area,
                          const ChartStyle& style);

// Where a time and a value land in `plot`: from..to left to right, low..high bottom to top.
struct ChartSpot {
    double x = 0;
    double y = 0;
};
ChartSpot chart_spot(const Chart& chart, const ChartArea& plot, ChartPoint point);

// The value axis's labels, lowest first: low and high, and the middle when it is a whole number,
// each with the unit ("0 %", "50 %", "100 %").
struct ChartValueLabel {
    double value = 0;
    std::string text;
    bool operator==(const ChartValueLabel&) const = default;
};
std::vector<ChartValueLabel> value_axis_labels(const Chart& chart);
