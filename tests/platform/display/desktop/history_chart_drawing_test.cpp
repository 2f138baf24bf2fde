#include "platform/display/desktop/history_chart_drawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>

namespace {

// A chart over 1000 s: a run at 40 % up to 400 s, a gap, a run at 80 % from 600 s; charging
// from 700 s to 900 s. The grid lies at 0, 50 and 100 % and at the ticks, clear of all of these.
Chart sample_chart() {
    Chart chart;
    chart.title = "Last 24 Hours";
    chart.from = 0;
    chart.to = 1000;
    chart.ticks = {{0, "00:00"}, {500, "12:00"}, {1000, "24:00"}};
    chart.runs = {{{0, 40}, {200, 40}, {400, 40}}, {{600, 80}, {800, 80}, {1000, 80}}};
    chart.marked = {{700, 900}};
    chart.caption = "Charging is shaded";
    return chart;
}

struct Rgba {
    double red = 0, green = 0, blue = 0, alpha = 0;
};

// An ARGB32 picture of `width` × `height` points at `scale` device pixels a point.
class Picture {
  public:
    Picture(int width, int height, int scale = 1, Rgba background = {})
        : m_scale(scale),
          m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width * scale, height * scale),
                    cairo_surface_destroy),
          m_cairo(nullptr, cairo_destroy) {
        cairo_surface_set_device_scale(m_surface.get(), scale, scale);
        m_cairo.reset(cairo_create(m_surface.get()));
        cairo_set_source_rgba(m_cairo.get(), background.red, background.green, background.blue,
                              background.alpha);
        cairo_paint(m_cairo.get());
    }

    cairo_t* cairo() { return m_cairo.get(); }
    int pixels_wide() { return cairo_image_surface_get_width(m_surface.get()); }
    int pixels_high() { return cairo_image_surface_get_height(m_surface.get()); }

    // The device pixel under the point x, y, its colour unpremultiplied.
    Rgba at_point(double x, double y) {
        return at_pixel(static_cast<int>(std::floor(x * m_scale)),
                        static_cast<int>(std::floor(y * m_scale)));
    }

    Rgba at_pixel(int x, int y) {
        cairo_surface_flush(m_surface.get());
        const unsigned char* row =
            cairo_image_surface_get_data(m_surface.get()) +
            static_cast<ptrdiff_t>(y) * cairo_image_surface_get_stride(m_surface.get());
        uint32_t argb = 0;
        std::memcpy(&argb, row + static_cast<ptrdiff_t>(x) * 4, 4);
        const double alpha = (argb >> 24) / 255.0;
        const auto channel = [&](int shift) {
            return alpha > 0 ? ((argb >> shift) & 0xFF) / 255.0 / alpha : 0;
        };
        return {channel(16), channel(8), channel(0), alpha};
    }

  private:
    int m_scale;
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> m_surface;
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> m_cairo;
};

bool near(const Rgba& pixel, const ChartColour& colour, double tolerance = 0.12) {
    return std::abs(pixel.red - colour.red) < tolerance &&
           std::abs(pixel.green - colour.green) < tolerance &&
           std::abs(pixel.blue - colour.blue) < tolerance;
}

// Whether the line's colour is painted, mostly opaque, within a point of x, y.
bool line_near(Picture& picture, double x, double y, const ChartColour& line) {
    for (double dy : {-1.0, -0.5, 0.0, 0.5, 1.0}) {
        for (double dx : {-1.0, 0.0, 1.0}) {
            const Rgba pixel = picture.at_point(x + dx, y + dy);
            if (pixel.alpha > 0.5 && near(pixel, line)) return true;
        }
    }
    return false;
}

bool line_in_column(Picture& picture, double x, const ChartArea& plot, const ChartColour& line) {
    for (double y = plot.y; y < plot.y + plot.height; y += 0.5) {
        const Rgba pixel = picture.at_point(x, y);
        if (pixel.alpha > 0.3 && near(pixel, line, 0.2)) return true;
    }
    return false;
}

double luminance(const Rgba& colour) {
    const auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) +
           0.0722 * linear(colour.blue);
}

