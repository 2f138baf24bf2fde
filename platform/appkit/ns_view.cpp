#include "platform/appkit/ns_view.h"

#include "platform/appkit/ns_window.h"
#include "platform/foundation/ns_array.h"
#include "platform/objc/message_send.h"

#include <algorithm>

NSView::~NSView() {
    for (const ObjcRef<NSView>& view : m_subviews) {
        view->m_superview = nullptr;
        view->setNextResponder(nullptr);
    }
}

id NSView::initWithFrame(NSRect frame) {
    m_frame = frame;
    return this;
}

void NSView::setFrame(NSRect frame) {
    if (frame.size != m_frame.size) m_needs_display = true;
    m_frame = frame;
}

NSWindow* NSView::window() const {
    const NSView* root = this;
    while (root->m_superview)
        root = root->m_superview;
    return root->m_content_window;
}

NSArray* NSView::subviews() const {
    std::vector<id> objects;
    objects.reserve(m_subviews.size());
    for (const ObjcRef<NSView>& view : m_subviews)
        objects.push_back(view.get());
    return NSArray::make(objects).autorelease();
}

void NSView::addSubview(NSView* view) {
    add_subview(view, NSWindowAbove);
}

void NSView::add_subview(NSView* view, NSInteger place) {
    if (!view || view->is_ancestor_of(this)) return;
    if (place != NSWindowAbove && place != NSWindowBelow) return;
    ObjcRef<NSView> kept = detach(view);
    insert_subview(std::move(kept), place == NSWindowAbove ? m_subviews.size() : 0);
}

void NSView::removeFromSuperview() {
    if (!m_superview) return;
    // The superview's reference may be the last one: let it go only after the links are cleared.
    ObjcRef<NSView> kept = detach(this);
}

void NSView::drawRect(NSRect) {}

void NSView::display_if_needed() {
    draw_tree(false);
}

void NSView::draw_tree(bool force) {
    if (m_hidden) return;
    const bool draws = force || m_needs_display;
    if (draws) {
        m_needs_display = false;
        msg_send<void>(this, "drawRect:", bounds());
    }
    // A drawing method may change the subviews: walk a copy.
    std::vector<ObjcRef<NSView>> views = m_subviews;
    for (const ObjcRef<NSView>& view : views)
        view->draw_tree(draws);
}

NSRect NSView::frame_in_content_top_left() const {
    if (!m_superview) return {{0, 0}, m_frame.size};
    const NSRect parent = m_superview->frame_in_content_top_left();
    const bool flipped = msg_send<BOOL>(m_superview, "isFlipped") != NO;
    const CGFloat y =
        flipped ? m_frame.origin.y : parent.size.height - (m_frame.origin.y + m_frame.size.height);
    return {{parent.origin.x + m_frame.origin.x, parent.origin.y + y}, m_frame.size};
}

bool NSView::is_ancestor_of(const NSView* view) const {
    for (const NSView* step = view; step; step = step->m_superview) {
        if (step == this) return true;
    }
    return false;
}

ObjcRef<NSView> NSView::detach(NSView* view) {
    ObjcRef<NSView> kept = ObjcRef<NSView>::retain(view);
    NSView* superview = view->m_superview;
    if (!superview) return kept;
    view->m_superview = nullptr;
    view->setNextResponder(nullptr);
    auto& siblings = superview->m_subviews;
    siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(superview->index_of(view)));
    return kept;
}

void NSView::insert_subview(ObjcRef<NSView> view, std::size_t index) {
    view->m_superview = this;
    view->setNextResponder(this);
    m_subviews.insert(m_subviews.begin() + static_cast<std::ptrdiff_t>(index), std::move(view));
}

std::size_t NSView::index_of(const NSView* view) const {
    auto found = std::find_if(m_subviews.begin(), m_subviews.end(),
                              [view](const ObjcRef<NSView>& entry) { return entry.get() == view; });
    return static_cast<std::size_t>(found - m_subviews.begin());
}

void register_ns_view_class() {
    register_native_class<NSView>(
        "NSView", "NSResponder",
        {
            instance_method<&NSView::initWithFrame>("initWithFrame:"),
            instance_method<&NSView::frame>("frame"),
            instance_method<&NSView::setFrame>("setFrame:"),
            instance_method<&NSView::bounds>("bounds"),
            instance_method<&NSView::superview>("superview"),
            instance_method<&NSView::window>("window"),
            instance_method<&NSView::subviews>("subviews"),
            instance_method<&NSView::addSubview>("addSubview:"),
            instance_method<&NSView::removeFromSuperview>("removeFromSuperview"),
            instance_method<&NSView::isFlipped>("isFlipped"),
            instance_method<&NSView::needsDisplay>("needsDisplay"),
            instance_method<&NSView::setNeedsDisplay>("setNeedsDisplay:"),
            instance_method<&NSView::drawRect>("drawRect:"),
            instance_method<&NSView::setHidden>("setHidden:"),
            instance_method<&NSView::isHidden>("isHidden"),
        });
}
