// Writes the seven status pictures (44 × 24 pixels, RGBA) into a folder, by default resources/:
// a battery outline with its charge level for the five battery pictures, and a full battery with
// a bolt (charging) or a plug (mains) for the two mains pictures. The pictures are drawn as
// template images: black shapes on transparency, which the menu bar tints.
//
//     make_status_icons [folder]

#include "platform/graphics/cg_context_drawing.h"
#include "platform/graphics/vimage_alpha.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int k_width = 44;
constexpr int k_height = 24;

enum class Mark { none, bolt, plug };

struct Picture {
    const char* file;
    double level; // 0...1 of the battery's inside
    Mark mark;
};

constexpr Picture k_pictures[] = {
    {"battery_icon.png", 1.0, Mark::none},    {"75_battery_icon.png", 0.75, Mark::none},
    {"50_battery_icon.png", 0.5, Mark::none}, {"25_battery_icon.png", 0.25, Mark::none},
    {"10_battery_icon.png", 0.1, Mark::none}, {"battery_icon_charging.png", 1.0, Mark::bolt},
    {"battery_icon_ac.png", 0.0, Mark::plug},
};

// Rectangles in the context's coordinates: origin at the bottom-left corner, y up.
void fill(CGContextRef context, double x, double y, double width, double height) {
    CGContextFillRect(context, CGRectMake(x, y, width, height));
}

void draw_outline(CGContextRef context) {
    fill(context, 2, 3, 36, 2);  // bottom
    fill(context, 2, 19, 36, 2); // top
    fill(context, 2, 5, 2, 14);  // left
    fill(context, 36, 5, 2, 14); // right
    fill(context, 38, 9, 3, 6);  // terminal
}

void draw_level(CGContextRef context, double level) {
    double inside = 30 * level;
    if (inside > 0) fill(context, 5, 6, inside, 12);
}

// A bolt cut out of the full battery: cleared steps from upper right to lower left.
void draw_bolt(CGContextRef context) {
    const double steps[][4] = {{20, 15, 5, 3}, {17, 12, 6, 3}, {15, 11, 10, 2},
                               {18, 9, 5, 2},  {16, 7, 4, 2},  {14, 5, 4, 2}};
    for (const auto& step : steps)
        CGContextClearRect(context, CGRectMake(step[0], step[1], step[2], step[3]));
}

void draw_plug(CGContextRef context) {
    fill(context, 14, 9, 8, 6);  // body
    fill(context, 22, 10, 4, 1); // lower prong
    fill(context, 22, 13, 4, 1); // upper prong
    fill(context, 8, 11, 6, 2);  // cord
}

bool write_png(const std::string& path, unsigned char* pixels) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = k_width;
    image.height = k_height;
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, pixels, k_width * 4, nullptr) != 0;
}

bool make_picture(const Picture& picture, const std::string& folder) {
    unsigned char pixels[k_width * k_height * 4] = {};
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGContextRef context = CGBitmapContextCreate(pixels, k_width, k_height, 8, k_width * 4, space,
                                                 kCGImageAlphaPremultipliedLast);
    CGColorSpaceRelease(space);
    if (!context) return false;
    CGContextSetRGBFillColor(context, 0, 0, 0, 1);
    draw_outline(context);
    draw_level(context, picture.level);
    if (picture.mark == Mark::bolt) draw_bolt(context);
    if (picture.mark == Mark::plug) draw_plug(context);
    CGContextRelease(context);
    vImage_Buffer buffer{pixels, k_height, k_width, k_width * 4};
    vImageUnpremultiplyData_RGBA8888(&buffer, &buffer, kvImageNoFlags);
    return write_png(folder + "/" + picture.file, pixels);
}

} // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? argv[1] : "resources";
    for (const Picture& picture : k_pictures) {
        if (!make_picture(picture, folder)) {
            std::fprintf(stderr, "make_status_icons: cannot write %s/%s\n", folder.c_str(),
                         picture.file);
            return 1;
        }
    }
    return 0;
}
