#include "platform/display/desktop/titled_icon.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int k_smallest_height = 8;
constexpr uint32_t k_outline_alpha = 255; // of the painted pixel the edge runs along

struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

uint8_t alpha_at(const ImagePixels& picture, int x, int y) {
    return picture.rgba[(static_cast<size_t>(y) * picture.pixels_wide + x) * 4 + 3];
}

Box painted_box(const ImagePixels& picture) {
    int left = picture.pixels_wide, top = picture.pixels_high, right = -1, bottom = -1;
    for (int y = 0; y < picture.pixels_high; ++y) {
        for (int x = 0; x < picture.pixels_wide; ++x) {
            if (!alpha_at(picture, x, y)) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return {};
    return Box{left, top, right - left + 1, bottom - top + 1};
}

bool within(Box box, int x, int y) {
    return x >= box.x && y >= box.y && x < box.x + box.width && y < box.y + box.height;
}

// The painted part of the picture as a premultiplied cairo surface, with `emptied` (in the
// part's own pixels) left clear.
cairo_surface_t* painted_surface(const ImagePixels& picture, Box box, Box emptied) {
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, box.width, box.height);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < box.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < box.width; ++x) {
            const uint8_t* rgba =
                &picture
                     .rgba[(static_cast<size_t>(box.y + y) * picture.pixels_wide + box.x + x) * 4];
            const uint32_t alpha = within(emptied, x, y) ? 0 : rgba[3];
            auto premultiplied = [alpha](uint8_t value) { return (value * alpha + 127) / 255; };
            row[x] = alpha << 24 | premultiplied(rgba[0]) << 16 | premultiplied(rgba[1]) << 8 |
                     premultiplied(rgba[2]);
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

// The battery's inside, in its own pixels: within the outline, left of the terminal (the columns
// its top edge does not reach).
Box inside_of_battery(const ImagePixels& picture, Box painted) {
    const int middle = painted.y + painted.height / 2;
    int outline = 0;
    while (outline < painted.width && alpha_at(picture, painted.x + outline, middle))
        ++outline;
    int body = painted.width;
    while (body > 0 && !alpha_at(picture, painted.x + body - 1, painted.y))
        --body;
    const Box inside{outline, outline, body - 2 * outline, painted.height - 2 * outline};
    if (inside.width <= 0 || inside.height <= 0) return {};
    return inside;
}

PangoLayout* text_layout(cairo_t* cairo, const std::string& text, const std::string& family,
                         double pixel_size) {
    PangoLayout* layout = pango_cairo_create_layout(cairo);
    PangoFontDescription* font = pango_font_description_from_string(family.c_str());
    pango_font_description_set_absolute_size(font, pixel_size * PANGO_SCALE);
    pango_font_description_set_weight(font, PANGO_WEIGHT_BOLD);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    pango_layout_set_text(layout, text.c_str(), -1);
    return layout;
}

// The ink of the text, so that it is centred by what shows rather than by the font's line.
PangoRectangle ink_of(PangoLayout* layout) {
    PangoRectangle ink{};
    pango_layout_get_pixel_extents(layout, &ink, nullptr);
    return ink;
}

void set_colour(cairo_t* cairo, const std::optional<PanelTint>& tint) {
    const TintColour colour = tint_colour(tint.value_or(PanelTint::dark));
    cairo_set_source_rgb(cairo, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0);
}

void draw_text_in(cairo_t* cairo, const std::string& text, const TitledIconRequest& request,
                  double x, double y, double width, double height) {
    double size = height / 0.72; // digits stand about 0.72 of the font's size
    PangoLayout* layout = text_layout(cairo, text, request.font_family, size);
    PangoRectangle ink = ink_of(layout);
    if (ink.width > width && ink.width > 0) {
        g_object_unref(layout);
        size *= width / ink.width;
        layout = text_layout(cairo, text, request.font_family, size);
        ink = ink_of(layout);
    }
    set_colour(cairo, request.tint);
    cairo_move_to(cairo, x + (width - ink.width) / 2 - ink.x,
                  y + (height - ink.height) / 2 - ink.y);
    pango_cairo_show_layout(cairo, layout);
    g_object_unref(layout);
}

void draw_battery(cairo_t* cairo, cairo_surface_t* battery, Box painted, Box at,
                  const std::optional<PanelTint>& tint) {
    cairo_save(cairo);
    cairo_translate(cairo, at.x, at.y);
    cairo_scale(cairo, static_cast<double>(at.width) / painted.width,
                static_cast<double>(at.height) / painted.height);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(battery);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    if (tint) {
        set_colour(cairo, tint);
        cairo_mask(cairo, pattern);
    } else {
        cairo_set_source(cairo, pattern);
        cairo_paint(cairo);
    }
    cairo_pattern_destroy(pattern);
    cairo_restore(cairo);
}

struct Layout {
    int width = 0;
    int height = 0;
    Box battery;
    Box emptied; // the battery's inside, in its own pixels, cleared for the charge
    Box title;   // where the title is written; empty for none
};

int rounded(double value) {
    return std::max(1, static_cast<int>(std::lround(value)));
}

Layout square_layout(const ImagePixels& picture, Box painted, const TitledIconRequest& request) {
    const int side = request.height;
    const int high = std::min(side, rounded(double(side) * painted.height / painted.width));
    Layout layout{side, side, Box{0, (side - high) / 2, side, high}, {}, {}};
    if (charge_in_title(request.title).empty()) return layout;
    const Box inside = inside_of_battery(picture, painted);
    const double across = static_cast<double>(side) / painted.width;
    const double down = static_cast<double>(high) / painted.height;
    layout.title = Box{static_cast<int>(std::ceil(inside.x * across)),
                       layout.battery.y + static_cast<int>(std::ceil(inside.y * down)),
                       static_cast<int>(std::floor(inside.width * across)),
                       static_cast<int>(std::floor(inside.height * down))};
    if (layout.title.width < 4 || layout.title.height < 4)
        return Layout{side, side, layout.battery, {}, {}};
    layout.emptied = inside;
    return layout;
}

int text_width(const std::string& text, const TitledIconRequest& request, double height) {
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cairo = cairo_create(scratch);
    PangoLayout* layout = text_layout(cairo, text, request.font_family, height / 0.72);
    const int width = ink_of(layout).width + ink_of(layout).x;
    g_object_unref(layout);
    cairo_destroy(cairo);
    cairo_surface_destroy(scratch);
    return width;
}

Layout wide_layout(Box painted, const TitledIconRequest& request) {
    const int high = request.height;
    const int wide = rounded(double(high) * painted.width / painted.height);
    Layout layout{wide, high, Box{0, 0, wide, high}, {}, {}};
    if (request.title.empty()) return layout;
    const int text_height = rounded(high * 0.62);
    const int gap = rounded(high / 5.0);
    const int text = text_width(request.title, request, text_height) + 1;
    layout.title = Box{wide + gap, (high - text_height) / 2, text, text_height};
    layout.width = wide + gap + text;
    return layout;
}

// Transparent pixels reached from the picture's edge without crossing a painted one: the outside,
// where an outline may go without filling the battery's own gaps.
std::vector<bool> outside_pixels(const std::vector<uint32_t>& pixels, int width, int height) {
    std::vector<bool> outside(pixels.size(), false);
    std::vector<int> pending;
    auto visit = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        const size_t at = static_cast<size_t>(y) * width + x;
        if (outside[at] || (pixels[at] >> 24) >= 0x80) return;
        outside[at] = true;
        pending.push_back(static_cast<int>(at));
    };
    for (int x = 0; x < width; ++x) {
        visit(x, 0);
        visit(x, height - 1);
    }
    for (int y = 0; y < height; ++y) {
        visit(0, y);
        visit(width - 1, y);
    }
    while (!pending.empty()) {
        const int at = pending.back();
        pending.pop_back();
        const int x = at % width, y = at / width;
        visit(x + 1, y);
        visit(x - 1, y);
        visit(x, y + 1);
        visit(x, y - 1);
    }
    return outside;
}

uint32_t strongest_neighbour_alpha(const std::vector<uint32_t>& pixels, int width, int height,
                                   int x, int y) {
    uint32_t strongest = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
            strongest = std::max(strongest, pixels[static_cast<size_t>(ny) * width + nx] >> 24);
        }
    }
    return strongest;
}

