#pragma once
// NSColor: a colour as red, green, blue and alpha components from 0 to 1. The model draws
// nothing, so every colour space is the same plain RGB here.

#include "platform/graphics/cg_geometry.h"
#include "platform/objc/native_class.h"

class NSColor : public NSObject {
  public:
    NSColor() = default;
    NSColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
        : m_red(red), m_green(green), m_blue(blue), m_alpha(alpha) {}

    // Class methods; each returns an autoreleased instance of the receiving class.
    static NSColor* windowBackgroundColor(Class self);
    // The faces and texts of controls.
    static NSColor* controlColor(Class self);
    static NSColor* controlTextColor(Class self);
    static NSColor* secondarySelectedControlColor(Class self);
    static NSColor* textBackgroundColor(Class self);
    // Components outside 0...1 are clamped.
    static NSColor* colorWithCalibratedRedGreenBlueAlpha(Class self, CGFloat red, CGFloat green,
                                                         CGFloat blue, CGFloat alpha);
    static NSColor* colorWithSRGBRedGreenBlueAlpha(Class self, CGFloat red, CGFloat green,
                                                   CGFloat blue, CGFloat alpha);

    BOOL isEqual(id other) const override;
    NSUInteger hash() const override;

  private:
    static NSColor* make_autoreleased(Class cls, CGFloat red, CGFloat green, CGFloat blue,
                                      CGFloat alpha);

    CGFloat m_red = 0;
    CGFloat m_green = 0;
    CGFloat m_blue = 0;
    CGFloat m_alpha = 1;
};

void register_ns_color_class();
