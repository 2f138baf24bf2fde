#include "platform/appkit/ns_bitmap_image_rep.h"

#include "platform/objc/autorelease_pool.h"
#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"
#include "tests/platform/graphics/png_test_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Layout {
    NSInteger width, height, bits_per_sample, samples_per_pixel;
    BOOL has_alpha, is_planar;
    NSString* color_space;
    NSBitmapFormat format;
    NSInteger bytes_per_row, bits_per_pixel;
};

constexpr const char* k_init_selector =
    "initWithBitmapDataPlanes:pixelsWide:pixelsHigh:bitsPerSample:samplesPerPixel:hasAlpha:"
    "isPlanar:colorSpaceName:bitmapFormat:bytesPerRow:bitsPerPixel:";

// Sends the init message to a fresh instance, as runtime code does; nil when it refuses.
NSBitmapImageRep* send_init(unsigned char** planes, const Layout& layout) {
    id object = NSObject::alloc(objc_lookUpClass("NSBitmapImageRep"));
    return msg_send<NSBitmapImageRep*>(object, k_init_selector, planes, layout.width, layout.height,
                                       layout.bits_per_sample, layout.samples_per_pixel,
                                       layout.has_alpha, layout.is_planar, layout.color_space,
                                       layout.format, layout.bytes_per_row, layout.bits_per_pixel);
}

Layout rgba(NSInteger width, NSInteger height) {
    Layout layout{width, height, 8, 4, YES, NO, NSDeviceRGBColorSpace, 0, width * 4, 32};
    layout.format = NSBitmapFormatAlphaNonpremultiplied;
    return layout;
}

} // namespace

TEST(NSBitmapImageRep, TakesOnlyLayoutsItCanHold) {
    NSString* const rgb = NSDeviceRGBColorSpace;
    const struct {
        Layout layout;
        bool taken;
    } rows[] = {
        {{4, 3, 8, 4, YES, NO, rgb, 0, 0, 0}, true}, // the least row and pixel
        {{4, 3, 16, 3, NO, NO, rgb, 0, 24, 48}, true},
        {{NSInteger{1} << 32, 3, 8, 4, YES, NO, rgb, 0, 16, 32}, false},
        {{4, 3, 8, 4, YES, YES, rgb, 0, 0, 0}, false}, // planar
        {{4, 3, 8, 3, YES, NO, rgb, 0, 0, 0}, false},  // no sample for the alpha
        {{4, 3, 8, 4, YES, NO, rgb, 1 << 12, 0, 0}, false},
        {{1 << 15, 1 << 15, 8, 4, YES, NO, rgb, 0, 0, 0}, false}, // own buffer over the limit
    };
    AutoreleasePoolScope pool;
    for (size_t i = 0; i < std::size(rows); ++i) {
        auto rep = ObjcRef<NSBitmapImageRep>::adopt(send_init(nullptr, rows[i].layout));
        EXPECT_EQ(bool(rep), rows[i].taken) << "row " << i;
    }
}

TEST(NSBitmapImageRep, UsesTheCallersBufferOrAZeroedOneOfItsOwn) {
    std::vector<unsigned char> buffer(2 * 2 * 4, 0x5A);
    unsigned char* planes[] = {buffer.data()};
    Layout calibrated = rgba(2, 2);
    calibrated.color_space = NSCalibratedRGBColorSpace;
    {
        ObjcRef<NSBitmapImageRep> rep =
            ObjcRef<NSBitmapImageRep>::adopt(send_init(planes, calibrated));
        ASSERT_TRUE(rep);
        EXPECT_EQ(msg_send<unsigned char*>(rep.get(), "bitmapData"), buffer.data());
        EXPECT_EQ(rep->colorSpaceName()->utf8(), NSCalibratedRGBColorSpace->utf8());
        EXPECT_EQ(msg_send<BOOL>(rep.get(), "drawInRect:", NSMakeRect(0, 0, 2, 2)), NO)
            << "no current context";
        EXPECT_EQ(msg_send<BOOL>(rep.get(), "drawAtPoint:", NSMakePoint(0, 0)), NO);
    }
    EXPECT_EQ(buffer, std::vector<unsigned char>(16, 0x5A)) << "outlives the representation";
    unsigned char* empty_planes[] = {nullptr};
    for (unsigned char** no_planes : {static_cast<unsigned char**>(nullptr), empty_planes}) {
        ObjcRef<NSBitmapImageRep> rep =
            ObjcRef<NSBitmapImageRep>::adopt(send_init(no_planes, rgba(3, 2)));
        ASSERT_TRUE(rep);
        ASSERT_NE(rep->bitmapData(), nullptr);
        EXPECT_EQ(std::vector<unsigned char>(rep->bitmapData(), rep->bitmapData() + 24),
                  std::vector<unsigned char>(24, 0));
    }
}

TEST(NSBitmapImageRep, ReadsAPngFileAndRemembersWhereItCameFrom) {
    AutoreleasePoolScope pool;
    TemporaryFolder folder;
    std::string path = folder.file("status.png");
    ASSERT_TRUE(png_test::write_png(path, 2, 1, true, {9, 8, 7, 200, 1, 2, 3, 4}));
    auto* rep = msg_send<NSBitmapImageRep*>(
        objc_lookUpClass("NSImageRep"),
        "imageRepWithContentsOfFile:", NSString::from_utf8(path).autorelease());
    ASSERT_TRUE(rep);
    EXPECT_EQ(rep->size(), NSMakeSize(2, 1));
    EXPECT_EQ(rep->bytesPerRow(), 8);
    EXPECT_EQ(std::vector<unsigned char>(rep->bitmapData(), rep->bitmapData() + 8),
              (std::vector<unsigned char>{9, 8, 7, 200, 1, 2, 3, 4}));
    EXPECT_EQ(rep->file_path(), path);

    ObjcRef<NSString> missing = NSString::from_utf8(folder.file("missing.png"));
    EXPECT_EQ(NSBitmapImageRep::imageRepWithContentsOfFile(nil, missing.get()), nil);
    EXPECT_EQ(NSBitmapImageRep::imageRepWithContentsOfFile(nil, nil), nil);
}
