#include "platform/appkit/ns_text_field.h"

NSTextField::NSTextField()
    : m_background_color(
          ObjcRef<NSColor>::retain(NSColor::textBackgroundColor(native_class<NSColor>()))),
      m_text_color(ObjcRef<NSColor>::retain(NSColor::controlTextColor(native_class<NSColor>()))) {}

void NSTextField::setSelectable(BOOL flag) {
    m_selectable = flag != NO;
    if (!m_selectable) m_editable = false;
}

void NSTextField::setBackgroundColor(NSColor* color) {
    if (color) m_background_color = ObjcRef<NSColor>::retain(color);
}

void NSTextField::setTextColor(NSColor* color) {
    if (color) m_text_color = ObjcRef<NSColor>::retain(color);
}

void register_ns_text_field_class() {
    register_native_class<NSTextField>(
        "NSTextField", "NSControl",
        {
            instance_method<&NSTextField::isEditable>("isEditable"),
            instance_method<&NSTextField::isSelectable>("isSelectable"),
            instance_method<&NSTextField::setSelectable>("setSelectable:"),
            instance_method<&NSTextField::isBezeled>("isBezeled"),
            instance_method<&NSTextField::setBezeled>("setBezeled:"),
            instance_method<&NSTextField::isBordered>("isBordered"),
            instance_method<&NSTextField::setBordered>("setBordered:"),
            instance_method<&NSTextField::backgroundColor>("backgroundColor"),
            instance_method<&NSTextField::setBackgroundColor>("setBackgroundColor:"),
            instance_method<&NSTextField::textColor>("textColor"),
            instance_method<&NSTextField::setTextColor>("setTextColor:"),
        });
}
