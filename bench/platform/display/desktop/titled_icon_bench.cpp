// The status item's pictures for a new title, as Xfce's tray has them drawn: the battery across a
// square 22 and 44 pixels high with the charge written inside it, then the larger one as the
// symbolic icon's SVG text.

#include "platform/display/desktop/symbolic_icon_folder.h"
#include "platform/display/desktop/titled_icon.h"

#include <benchmark/benchmark.h>

namespace {

// A battery's outline 48 × 24 pixels with its terminal on the right, as a template picture.
ImagePixels battery_outline() {
    ImagePixels picture{24, 12, 48, 24, std::vector<uint8_t>(48 * 24 * 4, 0)};
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 48; ++x) {
            const bool outline = x < 42 && (x < 3 || x >= 39 || y < 3 || y >= 21);
            const bool terminal = x >= 42 && y >= 8 && y < 16;
            if (outline || terminal) picture.rgba[static_cast<size_t>(y * 48 + x) * 4 + 3] = 255;
        }
    }
    return picture;
}

TitledIconRequest xfce_request(int height, std::string title) {
    return {.height = height,
            .shape = IconShape::square,
            .title = std::move(title),
            .tint = PanelTint::light,
            .outlined = false,
            .font_family = "Sans"};
}

void BM_TitledIconSquare(benchmark::State& state) {
    const ImagePixels picture = battery_outline();
    int charge = 0;
    for (auto _ : state) {
        const std::string title = std::to_string(20 + charge++ % 80) + "%";
        benchmark::DoNotOptimize(draw_titled_icon(picture, xfce_request(22, title)));
        benchmark::DoNotOptimize(draw_titled_icon(picture, xfce_request(44, title)));
    }
}
BENCHMARK(BM_TitledIconSquare);

void BM_SymbolicSvg(benchmark::State& state) {
    const StatusPixmap pixmap = draw_titled_icon(battery_outline(), xfce_request(44, "79%"));
    for (auto _ : state)
        benchmark::DoNotOptimize(symbolic_svg(pixmap, 22, 22, "#bebebe"));
}
BENCHMARK(BM_SymbolicSvg);

} // namespace
