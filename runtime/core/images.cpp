#include "runtime/core/images.h"

#include "platform/appkit/ns_bitmap_image_rep.h"
#include "platform/appkit/ns_graphics_context.h"
#include "platform/appkit/ns_image.h"
#include "platform/graphics/cg_color_space.h"
#include "platform/objc/autorelease_pool.h"
#include "runtime/core/list.h"
#include "runtime/core/object_table_of.h"

#include <cstring>
#include <optional>

namespace rt {
namespace {

constexpr uint32_t k_record_size = 48;
constexpr int64_t k_max_extent = 32767;
constexpr int16_t k_pixel_depth = 32;
constexpr int32_t k_opaque_format = DrawTargetFormatOpaqueFlag | DrawTargetFormat32;

ObjectTableOf<ImageRecord, k_record_size> g_images;

ImageRecord* find_image(int64_t number) {
    return g_images.lookup(number);
}

struct PixelStore {
    NSImage* image;
    NSBitmapImageRep* bitmap;
};

// A bitmap of its own zeroed memory in the record's layout, held by a new image; each object
// comes with one reference for the record.
std::optional<PixelStore> make_pixel_store(int64_t width, int64_t height) {
    AutoreleasePoolScope pool;
    auto* bitmap = make_native<NSBitmapImageRep>().take();
    if (!bitmap) return std::nullopt;
    id made = bitmap->initWithBitmapDataPlanes(nullptr, width, height, 8, 4, YES, NO,
                                               NSDeviceRGBColorSpace,
                                               NSBitmapFormatAlphaNonpremultiplied, width * 4, 32);
    if (!made) return std::nullopt; // the init released it
    auto* image = make_native<NSImage>().take();
    if (!image) {
        bitmap->release();
        return std::nullopt;
    }
    image->initWithSize(NSMakeSize(static_cast<CGFloat>(width), static_cast<CGFloat>(height)));
    image->setDataRetained(YES);
    image->addRepresentation(bitmap);
    return PixelStore{image, bitmap};
}

void fill_pixels(NSBitmapImageRep* bitmap, int64_t width, int64_t height, int64_t background) {
    std::size_t count = static_cast<std::size_t>(width * height);
    unsigned char* pixel = bitmap->bitmapData();
    if (background == ImageBackgroundClear) {
        std::memset(pixel, 0, count * 4);
        return;
    }
    const unsigned char colour[4] = {static_cast<unsigned char>(background & 0xFF),
                                     static_cast<unsigned char>((background >> 8) & 0xFF),
                                     static_cast<unsigned char>((background >> 16) & 0xFF), 255};
    for (std::size_t i = 0; i < count; ++i, pixel += 4)
        std::memcpy(pixel, colour, 4);
}

void release_frames(ListHeader* frames) {
    ListRewind(frames);
    while (auto* frame = static_cast<ImageFrame*>(ListNext(frames))) {
        objc_release(frame->image);
        objc_release(frame->bitmap);
    }
}

void free_image_procedure(ObjectNumber number) {
    FreeImageObject(number);
}

int64_t start_image_target(DrawTarget* target) {
    target->current_buffer = target->buffer;
    if (!target->buffer) return 0;
    if (target->context) return reinterpret_cast<int64_t>(target->context);
    return reinterpret_cast<int64_t>(target->buffer);
}

// Nothing to give back: this runtime has no drawing library that allocates fonts or scratch
// lists during a pass.
void stop_image_target(DrawTarget*, int64_t, int64_t) {}

// The finish procedure of image targets: recaches a changed image while its context is still
// current, then restores the graphics state saved when the target was made.
void ReleaseImageDrawTarget(DrawTarget* target, int64_t changed) {
    if (changed) {
        if (ImageRecord* record = find_image(target->image_number)) record->image->recache();
    }
    if (target->context) {
        NSGraphicsContext::restoreGraphicsState(native_class<NSGraphicsContext>());
        CGContextRelease(target->context);
        target->context = nullptr;
    }
    objc_release(target->buffer_owner);
    target->buffer_owner = nullptr;
}

// The bitmap context over the image's pixels, made the current graphics context; null when the
// colour space or the context cannot be had.
CGContextRef open_image_context(const ImageRecord& record) {
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    if (!space) return nullptr;
    CGContextRef context =
        CGBitmapContextCreate(record.bitmap->bitmapData(), static_cast<std::size_t>(record.width),
                              static_cast<std::size_t>(record.height), 8,
                              static_cast<std::size_t>(record.bitmap->bytesPerRow()), space,
                              kCGImageAlphaPremultipliedLast);
    CGColorSpaceRelease(space);
    if (!context) return nullptr;
    Class graphics = native_class<NSGraphicsContext>();
    NSGraphicsContext* wrapper =
        NSGraphicsContext::graphicsContextWithGraphicsPort(graphics, context, NO);
    NSGraphicsContext::saveGraphicsState(graphics);
    NSGraphicsContext::setCurrentContext(graphics, wrapper);
    return context;
}

} // namespace

int InitImages() {
    return g_images.create_once(ImageTableGrowthStep, &free_image_procedure) ? 1 : 0;
}

void EndImages() {
    g_images.free_all();
}

ObjectTable* image_table() {
    return g_images.table();
}

int64_t NewImage(int64_t number, int64_t width, int64_t height, int64_t depth, int64_t background) {
    if (!g_images.table() || width < 1 || height < 1 || width > k_max_extent ||
        height > k_max_extent) {
        return 0;
    }
    ImageRecord* record = g_images.allocate(number);
    if (!record) return 0;
    int64_t assigned = number == AutoNumber ? reinterpret_cast<int64_t>(record) : number;
    std::optional<PixelStore> store = make_pixel_store(width, height);
    if (!store) {
        g_images.release(assigned);
        return 0;
    }
    fill_pixels(store->bitmap, width, height, background);
    *record = ImageRecord{store->image,
                          store->bitmap,
                          static_cast<int16_t>(width),
                          static_cast<int16_t>(height),
                          k_pixel_depth,
                          static_cast<int16_t>(depth),
                          1,
                          nullptr,
                          0};
    return number == AutoNumber ? assigned : reinterpret_cast<int64_t>(store->image);
}

int64_t NewImageOpaque(int64_t number, int64_t width, int64_t height, int64_t depth) {
    return NewImage(number, width, height, depth, 0);
}

int64_t NewImage24(int64_t number, int64_t width, int64_t height) {
    return NewImage(number, width, height, 24, 0);
}

void FreeImageObject(int64_t number) {
    if (!g_images.table()) return;
    if (number == AutoNumber) {
        g_images.free_all();
        return;
    }
    ImageRecord* record = find_image(number);
    if (!record) return;
    if (record->frame_count < 2) {
        objc_release(record->image);
        objc_release(record->bitmap);
    } else if (record->frames) {
        release_frames(record->frames);
    }
    if (record->frames) ListFree(record->frames);
    g_images.release(number);
}

int64_t ImageHandle(int64_t number) {
    ImageRecord* record = find_image(number);
    return record ? reinterpret_cast<int64_t>(record->image) : 0;
}

int64_t ImagePixelWidth(int64_t number) {
    ImageRecord* record = find_image(number);
    return record ? record->width : 0;
}

int64_t ImagePixelHeight(int64_t number) {
    ImageRecord* record = find_image(number);
    return record ? record->height : 0;
}

int64_t ImageBitDepth(int64_t number, int64_t mode) {
    ImageRecord* record = find_image(number);
    if (!record) return 0;
    return mode == ImageDepthModeFormat ? record->format_depth : record->pixel_depth;
}

uint8_t* ImagePixels(int64_t number) {
    ImageRecord* record = find_image(number);
    return record ? record->bitmap->bitmapData() : nullptr;
}

DrawTarget* ImageDrawTarget(int64_t number) {
    AutoreleasePoolScope pool;
    ImageRecord* record = find_image(number);
    if (!record) return nullptr;
    DrawTarget* target =
        CreateDrawTarget(record->format_depth == 32 ? DrawTargetFormat32 : k_opaque_format);
    if (!target) return nullptr;
    target->start = &start_image_target;
    target->stop = &stop_image_target;
    target->finish = &ReleaseImageDrawTarget;
    target->width = record->width;
    target->height = record->height;
    target->depth = record->pixel_depth;
    target->buffer = record->bitmap->bitmapData();
    target->bytes_per_row = static_cast<int32_t>(record->bitmap->bytesPerRow());
    target->image_number = number;
    target->buffer_owner = objc_retain(record->bitmap);
    target->context = open_image_context(*record);
    target->colour_reset = 0;
    target->high_resolution = target->context && DrawingScaleFactor() != 1.0;
    return target;
}

} // namespace rt
