#pragma once
// NSWindow: a window of the model. Its frame is in the window system's coordinates (bottom-left
// origin at the first screen's bottom-left corner, y up). A titled window's frame is its content
// rectangle with a 1-point border at the left and right and a 28-point title bar on top, nothing
// below; a borderless window's frame is its content rectangle.
//
// The window registers itself with NSApp (when there is one) from init until it closes or goes
// away; key status belongs to NSApp, so that exactly one window is key. The delegate is not
// retained and is called by selector, only with selectors it answers, with a notification that
// holds the window as object; nothing is posted on the default center.
//
// Ownership: a window made by alloc/init is owned by its maker, but one that is released when
// closed (the default) gives up that reference itself on close (by autorelease).

#include "platform/appkit/ns_button.h"
#include "platform/appkit/ns_color.h"
#include "platform/appkit/ns_view.h"
#include "platform/display/display_snapshots.h"

#include <array>
#include <cfloat>
#include <optional>
#include <vector>

class NSEvent;
class NSScreen;
class NSNotification;

enum : NSUInteger {
    NSWindowStyleMaskBorderless = 0,
    NSWindowStyleMaskTitled = 1,
    NSWindowStyleMaskClosable = 2,
    NSWindowStyleMaskMiniaturizable = 4,
    NSWindowStyleMaskResizable = 8,
};
enum : NSUInteger { NSBackingStoreBuffered = 2 };
enum : NSUInteger {
    NSWindowCloseButton = 0,
    NSWindowMiniaturizeButton = 1,
    NSWindowZoomButton = 2
};
enum : NSInteger { NSNormalWindowLevel = 0, NSFloatingWindowLevel = 3 };

// The window's metrics, in points.
inline constexpr CGFloat k_window_title_bar_height = 28;
inline constexpr CGFloat k_window_border_width = 1;

extern NSString* const NSWindowDidMoveNotification;
extern NSString* const NSWindowDidResizeNotification;
extern NSString* const NSWindowDidBecomeKeyNotification;
extern NSString* const NSWindowDidResignKeyNotification;
extern NSString* const NSWindowDidMiniaturizeNotification;
extern NSString* const NSWindowWillCloseNotification;
extern NSString* const NSWindowDidUpdateNotification;

class NSWindow : public NSResponder {
  public:
    NSWindow() = default;
    ~NSWindow() override;

    // Plain -init: an empty titled window.
    id init();
    // Backing and deferral make no difference to the model.
    id initWithContentRectStyleMaskBackingDefer(NSRect content, NSUInteger style,
                                                NSUInteger backing, BOOL defer);

    static NSRect frameRectForContentRectStyleMask(Class self, NSRect content, NSUInteger style);
    // The inverse of frameRectForContentRect:styleMask:.
    static NSRect content_rect_for_frame_rect(NSRect frame, NSUInteger style);
    NSRect frameRectForContentRect(NSRect content) const;
    NSRect contentRectForFrameRect(NSRect frame) const;

    NSRect frame() const { return m_frame; }
    // windowDidResize: when the size changes (the content view's size follows), then
    // windowDidMove: when the origin changes.
    void setFrameDisplay(NSRect frame, BOOL display);
    NSUInteger styleMask() const { return m_style; }
    // The screen holding the frame's centre, else the one holding most of the frame, else the
    // main screen; nil with no screens. Autoreleased.
    NSScreen* screen() const;

    // Never nil; a nil title sets the empty string.
    NSString* title() const;
    void setTitle(NSString* title);
    void setReleasedWhenClosed(BOOL flag) { m_released_when_closed = flag != NO; }
    void setAutorecalculatesKeyViewLoop(BOOL flag) { m_recalculates_key_view_loop = flag != NO; }

    // Child windows are not retained; they are let go when either side closes or goes away.
    void addChildWindowOrdered(NSWindow* child, NSInteger place);
    void removeChildWindow(NSWindow* child);
    NSWindow* parentWindow() const { return m_parent; }

    void makeKeyAndOrderFront(id sender);
    void orderFront(id sender);
    // Hides the window; it loses key status.
    void orderOut(id sender);
    // Only a visible window that answers canBecomeKeyWindow YES (asked by message).
    void makeKeyWindow();
    BOOL canBecomeKeyWindow() const;
    BOOL canBecomeMainWindow() const;
    BOOL isKeyWindow() const;
    BOOL isVisible() const { return m_ordered_in && !m_miniaturized ? YES : NO; }

