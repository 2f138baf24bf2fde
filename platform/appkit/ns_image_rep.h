#pragma once
// NSImageRep: one representation of an image's picture (a bitmap or a decoded file), with its
// size in points and its pixel dimensions. The base class draws nothing; drawAtPoint: and
// drawInRect: send -draw by message, so that subclasses, including classes made at run time,
// decide what drawing means.
//
// +imageRepWithContentsOfFile: (registered with NSBitmapImageRep, which makes the
// representation) reads a PNG file into a bitmap representation that remembers the file's path.

#include "platform/appkit/ns_geometry.h"
#include "platform/foundation/ns_string.h"
#include "platform/objc/native_class.h"

#include <string>

// Colour space names of image representations.
extern NSString* const NSDeviceRGBColorSpace;
extern NSString* const NSCalibratedRGBColorSpace;
extern NSString* const NSDeviceWhiteColorSpace;
extern NSString* const NSCalibratedWhiteColorSpace;

class NSImageRep : public NSObject {
  public:
    NSImageRep() = default;

    NSSize size() const { return m_size; }
    void setSize(NSSize size) { m_size = size; }
    NSInteger pixelsWide() const { return m_pixels_wide; }
    void setPixelsWide(NSInteger pixels) { m_pixels_wide = pixels; }
    NSInteger pixelsHigh() const { return m_pixels_high; }
    void setPixelsHigh(NSInteger pixels) { m_pixels_high = pixels; }
    BOOL hasAlpha() const { return m_has_alpha; }
    void setAlpha(BOOL flag) { m_has_alpha = flag ? YES : NO; }
    NSInteger bitsPerSample() const { return m_bits_per_sample; }
    void setBitsPerSample(NSInteger bits) { m_bits_per_sample = bits; }
    // Device RGB unless set.
    NSString* colorSpaceName() const;
    void setColorSpaceName(NSString* name);

    // NO: the base class has nothing to draw.
    BOOL draw();
    // Both answer what -draw answers.
    BOOL drawAtPoint(NSPoint point);
    BOOL drawInRect(NSRect rect);

    // For the model: the path of the file the picture was read from; empty for any other.
    const std::string& file_path() const { return m_file_path; }
    void set_file_path(std::string path) { m_file_path = std::move(path); }
    // The last component of file_path(); empty when there is none.
    std::string file_name() const;

  private:
    NSSize m_size;
    NSInteger m_pixels_wide = 0;
    NSInteger m_pixels_high = 0;
    NSInteger m_bits_per_sample = 0;
    BOOL m_has_alpha = NO;
    ObjcRef<NSString> m_color_space_name;
    std::string m_file_path;
};

// Whether two colour space names are the same text (nil matches nothing).
bool same_color_space_name(NSString* a, NSString* b);

void register_ns_image_rep_class();