// Premultiplied pixels: the outline goes under what is painted.
void add_outline(std::vector<uint32_t>& pixels, int width, int height, PanelTint tint) {
    const std::vector<bool> outside = outside_pixels(pixels, width, height);
    const TintColour edge =
        tint_colour(tint == PanelTint::light ? PanelTint::dark : PanelTint::light);
    const std::vector<uint32_t> before = pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t at = static_cast<size_t>(y) * width + x;
            if (!outside[at]) continue;
            const uint32_t under =
                strongest_neighbour_alpha(before, width, height, x, y) * k_outline_alpha / 255;
            const uint32_t alpha = before[at] >> 24;
            const uint32_t added = under * (255 - alpha) / 255;
            auto channel = [&](int shift, uint8_t value) {
                return (((before[at] >> shift) & 0xFF) + value * added / 255) << shift;
            };
            pixels[at] = (alpha + added) << 24 | channel(16, edge.red) | channel(8, edge.green) |
                         channel(0, edge.blue);
        }
    }
}

// Most pixels are clear or opaque, whose colour needs no division to take back its alpha.
StatusPixmap to_pixmap(const std::vector<uint32_t>& pixels, int width, int height) {
    StatusPixmap pixmap{width, height, std::vector<uint8_t>(pixels.size() * 4)};
    uint8_t* out = pixmap.argb.data();
    for (uint32_t pixel : pixels) {
        const uint32_t alpha = pixel >> 24;
        out[0] = static_cast<uint8_t>(alpha);
        for (int channel = 1; channel < 4; ++channel) {
            const uint32_t value = (pixel >> (24 - 8 * channel)) & 0xFF;
            out[channel] = static_cast<uint8_t>(
                alpha == 255 ? value
                : alpha      ? std::min<uint32_t>(255, (value * 255 + alpha / 2) / alpha)
                             : 0);
        }
        out += 4;
    }
    return pixmap;
}

