#pragma once
// NSView: a rectangle of a window's content, in a tree of views. A view's frame is in its
// superview's coordinates (bottom-left origin unless the superview is flipped); its bounds are
// its own, with the origin at 0,0. Superviews retain their subviews; a subview's link back to its
// superview, and a content view's link to its window, are not retained.
//
// Drawing and flippedness are asked by message (drawRect:, isFlipped), so that subclasses made at
// run time and native subclasses decide for themselves.

#include "platform/appkit/ns_geometry.h"
#include "platform/appkit/ns_responder.h"

#include <vector>

class NSArray;
class NSWindow;

// Where add_subview puts a view among its siblings.
enum : NSInteger { NSWindowBelow = -1, NSWindowOut = 0, NSWindowAbove = 1 };

class NSView : public NSResponder {
  public:
    NSView() = default;
    ~NSView() override;

    id initWithFrame(NSRect frame);

    NSRect frame() const { return m_frame; }
    // A new size marks the view as needing display.
    void setFrame(NSRect frame);
    NSRect bounds() const { return {{0, 0}, m_frame.size}; }

    NSView* superview() const { return m_superview; }
    // The window of the view's tree (the one whose content view is its root); nil if none.
    NSWindow* window() const;
    // An autoreleased copy, back to front.
    NSArray* subviews() const;
    // Puts `view` on top of the other subviews, taking it from its old superview. Nil, the view
    // itself and its own ancestors are ignored.
    void addSubview(NSView* view);
    // As addSubview:, on top (NSWindowAbove) or at the back (NSWindowBelow) of the other
    // subviews; any other place adds nothing.
    void add_subview(NSView* view, NSInteger place);
    void removeFromSuperview();

    BOOL isFlipped() const { return NO; }
    BOOL needsDisplay() const { return m_needs_display ? YES : NO; }
    void setNeedsDisplay(BOOL flag) { m_needs_display = flag != NO; }
    void drawRect(NSRect dirty);
    void setHidden(BOOL hidden) { m_hidden = hidden != NO; }
    BOOL isHidden() const { return m_hidden ? YES : NO; }

    // For the model: draws, by sending drawRect:, each visible view of this tree that needs
    // display (a view that draws redraws its subviews too, since its drawing covers them) and
    // clears the flag. Hidden views and their subviews are left as they are.
    void display_if_needed();
    // For the model: the frame in the window's content coordinates, y down from the content's
    // top-left corner; the root of the tree stands at 0,0.
    NSRect frame_in_content_top_left() const;
    // For the model: NSWindow names itself as the window of its content view (nil to let go).
    void set_content_window(NSWindow* window) { m_content_window = window; }

  private:
    void draw_tree(bool force);
    bool is_ancestor_of(const NSView* view) const;
    // Takes `view` from its superview, keeping it alive, and returns the reference.
    static ObjcRef<NSView> detach(NSView* view);
    void insert_subview(ObjcRef<NSView> view, std::size_t index);
    std::size_t index_of(const NSView* view) const;

    NSRect m_frame;
    NSView* m_superview = nullptr;
    NSWindow* m_content_window = nullptr;
    std::vector<ObjcRef<NSView>> m_subviews;
    // New views have not been drawn yet.
    bool m_needs_display = true;
    bool m_hidden = false;
};

void register_ns_view_class();
