#pragma once
// NSImage: a picture of a size in points, made of image representations (retained, in the order
// added). The model does not render; an image is what a status item, a menu item or an alert
// shows, and a display learns of it through the model's snapshots.
//
// A system icon is an image that stands for one of the platform's stock pictures, named by a
// four-character type text such as "'caut'" or a file type such as "txt"; it has no
// representations, and a display picks the picture from its type.

#include "platform/appkit/ns_image_rep.h"
#include "platform/foundation/ns_array.h"
#include "platform/graphics/cg_bitmap_context.h"

#include "platform/display/display_snapshots.h"

#include <memory>
#include <string>
#include <vector>

class NSImage : public NSObject {
  public:
    NSImage() = default;

    // -initWithSize:; a zero size is kept as it is (the size of the first representation is not
    // looked up).
    id initWithSize(NSSize size);

    NSSize size() const { return m_size; }
    void setSize(NSSize size) {
        m_size = size;
        m_pixels_current = false;
    }
    BOOL isTemplate() const { return m_template; }
    void setTemplate(BOOL flag) { m_template = flag ? YES : NO; }
    BOOL isDataRetained() const { return m_data_retained; }
    void setDataRetained(BOOL flag) { m_data_retained = flag ? YES : NO; }

    // Nil changes nothing; a representation already held is not added twice.
    void addRepresentation(NSImageRep* representation);
    // An autoreleased copy of the list.
    NSArray* representations() const;
    // Drops cached renderings after the pixels of a representation changed. The model keeps
    // none: it counts, which lets displays and tests see that the pixels were renewed, and when
    // the current graphics context draws into one of this image's bitmaps, takes over the name of
    // the file last drawn into that context as picture_file().
    void recache();

    // For the model:
    // A new system icon of 32 × 32 points holding one reference; empty for a nil or empty type.
    static ObjcRef<NSImage> make_system_icon(NSString* type);
    // The type of a system icon; nil for any other image.
    NSString* system_icon_type() const { return m_system_icon_type.get(); }
    // How many times recache was sent.
    std::size_t recache_count() const { return m_recache_count; }
    // The file name (last path component) of the picture read from a file that was last drawn
    // into this image's pixels, as learnt at recache; null when none was.
    const std::string* picture_file() const {
        return m_picture_file.empty() ? nullptr : &m_picture_file;
    }
    // The pixels of the first bitmap representation a display can show, made again only after
    // recache or a change of representations or size; null when there is no such bitmap.
    std::shared_ptr<const ImagePixels> display_pixels() const;

  private:
    NSSize m_size;
    BOOL m_template = NO;
    BOOL m_data_retained = NO;
    std::vector<ObjcRef<NSImageRep>> m_representations;
    ObjcRef<NSString> m_system_icon_type;
    std::size_t m_recache_count = 0;
    std::string m_picture_file;
    mutable std::shared_ptr<const ImagePixels> m_pixels;
    mutable bool m_pixels_current = false;

    bool draws_into_my_bitmap(CGContextRef context) const;
};

void register_ns_image_class();