std::vector<uint32_t> surface_pixels(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        std::memcpy(&pixels[static_cast<size_t>(y) * width], data + static_cast<size_t>(y) * stride,
                    static_cast<size_t>(width) * 4);
    return pixels;
}

// A cairo drawing surface of the icon's size, drawn on `margin` pixels in from its edges.
struct Canvas {
    Canvas(int width, int height, int margin)
        : width(width), height(height),
          surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
          cairo(cairo_create(surface)) {
        cairo_translate(cairo, margin, margin);
    }
    ~Canvas() {
        cairo_destroy(cairo);
        cairo_surface_destroy(surface);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    std::vector<uint32_t> pixels() const { return surface_pixels(surface); }

    const int width;
    const int height;
    cairo_surface_t* const surface;
    cairo_t* const cairo;
};

void draw_title(cairo_t* cairo, const Layout& layout, const TitledIconRequest& request) {
    const Box& box = layout.title;
    if (request.shape == IconShape::wide)
        return draw_text_in(cairo, request.title, request, box.x, box.y, box.width, box.height);
    draw_text_in(cairo, charge_in_title(request.title), request, box.x + 1, box.y + 1,
                 box.width - 2, box.height - 2);
}

// Premultiplied `top` over `bottom`.
uint32_t over(uint32_t top, uint32_t bottom) {
    const uint32_t keep = 255 - (top >> 24);
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t channel = ((top >> shift) & 0xFF) + ((bottom >> shift) & 0xFF) * keep / 255;
        result |= std::min<uint32_t>(channel, 255) << shift;
    }
    return result;
}

bool is_whole_percentage(std::string_view piece) {
    if (piece.size() < 2 || piece.size() > 4 || piece.back() != '%') return false;
    return std::all_of(piece.begin(), piece.end() - 1, [](char c) { return c >= '0' && c <= '9'; });
}

bool usable(const ImagePixels& picture) {
    return picture.pixels_wide > 0 && picture.pixels_high > 0 &&
           picture.rgba.size() ==
               static_cast<size_t>(picture.pixels_wide) * picture.pixels_high * 4;
}

} // namespace

// The title's pieces are joined by " • "; the charge is the piece that is a whole percentage.
std::string charge_in_title(std::string_view title) {
    constexpr std::string_view separator = " \u2022 ";
    size_t start = 0;
    while (start <= title.size()) {
        const size_t end = std::min(title.find(separator, start), title.size());
        if (is_whole_percentage(title.substr(start, end - start)))
            return std::string(title.substr(start, end - start - 1));
        start = end + separator.size();
    }
    return {};
}

StatusPixmap draw_titled_icon(const ImagePixels& picture, const TitledIconRequest& request) {
    if (!usable(picture) || request.height < k_smallest_height) return {};
    const Box painted = painted_box(picture);
    if (painted.width == 0) return {};
    // An outline needs a pixel of room all round.
    const int margin = request.outlined ? 1 : 0;
    TitledIconRequest inner = request;
    inner.height -= 2 * margin;
    const Layout layout = request.shape == IconShape::square
                              ? square_layout(picture, painted, inner)
                              : wide_layout(painted, inner);
    Canvas battery(layout.width + 2 * margin, layout.height + 2 * margin, margin);
    cairo_surface_t* source = painted_surface(picture, painted, layout.emptied);
    draw_battery(battery.cairo, source, painted, layout.battery, request.tint);
    cairo_surface_destroy(source);
    std::vector<uint32_t> pixels = battery.pixels();
    const PanelTint tint = request.tint.value_or(PanelTint::dark);
    if (request.outlined) add_outline(pixels, battery.width, battery.height, tint);
    if (layout.title.width == 0) return to_pixmap(pixels, battery.width, battery.height);
    // The title is outlined on its own, so that its edge runs inside the battery too.
    Canvas title(battery.width, battery.height, margin);
    draw_title(title.cairo, layout, request);
    std::vector<uint32_t> text = title.pixels();
    if (request.outlined) add_outline(text, title.width, title.height, tint);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = over(text[i], pixels[i]);
    return to_pixmap(pixels, battery.width, battery.height);
}
