#pragma once
// NSFont: a font as a name and a point size. The model draws no text, so a font is only what
// controls remember and hand back; two fonts of the same name and size are equal.

#include "platform/foundation/ns_string.h"
#include "platform/graphics/cg_geometry.h"
#include "platform/objc/native_class.h"

class NSFont : public NSObject {
  public:
    NSFont() = default;

    // Each returns an autoreleased font; a size of 0 or less stands for systemFontSize.
    static NSFont* systemFontOfSize(Class self, CGFloat size);
    static CGFloat systemFontSize(Class) { return 13; }
    static CGFloat smallSystemFontSize(Class) { return 11; }

    // Never nil.
    NSString* fontName() const;

    BOOL isEqual(id other) const override;
    NSUInteger hash() const override;

  private:
    static NSFont* make_autoreleased(Class cls, std::u16string_view name, CGFloat size);

    ObjcRef<NSString> m_name;
    CGFloat m_size = 13;
};

void register_ns_font_class();
