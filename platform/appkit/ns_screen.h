#pragma once
// NSScreen: one screen of the current display, in the window system's coordinates (bottom-left
// origin at the bottom-left corner of the first screen, y up). Without a display the model has
// one screen of 1440 × 900 points. Screens are made again only when the display's screens
// change, so the same screen answers the same object meanwhile.

#include "platform/appkit/ns_geometry.h"
#include "platform/objc/native_class.h"

#include <vector>

class NSArray;
struct ScreenRect;

// The height of the menu bar at the top of the first screen, outside its visible frame.
inline constexpr CGFloat k_menu_bar_height = 24;

class NSScreen : public NSObject {
  public:
    NSScreen() = default;
    NSScreen(NSRect frame, NSRect visible_frame) : m_frame(frame), m_visible_frame(visible_frame) {}

    // Autoreleased; the first screen holds the menu bar. Empty when the display reports none.
    static NSArray* screens(Class self);
    // The first screen, autoreleased; nil when there is none.
    static NSScreen* mainScreen(Class self);

    NSRect frame() const { return m_frame; }
    // The frame without the menu bar (first screen only).
    NSRect visibleFrame() const { return m_visible_frame; }

    // For the model: top-left display rectangles as bottom-left frames about the first one.
    static std::vector<NSRect> frames_for_display_rects(const std::vector<ScreenRect>& rects);

  private:
    NSRect m_frame;
    NSRect m_visible_frame;
};

void register_ns_screen_class();
