// Writes the application's icon in the hicolor icon theme's layout, by default under
// resources/icons: <folder>/hicolor/<n>x<n>/apps/org.zerarazi.Zerarazi.png for each size below.
// The icon is a white battery, two thirds charged, on a green rounded square; every size is
// drawn afresh from the same shapes (4 × 4 samples a pixel), not scaled from another.
//
//     make_app_icons [folder]

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int k_sizes[] = {16, 24, 32, 48, 64, 128, 256};
constexpr int k_samples = 4; // per pixel and axis
constexpr const char* k_name = "org.zerarazi.Zerarazi.png";

struct Colour {
    double red, green, blue;
};

constexpr Colour k_background{0.18, 0.55, 0.34};
constexpr Colour k_white{1, 1, 1};

// A rectangle in unit coordinates (0...1 across the icon, y down) with rounded corners.
struct Shape {
    double left, top, right, bottom, radius;

    bool contains(double x, double y) const {
        if (x < left || x > right || y < top || y > bottom) return false;
        const double cx = std::clamp(x, left + radius, right - radius);
        const double cy = std::clamp(y, top + radius, bottom - radius);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    }
};

constexpr Shape k_tile{0.04, 0.04, 0.96, 0.96, 0.18};
constexpr Shape k_body_outside{0.16, 0.30, 0.78, 0.70, 0.06};
constexpr Shape k_body_inside{0.21, 0.35, 0.73, 0.65, 0.03};
constexpr Shape k_terminal{0.78, 0.42, 0.85, 0.58, 0.02};
constexpr Shape k_charge{0.25, 0.39, 0.55, 0.61, 0.01};

bool is_white(double x, double y) {
    if (k_terminal.contains(x, y) || k_charge.contains(x, y)) return true;
    return k_body_outside.contains(x, y) && !k_body_inside.contains(x, y);
}

// Straight RGBA of one pixel: the share of samples on the tile, white where the battery is.
void shade_pixel(int px, int py, int size, unsigned char* rgba) {
    int tile = 0;
    int white = 0;
    for (int sy = 0; sy < k_samples; ++sy) {
        for (int sx = 0; sx < k_samples; ++sx) {
            const double x = (px + (sx + 0.5) / k_samples) / size;
            const double y = (py + (sy + 0.5) / k_samples) / size;
            if (!k_tile.contains(x, y)) continue;
            ++tile;
            if (is_white(x, y)) ++white;
        }
    }
    if (tile == 0) return;
    const double share = static_cast<double>(white) / tile;
    const Colour mixed{k_background.red + (k_white.red - k_background.red) * share,
                       k_background.green + (k_white.green - k_background.green) * share,
                       k_background.blue + (k_white.blue - k_background.blue) * share};
    rgba[0] = static_cast<unsigned char>(mixed.red * 255 + 0.5);
    rgba[1] = static_cast<unsigned char>(mixed.green * 255 + 0.5);
    rgba[2] = static_cast<unsigned char>(mixed.blue * 255 + 0.5);
    rgba[3] = static_cast<unsigned char>(255 * tile / (k_samples * k_samples));
}

bool write_icon(const std::string& path, int size) {
    std::vector<unsigned char> pixels(static_cast<size_t>(size) * size * 4, 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x)
            shade_pixel(x, y, size, &pixels[(static_cast<size_t>(y) * size + x) * 4]);
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(size);
    image.height = static_cast<png_uint_32>(size);
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), size * 4, nullptr) != 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "resources/icons";
    for (int size : k_sizes) {
        const std::string extent = std::to_string(size) + "x" + std::to_string(size);
        const std::string apps = folder + "/hicolor/" + extent + "/apps";
        std::error_code error;
        std::filesystem::create_directories(apps, error);
        if (error || !write_icon(apps + "/" + k_name, size)) {
            std::fprintf(stderr, "make_app_icons: cannot write %s/%s\n", apps.c_str(), k_name);
            return 1;
        }
    }
    return 0;
}
