#include "platform/appkit/ns_box.h"

#include "platform/appkit/ns_control.h"
#include "platform/objc/message_send.h"

NSBox::NSBox() : m_creation_serial(NSControl::next_creation_serial()) {}

// Made here rather than in the constructor, so that a failed init leaves nothing behind.
id NSBox::initWithFrame(NSRect frame) {
    if (!NSView::initWithFrame(frame)) return nil;
    ObjcRef<NSView> content = make_native<NSView>();
    if (!content) return this;
    content->initWithFrame(bounds());
    setContentView(content.get());
    return this;
}

void NSBox::setFrame(NSRect frame) {
    NSView::setFrame(frame);
    if (m_content_view) m_content_view->setFrame(bounds());
}

NSString* NSBox::title() const {
    if (m_title) return m_title.get();
    return NSString::make(u"Title").autorelease();
}

void NSBox::setTitle(NSString* title) {
    m_title = NSString::make(units_of(title));
}

NSFont* NSBox::titleFont() const {
    if (m_title_font) return m_title_font.get();
    return NSFont::systemFontOfSize(native_class<NSFont>(), NSFont::smallSystemFontSize(nil));
}

void NSBox::setTitleFont(NSFont* font) {
    m_title_font = ObjcRef<NSFont>::retain(font);
}

void NSBox::setContentView(NSView* view) {
    if (view == m_content_view.get()) return;
    if (m_content_view) m_content_view->removeFromSuperview();
    m_content_view = ObjcRef<NSView>::retain(view);
    if (!view) return;
    view->setFrame(bounds());
    add_subview(view, NSWindowBelow);
}

std::string NSBox::shown_title() const {
    if (m_title_position == NSNoTitle) return {};
    return title()->utf8();
}

void register_ns_box_class() {
    register_native_class<NSBox>("NSBox", "NSView",
                                 {
                                     instance_method<&NSBox::initWithFrame>("initWithFrame:"),
                                     instance_method<&NSBox::setFrame>("setFrame:"),
                                     instance_method<&NSBox::title>("title"),
                                     instance_method<&NSBox::setTitle>("setTitle:"),
                                     instance_method<&NSBox::titlePosition>("titlePosition"),
                                     instance_method<&NSBox::setTitlePosition>("setTitlePosition:"),
                                     instance_method<&NSBox::boxType>("boxType"),
                                     instance_method<&NSBox::setBoxType>("setBoxType:"),
                                     instance_method<&NSBox::setBorderType>("setBorderType:"),
                                     instance_method<&NSBox::titleFont>("titleFont"),
                                     instance_method<&NSBox::setTitleFont>("setTitleFont:"),
                                     instance_method<&NSBox::contentView>("contentView"),
                                     instance_method<&NSBox::setContentView>("setContentView:"),
                                     instance_method<&NSBox::tag>("tag"),
                                 });
}