    // Toggles between the frame the window had and its screen's visible frame, if the delegate's
    // windowShouldZoom:toFrame: (asked with the frame about to be taken) allows it.
    void zoom(id sender);
    // Whether the window still has the frame that zoom: gave it.
    BOOL isZoomed() const;
    void miniaturize(id sender);
    BOOL isMiniaturized() const { return m_miniaturized ? YES : NO; }

    // The close button: nothing without one; the delegate's windowShouldClose: may refuse.
    void performClose(id sender);
    // A second close does nothing.
    void close();

    NSView* contentView() const { return m_content_view.get(); }
    // Retained; the view takes the content size at origin 0,0 and leaves its old superview.
    void setContentView(NSView* view);
    void setBackgroundColor(NSColor* color) {
        m_background_color = ObjcRef<NSColor>::retain(color);
    }
    NSColor* backgroundColor() const { return m_background_color.get(); }
    NSSize contentMinSize() const { return m_content_min_size; }
    NSSize contentMaxSize() const { return m_content_max_size; }
    id delegate() const { return m_delegate; }
    void setDelegate(id delegate) { m_delegate = delegate; }
    NSInteger level() const { return m_level; }
    void setLevel(NSInteger level) { m_level = level; }
    NSInteger windowNumber() const { return m_window_number; }
    id toolbar() const { return nil; }
    // Accepted and ignored: the model draws no title bar.
    void setTitlebarAppearsTransparent(BOOL) {}
    // Retained.
    void setDefaultButtonCell(id cell) { m_default_button_cell = ObjcRef<>::retain(cell); }
    // Owned by the window; nil for a borderless window or an unknown kind. Enabled when the style
    // has the matching bit; pressing one sends performClose:, miniaturize: or zoom: to the window.
    NSButton* standardWindowButton(NSUInteger kind);

    // Key-down goes to the first responder's keyDown:, mouse-up and right-mouse-up to the content
    // view's mouseUp: and rightMouseUp:, all by message.
    void sendEvent(NSEvent* event);
    // What makeFirstResponder: set, else the content view, else the window.
    NSResponder* firstResponder() const;
    // Nil gives the window itself. The responder is retained (the window itself is not).
    BOOL makeFirstResponder(NSResponder* responder);
    void update();

    // For the model: the window as the display shows it, the content rectangle in top-left
    // coordinates of a main screen `main_screen_height` points high, with its controls.
    WindowSnapshot display_snapshot(double main_screen_height) const;
    // For the model: the delegate's windowID when it answers that, else windowNumber().
    int64_t display_number() const;
    // For the model: whether the window was closed.
    bool is_closed() const { return m_closed; }

  private:
    void notify_delegate(const char* selector, NSString* name);
    bool delegate_answers(const char* selector) const;
    void register_with_application();
    void resign_key();
    void let_go_of_family();
    std::optional<NSRect> standard_frame() const;

    NSRect m_frame;
    NSUInteger m_style = NSWindowStyleMaskTitled;
    ObjcRef<NSString> m_title;
    bool m_released_when_closed = true;
    bool m_recalculates_key_view_loop = false;
    bool m_ordered_in = false;
    bool m_miniaturized = false;
    bool m_closed = false;
    bool m_registered = false;
    bool m_first_responder_is_self = false;
    std::optional<NSRect> m_zoomed_frame;
    NSRect m_user_frame;
    NSWindow* m_parent = nullptr;
    std::vector<NSWindow*> m_children;
    ObjcRef<NSView> m_content_view;
    ObjcRef<NSColor> m_background_color;
    ObjcRef<NSResponder> m_first_responder;
    ObjcRef<> m_default_button_cell;
    std::array<ObjcRef<NSButton>, 3> m_standard_buttons;
    id m_delegate = nullptr;
    NSInteger m_level = NSNormalWindowLevel;
    NSInteger m_window_number = 0;
    NSSize m_content_min_size{0, 0};
    NSSize m_content_max_size{FLT_MAX, FLT_MAX};
};

void register_ns_window_class();
