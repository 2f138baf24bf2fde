#include "platform/appkit/ns_image.h"

#include "platform/appkit/image_pixels.h"
#include "platform/appkit/ns_bitmap_image_rep.h"
#include "platform/appkit/ns_graphics_context.h"

#include <algorithm>

namespace {

constexpr NSSize k_system_icon_size{32, 32};

} // namespace

id NSImage::initWithSize(NSSize size) {
    setSize(size);
    return this;
}

void NSImage::addRepresentation(NSImageRep* representation) {
    if (!representation) return;
    auto held = std::find_if(m_representations.begin(), m_representations.end(),
                             [&](const auto& rep) { return rep.get() == representation; });
    if (held != m_representations.end()) return;
    m_representations.push_back(ObjcRef<NSImageRep>::retain(representation));
    m_pixels_current = false;
}

NSArray* NSImage::representations() const {
    std::vector<id> list;
    list.reserve(m_representations.size());
    for (const auto& rep : m_representations)
        list.push_back(rep.get());
    return NSArray::make(list).autorelease();
}

void NSImage::recache() {
    ++m_recache_count;
    m_pixels_current = false;
    NSGraphicsContext* context = NSGraphicsContext::current();
    if (!context || context->drawn_file().empty()) return;
    if (draws_into_my_bitmap(context->CGContext())) m_picture_file = context->drawn_file();
}

std::shared_ptr<const ImagePixels> NSImage::display_pixels() const {
    if (m_pixels_current) return m_pixels;
    m_pixels = nullptr;
    for (const auto& rep : m_representations) {
        auto* bitmap = dynamic_cast<NSBitmapImageRep*>(rep.get());
        if (bitmap && has_readable_pixels(*bitmap)) {
            m_pixels = read_bitmap_pixels(*bitmap, m_size);
            break;
        }
    }
    m_pixels_current = true;
    return m_pixels;
}

bool NSImage::draws_into_my_bitmap(CGContextRef context) const {
    void* pixels = CGBitmapContextGetData(context);
    if (!pixels) return false;
    return std::any_of(m_representations.begin(), m_representations.end(), [&](const auto& rep) {
        auto* bitmap = dynamic_cast<NSBitmapImageRep*>(rep.get());
        return bitmap && bitmap->bitmapData() == pixels;
    });
}

ObjcRef<NSImage> NSImage::make_system_icon(NSString* type) {
    if (!type || type->length() == 0) return {};
    ObjcRef<NSImage> image = make_native<NSImage>();
    if (!image) return {};
    image->m_size = k_system_icon_size;
    image->m_system_icon_type = ObjcRef<NSString>::retain(type);
    return image;
}

void register_ns_image_class() {
    register_native_class<NSImage>(
        "NSImage", "NSObject",
        {
            instance_method<&NSImage::initWithSize>("initWithSize:"),
            instance_method<&NSImage::size>("size"),
            instance_method<&NSImage::setSize>("setSize:"),
            instance_method<&NSImage::isTemplate>("isTemplate"),
            instance_method<&NSImage::setTemplate>("setTemplate:"),
            instance_method<&NSImage::isDataRetained>("isDataRetained"),
            instance_method<&NSImage::setDataRetained>("setDataRetained:"),
            instance_method<&NSImage::addRepresentation>("addRepresentation:"),
            instance_method<&NSImage::representations>("representations"),
            instance_method<&NSImage::recache>("recache"),
        });
}
