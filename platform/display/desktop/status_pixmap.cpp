#include "platform/display/desktop/status_pixmap.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

int scaled_extent(double points, int pixels, int scale) {
    const long extent = std::lround(points * scale);
    return extent > 0 ? static_cast<int>(extent) : pixels * scale;
}

// The source pixels under target pixel `at` along one axis: one when enlarging, all that it
// covers when reducing.
struct Span {
    int first;
    int end;
};

Span source_span(int at, int target_extent, int source_extent) {
    const int first = static_cast<int>(static_cast<long>(at) * source_extent / target_extent);
    const int end = static_cast<int>(static_cast<long>(at + 1) * source_extent / target_extent);
    return Span{std::min(first, source_extent - 1), std::max(end, first + 1)};
}

// The mean of the pixels in the block: alpha by area, colour weighted by alpha (straight).
std::array<uint8_t, 4> block_mean(const ImagePixels& pixels, Span columns, Span rows) {
    uint64_t alpha = 0;
    std::array<uint64_t, 3> colour{};
    for (int y = rows.first; y < rows.end; ++y) {
        for (int x = columns.first; x < columns.end; ++x) {
            const uint8_t* rgba =
                &pixels.rgba[(static_cast<size_t>(y) * pixels.pixels_wide + x) * 4];
            alpha += rgba[3];
            for (size_t i = 0; i < 3; ++i)
                colour[i] += uint64_t{rgba[i]} * rgba[3];
        }
    }
    const uint64_t count = static_cast<uint64_t>(columns.end - columns.first) *
                           static_cast<uint64_t>(rows.end - rows.first);
    std::array<uint8_t, 4> mean{0, 0, 0, static_cast<uint8_t>((alpha + count / 2) / count)};
    for (size_t i = 0; i < 3 && alpha > 0; ++i)
        mean[i] = static_cast<uint8_t>((colour[i] + alpha / 2) / alpha);
    return mean;
}

} // namespace

StatusPixmap make_status_pixmap(const ImagePixels& pixels, int scale,
                                std::optional<PanelTint> tint) {
    const size_t expected = static_cast<size_t>(pixels.pixels_wide) * pixels.pixels_high * 4;
    if (scale < 1 || pixels.pixels_wide <= 0 || pixels.pixels_high <= 0) return {};
    if (pixels.rgba.size() != expected) return {};
    StatusPixmap pixmap;
    pixmap.width = scaled_extent(pixels.width, pixels.pixels_wide, scale);
    pixmap.height = scaled_extent(pixels.height, pixels.pixels_high, scale);
    pixmap.argb.reserve(static_cast<size_t>(pixmap.width) * pixmap.height * 4);
    const std::optional<TintColour> colour =
        tint ? std::optional(tint_colour(*tint)) : std::nullopt;
    for (int y = 0; y < pixmap.height; ++y) {
        const Span rows = source_span(y, pixmap.height, pixels.pixels_high);
        for (int x = 0; x < pixmap.width; ++x) {
            const auto rgba =
                block_mean(pixels, source_span(x, pixmap.width, pixels.pixels_wide), rows);
            pixmap.argb.push_back(rgba[3]);
            pixmap.argb.push_back(colour ? colour->red : rgba[0]);
            pixmap.argb.push_back(colour ? colour->green : rgba[1]);
            pixmap.argb.push_back(colour ? colour->blue : rgba[2]);
        }
    }
    return pixmap;
}