double contrast(const Rgba& one, const Rgba& other) {
    const double a = luminance(one), b = luminance(other);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// `colour` painted with its alpha on an opaque `under`.
Rgba composed(const ChartColour& pixel, const Rgba& under) {
    const auto mix = [&](double top, double bottom) {
        return top * pixel.alpha + bottom * (1 - pixel.alpha);
    };
    return {mix(pixel.red, under.red), mix(pixel.green, under.green), mix(pixel.blue, under.blue),
            1};
}

constexpr ChartArea k_whole{0, 0, 420, 140};

// A chart drawn over the whole of a picture 420 × 140 points large.
struct Drawn {
    explicit Drawn(Chart drawn, ChartShade shade = ChartShade::light, int scale = 1,
                   Rgba background = {})
        : chart(std::move(drawn)), picture(420, 140, scale, background),
          palette(chart_palette(shade)) {
        const ChartStyle style{.background = shade};
        draw_history_chart(picture.cairo(), chart, k_whole, style);
        plot = chart_plot_area(picture.cairo(), chart, k_whole, style);
    }
    ChartSpot spot(std::int64_t time, double value) const {
        return chart_spot(chart, plot, {time, value});
    }
    bool line_at(std::int64_t time, double value) {
        return line_near(picture, spot(time, value).x, spot(time, value).y, palette.line);
    }
    // The most opaque pixel within a point and a half of x, y, across `along_x` or down.
    Rgba strongest_near(double x, double y, bool along_x) {
        Rgba strongest;
        for (double step = -1.5; step <= 1.5; step += 0.5) {
            const Rgba pixel =
                along_x ? picture.at_point(x + step, y) : picture.at_point(x, y + step);
            if (pixel.alpha > strongest.alpha) strongest = pixel;
        }
        return strongest;
    }

    Chart chart;
    Picture picture;
    const ChartPalette& palette;
    ChartArea plot;
};

TEST(HistoryChartDrawing, ValueLabelsAreTheEndsAndAWholeMiddleWithTheUnit) {
    struct Row {
        double low, high;
        std::string unit;
        std::vector<std::string> texts;
    };
    const Row rows[] = {
        {0, 100, "%", {"0 %", "50 %", "100 %"}}, {70, 100, "%", {"70 %", "85 %", "100 %"}},
        {75, 100, "%", {"75 %", "100 %"}},       {0, 5, "", {"0", "5"}},
        {0.5, 2.5, "W", {"0.5 W", "2.5 W"}},     {-10, 10, "W", {"-10 W", "0 W", "10 W"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.low << ".." << row.high);
        Chart chart;
        chart.low = row.low;
        chart.high = row.high;
        chart.unit = row.unit;
        const std::vector<ChartValueLabel> labels = value_axis_labels(chart);
        std::vector<std::string> texts;
        for (size_t i = 0; i < labels.size(); ++i) {
            texts.push_back(labels[i].text);
            EXPECT_GT(labels[i].value, i > 0 ? labels[i - 1].value : -INFINITY);
        }
        EXPECT_EQ(texts, row.texts);
        EXPECT_EQ(std::pair(labels.front().value, labels.back().value),
                  std::pair(row.low, row.high));
    }
}

TEST(HistoryChartDrawing, SpotsRunLeftToRightInTimeAndUpwardsInValue) {
    Chart chart;
    chart.from = 1'000'000;
    chart.to = 1'086'400;
    chart.low = 60;
    const ChartArea plot{10, 20, 400, 100};
    struct Row {
        ChartPoint point;
        double x, y;
    };
    const Row rows[] = {
        {{1'000'000, 60}, 10, 120},
        {{1'086'400, 100}, 410, 20},
        {{1'043'200, 80}, 210, 70},
        {{1'021'600, 90}, 110, 45},
        // Outside the axes: placed on the same scale, past the plot's edges.
        {{1'129'600, 40}, 610, 170},
    };
    for (const Row& row : rows) {
        const ChartSpot spot = chart_spot(chart, plot, row.point);
        EXPECT_DOUBLE_EQ(spot.x, row.x) << row.point.time;
        EXPECT_DOUBLE_EQ(spot.y, row.y) << row.point.value;
    }
    // A chart of no duration puts every time at its left edge rather than dividing by nothing.
    chart.to = chart.from;
    EXPECT_DOUBLE_EQ(chart_spot(chart, plot, {chart.from, 80}).x, 10);
}

TEST(HistoryChartDrawing, PlotLeavesRoomForTitleLabelsAndCaptionInsideTheArea) {
    Picture picture(420, 140);
    const ChartArea area{5, 7, 420, 140};
    Chart bare = sample_chart();
    bare.title.clear();
    bare.caption.clear();
    Chart titled = bare, captioned = bare, wide_labels = bare, broken = sample_chart();
    titled.title = "Last 10 Days";
    captioned.caption = "Health 91 %";
    wide_labels.low = 1000;
    wide_labels.high = 3000;
    wide_labels.unit = "mWh";
    // A line break in the title or caption does not take a second line from the chart.
    broken.title = "Last\n24 Hours";
    broken.caption = "Charging\nis shaded";
    const auto plot_of = [&](const Chart& chart) {
        return chart_plot_area(picture.cairo(), chart, area, {});
    };
    for (const Chart* chart : {&bare, &titled, &captioned, &wide_labels}) {
        const ChartArea plot = plot_of(*chart);
        EXPECT_GT(plot.x, area.x) << chart->title;
        EXPECT_GT(plot.y, area.y);
        EXPECT_LE(plot.x + plot.width, area.x + area.width);
        EXPECT_LE(plot.y + plot.height, area.y + area.height);
        EXPECT_GT(plot.width, 300);
        EXPECT_GT(plot.height, 60);
    }
    const ChartArea plain = plot_of(bare), under_title = plot_of(titled),
                    over_caption = plot_of(captioned);
    EXPECT_GT(under_title.y, plain.y + 8);
    EXPECT_DOUBLE_EQ(under_title.y + under_title.height, plain.y + plain.height);
    EXPECT_LT(over_caption.y + over_caption.height, plain.y + plain.height - 8);
    EXPECT_DOUBLE_EQ(over_caption.y, plain.y);
    EXPECT_GT(plot_of(wide_labels).x, plain.x + 8);
    EXPECT_EQ(std::pair(plot_of(broken).y, plot_of(broken).height),
              std::pair(plot_of(sample_chart()).y, plot_of(sample_chart()).height));
    // An area too small for the text gives an empty plot, never one of negative size.
    const ChartArea tiny = chart_plot_area(picture.cairo(), titled, {0, 0, 20, 10}, {});
    EXPECT_GE(tiny.width, 0);
    EXPECT_GE(tiny.height, 0);
}

// The line is drawn where each point maps and along each run, nowhere in the gap between runs;
// the charging span is shaded and the rest of the plot left clear; at both scales and shades.
TEST(HistoryChartDrawing, RunsAreJoinedGapsLeftOpenAndChargingShaded) {
    for (int scale : {1, 2}) {
        for (ChartShade shade : {ChartShade::light, ChartShade::dark}) {
            SCOPED_TRACE(testing::Message() << "scale " << scale << ", shade " << int(shade));
            Drawn d(sample_chart(), shade, scale);
            for (const auto& run : d.chart.runs) {
                for (const ChartPoint& point : run)
                    EXPECT_TRUE(d.line_at(point.time, point.value)) << point.time;
            }
            // Between two points of a run, and not across the gap.
            EXPECT_TRUE(d.line_at(300, 40));
            for (std::int64_t time : {430, 500, 570})
                EXPECT_FALSE(line_in_column(d.picture, d.spot(time, 0).x, d.plot, d.palette.line))
                    << time;
            const Rgba shaded = d.picture.at_point(d.spot(800, 20).x, d.spot(800, 20).y);
            EXPECT_NEAR(shaded.alpha, d.palette.marked.alpha, 0.02);
            EXPECT_TRUE(near(shaded, d.palette.marked, 0.03));
            for (std::int64_t time : {650, 950, 250})
                EXPECT_EQ(d.picture.at_point(d.spot(time, 20).x, d.spot(time, 20).y).alpha, 0)
                    << time;
        }
    }
}

TEST(HistoryChartDrawing, OnePointRunIsADotAndTheTrendIsDashed) {
    Chart chart = sample_chart();
    chart.runs = {{{100, 30}}};
    chart.marked.clear();
    chart.trend = {{0, 90}, {1000, 60}};
    Drawn d(chart);
    EXPECT_TRUE(d.line_at(100, 30));
    // Wider than the line, so that a lone reading is seen.
    for (double dx : {-1.5, 1.5}) {
        const Rgba edge = d.picture.at_point(d.spot(100, 30).x + dx, d.spot(100, 30).y);
        EXPECT_TRUE(edge.alpha > 0.5 && near(edge, d.palette.line)) << dx;
    }
    EXPECT_FALSE(line_in_column(d.picture, d.spot(300, 0).x, d.plot, d.palette.line));
    int painted = 0, clear = 0;
    for (std::int64_t time = 20; time < 980; time += 2) {
        if (time > 480 && time < 520) continue; // the tick's grid line
        const ChartSpot at = d.spot(time, 90 - 30 * (time / 1000.0));
        const Rgba pixel = d.picture.at_point(at.x, at.y);
        (pixel.alpha > 0.5 && near(pixel, d.palette.trend) ? painted : clear) += 1;
    }
    EXPECT_GT(painted, 60);
    EXPECT_GT(clear, 60);
}

// Ten days of a reading a minute put a dozen readings in each pixel's width: a reading far above
// or below its neighbours still shows, and a rise and fall is drawn where its readings are,
// nothing above or below them; at both scales.
TEST(HistoryChartDrawing, CrowdedReadingsAreDrawnWhereTheyAre) {
    const auto crowded = [](const std::function<double(std::int64_t)>& value) {
        Chart chart = sample_chart();
        chart.to = 10 * 86'400;
        chart.ticks.clear();
        chart.marked.clear();
        chart.runs = {{}};
        for (std::int64_t time = 0; time <= chart.to; time += 60)
            chart.runs[0].push_back({time, value(time)});
        return chart;
    };
    const std::int64_t spike = 3 * 86'400 + 600, dip = 7 * 86'400 + 1200;
    const auto rising = [](std::int64_t time) {
        return 10 + 80.0 * std::sin(M_PI * static_cast<double>(time) / (10 * 86'400));
    };
    for (int scale : {1, 2}) {
        SCOPED_TRACE(testing::Message() << "scale " << scale);
        Drawn spiked(crowded([&](std::int64_t time) {
                         return time == spike ? 95.0 : time == dip ? 5.0 : 40.0;
                     }),
                     ChartShade::light, scale);
        for (const ChartPoint point :
             {ChartPoint{spike, 95}, {dip, 5}, {86'400, 40}, {9 * 86'400, 40}})
            EXPECT_TRUE(spiked.line_at(point.time, point.value)) << point.time;
        EXPECT_FALSE(spiked.line_at(5 * 86'400, 95));
        Drawn curve(crowded(rising), ChartShade::light, scale);
        for (std::int64_t day = 1; day < 10; day += 2) {
            const std::int64_t time = day * 86'400 + 3'600;
            EXPECT_TRUE(curve.line_at(time, rising(time))) << day;
            EXPECT_FALSE(curve.line_at(time, rising(time) - 20)) << day;
            EXPECT_FALSE(curve.line_at(time, rising(time) + 20)) << day;
        }
    }
}

// The device pixels of rows first..end that differ between two pictures of the same size.
int differing(Picture& one, Picture& other, int first, int end) {
    int count = 0;
    for (int y = first; y < end; ++y) {
        for (int x = 0; x < one.pixels_wide(); ++x) {
            const Rgba a = one.at_pixel(x, y), b = other.at_pixel(x, y);
            count += a.alpha != b.alpha || a.red != b.red || a.green != b.green || a.blue != b.blue;
        }
    }
    return count;
}

// A label that would run into the one before is left out, and a tick outside the time axis is
// not drawn at all, not even pushed to the edge; a tick at the very end of the axis is on it.
TEST(HistoryChartDrawing, TickLabelsNeverCrowdAndStayOnTheAxis) {
    const auto with_ticks = [](std::vector<ChartTick> ticks) {
        Chart chart = sample_chart();
        chart.ticks = std::move(ticks);
        return chart;
    };
    Drawn expected(with_ticks({{0, "00:00"}, {500, "12:00"}}));
    const int labels_top = static_cast<int>(std::ceil(expected.plot.y + expected.plot.height + 4));
    const int labels_end = labels_top + 14, all = expected.picture.pixels_high();
    Drawn crowded(with_ticks({{0, "00:00"}, {20, "WWWWWWWW"}, {500, "12:00"}}));
    EXPECT_EQ(differing(crowded.picture, expected.picture, labels_top, labels_end), 0);
    EXPECT_GT(differing(crowded.picture, expected.picture, 0, all), 0) << "its mark is drawn";
    Drawn outside(with_ticks({{-300, "Before"}, {0, "00:00"}, {500, "12:00"}, {1500, "Later"}}));
    EXPECT_EQ(differing(outside.picture, expected.picture, 0, all), 0);
    Drawn at_end(with_ticks({{0, "00:00"}, {500, "12:00"}, {1000, "24:00"}}));
    EXPECT_GT(differing(at_end.picture, expected.picture, labels_top, labels_end), 0);
}

// The axes run along the plot's left and bottom edges and the grid across it at the labelled
// values, each in its palette's colour: the axes firm, the grid faint.
TEST(HistoryChartDrawing, AxesAndGridAreDrawnInThePalettesColours) {
    Chart chart = sample_chart();
    chart.runs.clear();
    chart.marked.clear();
    for (ChartShade shade : {ChartShade::light, ChartShade::dark}) {
        Drawn d(chart, shade);
        const auto firm = [&](const Rgba& pixel) {
            return near(pixel, d.palette.axis, 0.05) && pixel.alpha > 0.25;
        };
        const double bottom = d.plot.y + d.plot.height;
        for (std::int64_t time : {100, 250, 900}) {
            EXPECT_TRUE(firm(d.strongest_near(d.spot(time, 0).x, bottom, false))) << time;
            const Rgba grid = d.strongest_near(d.spot(time, 50).x, d.spot(time, 50).y, false);
            EXPECT_TRUE(near(grid, d.palette.grid, 0.05)) << time;
            EXPECT_GT(grid.alpha, 0.04) << time;
            EXPECT_LT(grid.alpha, 0.2) << time;
        }
        // Each tick's mark stands under the axis.
        EXPECT_TRUE(firm(d.strongest_near(d.spot(500, 0).x, bottom + 2, true)));
        for (double value : {25.0, 75.0})
            EXPECT_TRUE(firm(d.strongest_near(d.plot.x, d.spot(0, value).y, true))) << value;
    }
}

// Points far outside the axes, ticks at the ends with long labels, text longer than the area,
// and an area too small for any of it: every pixel outside the area stays untouched.
TEST(HistoryChartDrawing, NothingIsDrawnOutsideTheArea) {
    Chart wild = sample_chart();
    wild.runs = {{{-5000, -50}, {500, 300}, {9000, 40}}};
    wild.marked = {{-1000, 3000}};
    wild.trend = {{-1000, 200}, {5000, -100}};
    wild.ticks = {{0, "Monday 00:00 long label"}, {1000, "Sunday 24:00 long label"}};
    wild.title = std::string(200, 'T');
    wild.caption = std::string(200, 'C');
    const ChartArea areas[] = {{30, 20, 300, 100}, {30, 20, 40, 25}, {30, 20, 300, 12}};
    for (int scale : {1, 2}) {
        for (const ChartArea& area : areas) {
            Picture picture(360, 140, scale);
            draw_history_chart(picture.cairo(), wild, area, {});
            int inside = 0, outside = 0;
            for (int y = 0; y < picture.pixels_high(); ++y) {
                for (int x = 0; x < picture.pixels_wide(); ++x) {
                    const double px = (x + 0.5) / scale, py = (y + 0.5) / scale;
                    const bool in = px > area.x && px < area.x + area.width && py > area.y &&
                                    py < area.y + area.height;
                    if (picture.at_pixel(x, y).alpha > 0) ++(in ? inside : outside);
                }
            }
            EXPECT_EQ(outside, 0) << area.width << "x" << area.height << " at scale " << scale;
            EXPECT_GT(inside, 0);
        }
    }
}

// On the dialog's own background, light and dark, the line and the text stand out from it: the
// dark palette draws light lines and text, the light one dark lines and text.
TEST(HistoryChartDrawing, EachPaletteStandsOutOnItsBackground) {
    struct Row {
        ChartShade shade;
        Rgba background;
        bool light_ink;
    };
    const Row rows[] = {
        {ChartShade::light, {0.965, 0.961, 0.957, 1}, false},
        {ChartShade::dark, {0.208, 0.208, 0.208, 1}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(int(row.shade));
        Drawn d(sample_chart(), row.shade, 1, row.background);
        const Rgba line = d.picture.at_point(d.spot(200, 40).x, d.spot(200, 40).y);
        EXPECT_GE(contrast(line, row.background), 3);
        EXPECT_EQ(luminance(line) > luminance(row.background), row.light_ink);
        // The title's darkest or lightest pixel, whichever stands out.
        double best = 1;
        for (int x = 0; x < 100; ++x) {
            for (int y = 0; y < static_cast<int>(d.plot.y) - 6; ++y)
                best = std::max(best, contrast(d.picture.at_pixel(x, y), row.background));
        }
        EXPECT_GE(best, 4.5);
        const Rgba shaded = composed(d.palette.marked, row.background);
        EXPECT_GT(contrast(shaded, row.background), 1.1);
        EXPECT_LT(contrast(shaded, row.background), 2);
    }
}

TEST(HistoryChartDrawing, ThemesLightTextMeansADarkBackground) {
    struct Row {
        ChartColour text;
        ChartShade shade;
    };
    const Row rows[] = {
        {{0.18, 0.20, 0.21}, ChartShade::light}, // Adwaita
        {{0.93, 0.93, 0.93}, ChartShade::dark},  // Adwaita dark
        {{0, 0, 0}, ChartShade::light},          {{1, 1, 1}, ChartShade::dark},
        {{0, 0, 1}, ChartShade::light},          {{0.4, 0.9, 0.4}, ChartShade::dark},
    };
    for (const Row& row : rows)
        EXPECT_EQ(shade_under_text(row.text), row.shade)
            << row.text.red << " " << row.text.green << " " << row.text.blue;
}

} // namespace
