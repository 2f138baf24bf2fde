#include "platform/appkit/ns_font.h"

#include "platform/foundation/instance_of.h"

#include <functional>
#include <string>

namespace {

constexpr std::u16string_view k_system_font_name = u".SystemFont";

CGFloat size_or_default(CGFloat size) {
    return size > 0 ? size : NSFont::systemFontSize(nil);
}

} // namespace

NSFont* NSFont::make_autoreleased(Class cls, std::u16string_view name, CGFloat size) {
    ObjcRef<NSFont> font = make_instance_of<NSFont>(cls);
    if (!font) return nil;
    font->m_name = NSString::make(name);
    font->m_size = size_or_default(size);
    return font.autorelease();
}

NSFont* NSFont::systemFontOfSize(Class self, CGFloat size) {
    return make_autoreleased(self, k_system_font_name, size);
}

NSString* NSFont::fontName() const {
    if (m_name) return m_name.get();
    return NSString::make(k_system_font_name).autorelease();
}

BOOL NSFont::isEqual(id other) const {
    auto* font = dynamic_cast<const NSFont*>(other);
    if (!font) return NO;
    return units_of(fontName()) == units_of(font->fontName()) && m_size == font->m_size ? YES : NO;
}

NSUInteger NSFont::hash() const {
    return std::hash<std::u16string_view>{}(units_of(fontName())) ^
           static_cast<NSUInteger>(m_size * 64);
}

void register_ns_font_class() {
    register_native_class<NSFont>(
        "NSFont", "NSObject",
        {
            class_method<&NSFont::systemFontOfSize>("systemFontOfSize:"),
            class_method<&NSFont::systemFontSize>("systemFontSize"),
            class_method<&NSFont::smallSystemFontSize>("smallSystemFontSize"),
            instance_method<&NSFont::fontName>("fontName"),
        });
}
