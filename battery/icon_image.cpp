#include "battery/icon_image.h"

#include "platform/graphics/vimage_alpha.h"
#include "runtime/core/images.h"
#include "runtime/ui/native_message.h"

#include <cmath>

namespace battery {
namespace {

// The layouts of the size and point the representation takes and gives by address.
struct PointSize {
    double width = 0;
    double height = 0;
};
struct PointPosition {
    double x = 0;
    double y = 0;
};

// The representation's size in points, one point per pixel when it knows its pixels.
PointSize size_of_representation(int64_t rep) {
    PointSize size{static_cast<double>(rt::SendNativeMessage(nullptr, rep, u"pixelsWide")),
                   static_cast<double>(rt::SendNativeMessage(nullptr, rep, u"pixelsHigh"))};
    if (size.width != 0 && size.height != 0) {
        rt::SendNativeMessage(nullptr, rep, u"setSize:@", &size);
        return size;
    }
    rt::SendNativeMessage(&size, rep, u"size");
    return size;
}

void unpremultiply_current_target() {
    vImage_Buffer pixels{rt::DrawTargetPixels(),
                         static_cast<vImagePixelCount>(rt::DrawTargetHeight()),
                         static_cast<vImagePixelCount>(rt::DrawTargetWidth()),
                         static_cast<std::size_t>(rt::DrawTargetRowBytes())};
    vImageUnpremultiplyData_RGBA8888(&pixels, &pixels, kvImageNoFlags);
}

} // namespace

int64_t LoadIconImage(int64_t number, const char16_t* path) {
    if (!path) return 0;
    int64_t rep =
        rt::SendNativeMessage(nullptr, 0, u"NSImageRep imageRepWithContentsOfFile:$", path);
    if (!rep) return 0;
    PointSize size = size_of_representation(rep);
    if (!(size.width > 0) || !(size.height > 0)) return 0;
    int64_t image = rt::NewImage(number, std::lround(size.width), std::lround(size.height), 32,
                                 rt::ImageBackgroundClear);
    if (!image) return 0;
    int64_t image_number = number == rt::AutoNumber ? image : number;
    if (!rt::BeginDrawing(rt::ImageDrawTarget(image_number))) {
        rt::FreeImageObject(image_number);
        return 0;
    }
    PointPosition origin;
    rt::SendNativeMessage(nullptr, rep, u"drawAtPoint:@", &origin);
    if ((rt::SendNativeMessage(nullptr, rep, u"hasAlpha") & 0xFF) != 0) {
        unpremultiply_current_target();
    }
    rt::EndDrawing();
    return image;
}

} // namespace battery
