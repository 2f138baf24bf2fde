#include "platform/appkit/ns_screen.h"

#include "platform/display/display.h"
#include "platform/display/display_slot.h"
#include "platform/foundation/ns_array.h"

#include <algorithm>
#include <mutex>

namespace {

const std::vector<ScreenRect>& model_screen_rects() {
    static const std::vector<ScreenRect> s_rects{ScreenRect{0, 0, 1440, 900}};
    return s_rects;
}

std::vector<ScreenRect> current_screen_rects() {
    Display* display = current_display();
    return display ? display->screens() : model_screen_rects();
}

NSRect visible_frame_of(NSRect frame, bool is_main) {
    if (!is_main) return frame;
    frame.size.height = std::max(CGFloat{0}, frame.size.height - k_menu_bar_height);
    return frame;
}

// The screens last made, and the display rectangles they were made from.
struct ScreenCache {
    std::mutex mutex;
    std::vector<ScreenRect> rects;
    std::vector<ObjcRef<NSScreen>> screens;
    bool filled = false;
};

// Never destroyed: releasing screens while the process exits could outlive the object runtime.
ScreenCache& screen_cache() {
    static ScreenCache* s_cache = new ScreenCache;
    return *s_cache;
}

std::vector<ObjcRef<NSScreen>> make_screens(const std::vector<ScreenRect>& rects) {
    std::vector<ObjcRef<NSScreen>> screens;
    const std::vector<NSRect> frames = NSScreen::frames_for_display_rects(rects);
    for (std::size_t i = 0; i < frames.size(); ++i)
        screens.push_back(make_native<NSScreen>(frames[i], visible_frame_of(frames[i], i == 0)));
    return screens;
}

std::vector<ObjcRef<NSScreen>> current_screens() {
    std::vector<ScreenRect> rects = current_screen_rects();
    ScreenCache& cache = screen_cache();
    std::lock_guard lock(cache.mutex);
    if (!cache.filled || cache.rects != rects) {
        cache.screens = make_screens(rects);
        cache.rects = std::move(rects);
        cache.filled = true;
    }
    return cache.screens;
}

} // namespace

std::vector<NSRect> NSScreen::frames_for_display_rects(const std::vector<ScreenRect>& rects) {
    std::vector<NSRect> frames;
    if (rects.empty()) return frames;
    const double main_height = rects.front().height;
    for (const ScreenRect& rect : rects)
        frames.push_back(
            NSMakeRect(rect.x, main_height - (rect.y + rect.height), rect.width, rect.height));
    return frames;
}

NSArray* NSScreen::screens(Class) {
    std::vector<id> objects;
    // The array retains the screens, so they outlive a change of the cache.
    for (const ObjcRef<NSScreen>& screen : current_screens())
        objects.push_back(screen.get());
    return NSArray::make(objects).autorelease();
}

NSScreen* NSScreen::mainScreen(Class) {
    std::vector<ObjcRef<NSScreen>> screens = current_screens();
    if (screens.empty()) return nil;
    return ObjcRef<NSScreen>(screens.front()).autorelease();
}

void register_ns_screen_class() {
    register_native_class<NSScreen>(
        "NSScreen", "NSObject",
        {
            class_method<&NSScreen::screens>("screens"),
            class_method<&NSScreen::mainScreen>("mainScreen"),
            instance_method<&NSScreen::frame>("frame"),
            instance_method<&NSScreen::visibleFrame>("visibleFrame"),
        });
}
