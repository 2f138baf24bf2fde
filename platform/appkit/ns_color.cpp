#include "platform/appkit/ns_color.h"

#include "platform/foundation/instance_of.h"

#include <algorithm>

namespace {

CGFloat clamped(CGFloat component) {
    return std::clamp(component, CGFloat{0}, CGFloat{1});
}

} // namespace

NSColor* NSColor::make_autoreleased(Class cls, CGFloat red, CGFloat green, CGFloat blue,
                                    CGFloat alpha) {
    ObjcRef<NSColor> color = make_instance_of<NSColor>(cls);
    if (!color) return nil;
    color->m_red = clamped(red);
    color->m_green = clamped(green);
    color->m_blue = clamped(blue);
    color->m_alpha = clamped(alpha);
    return color.autorelease();
}

// A light grey, the usual face of a window's content.
NSColor* NSColor::windowBackgroundColor(Class self) {
    return make_autoreleased(self, 0.925, 0.925, 0.925, 1);
}

NSColor* NSColor::controlColor(Class self) {
    return make_autoreleased(self, 1, 1, 1, 1);
}

NSColor* NSColor::controlTextColor(Class self) {
    return make_autoreleased(self, 0, 0, 0, 0.85);
}

// The grey of a selection in a window that is not key; labels use it to look disabled.
NSColor* NSColor::secondarySelectedControlColor(Class self) {
    return make_autoreleased(self, 0.863, 0.863, 0.863, 1);
}

NSColor* NSColor::textBackgroundColor(Class self) {
    return make_autoreleased(self, 1, 1, 1, 1);
}

NSColor* NSColor::colorWithCalibratedRedGreenBlueAlpha(Class self, CGFloat red, CGFloat green,
                                                       CGFloat blue, CGFloat alpha) {
    return make_autoreleased(self, red, green, blue, alpha);
}

NSColor* NSColor::colorWithSRGBRedGreenBlueAlpha(Class self, CGFloat red, CGFloat green,
                                                 CGFloat blue, CGFloat alpha) {
    return make_autoreleased(self, red, green, blue, alpha);
}

BOOL NSColor::isEqual(id other) const {
    auto* color = dynamic_cast<const NSColor*>(other);
    if (!color) return NO;
    return m_red == color->m_red && m_green == color->m_green && m_blue == color->m_blue &&
                   m_alpha == color->m_alpha
               ? YES
               : NO;
}

NSUInteger NSColor::hash() const {
    auto byte = [](CGFloat component) { return static_cast<NSUInteger>(component * 255 + 0.5); };
    return byte(m_red) << 24 | byte(m_green) << 16 | byte(m_blue) << 8 | byte(m_alpha);
}

void register_ns_color_class() {
    register_native_class<NSColor>(
        "NSColor", "NSObject",
        {
            class_method<&NSColor::windowBackgroundColor>("windowBackgroundColor"),
            class_method<&NSColor::controlColor>("controlColor"),
            class_method<&NSColor::controlTextColor>("controlTextColor"),
            class_method<&NSColor::secondarySelectedControlColor>("secondarySelectedControlColor"),
            class_method<&NSColor::textBackgroundColor>("textBackgroundColor"),
            class_method<&NSColor::colorWithCalibratedRedGreenBlueAlpha>(
                "colorWithCalibratedRed:green:blue:alpha:"),
            class_method<&NSColor::colorWithSRGBRedGreenBlueAlpha>(
                "colorWithSRGBRed:green:blue:alpha:"),
        });
}
