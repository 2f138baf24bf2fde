#include "runtime/ui/screens.h"

#include "platform/appkit/ns_event.h"
#include "platform/appkit/ns_screen.h"
#include "platform/foundation/ns_array.h"
#include "runtime/ui/screen_coordinates.h"

#include <vector>

namespace rt {

namespace {

int32_t g_screen_count = 0;
ObjectTableOf<NSObject*> g_object_records;

Rect rect_of(const NSRect& frame) {
    return {frame.origin.x, frame.origin.y, frame.size.width, frame.size.height};
}

// The toolkit frames of the displays present now, the main screen first.
std::vector<Rect> screen_frames() {
    std::vector<Rect> frames;
    NSArray* screens = NSScreen::screens(nil);
    if (!screens) return frames;
    for (NSUInteger index = 0; index < screens->count(); ++index)
        frames.push_back(rect_of(static_cast<NSScreen*>(screens->objectAtIndex(index))->frame()));
    return frames;
}

double main_screen_height() {
    NSScreen* main = NSScreen::mainScreen(nil);
    return main ? main->frame().size.height : 0;
}

// The box of display `index` in the program's coordinates, when the index is valid.
bool box_at(int64_t index, ScreenBox& box) {
    std::vector<Rect> frames = screen_frames();
    const Rect* frame = screen_frame_at(frames, g_screen_count, index);
    if (!frame) return false;
    box = screen_box(*frame, main_screen_height());
    return true;
}

Point pointer() {
    NSPoint location = NSEvent::mouseLocation(nil);
    return {location.x, location.y};
}

void free_object_record(ObjectNumber number) {
    id* record = g_object_records.lookup(number);
    if (!record) return;
    id object = *record;
    g_object_records.release(number);
    objc_release(object);
}

} // namespace

int InitScreens() {
    return 1;
}

int64_t ScanScreens() {
    NSArray* screens = NSScreen::screens(nil);
    g_screen_count = screens ? static_cast<int32_t>(screens->count()) : 0;
    return g_screen_count;
}

int64_t ScreenLeft(int64_t index) {
    ScreenBox box;
    return box_at(index, box) ? box.left : 0;
}

int64_t ScreenTop(int64_t index) {
    ScreenBox box;
    return box_at(index, box) ? box.top : 0;
}

int64_t ScreenWidth(int64_t index) {
    ScreenBox box;
    return box_at(index, box) ? box.width : 0;
}

int64_t ScreenHeight(int64_t index) {
    ScreenBox box;
    return box_at(index, box) ? box.height : 0;
}

int64_t GlobalMouseX() {
    return global_mouse_x(pointer());
}

int64_t GlobalMouseY() {
    return global_mouse_y(pointer(), main_screen_height());
}

int64_t ScaleToDevice(int64_t value) {
    return value;
}

int64_t ScreenUnderMouse() {
    // One reading of the screens for all boxes: asking for each box alone is quadratic.
    const std::vector<Rect> frames = screen_frames();
    g_screen_count = static_cast<int32_t>(frames.size());
    const double main_height = main_screen_height();
    std::vector<ScreenBox> boxes;
    boxes.reserve(frames.size());
    for (const Rect& frame : frames)
        boxes.push_back(screen_box(frame, main_height));
    return screen_holding_pointer(boxes, GlobalMouseX(), GlobalMouseY());
}

int InitObjectRecords() {
    return g_object_records.create_once(8, &free_object_record) ? 1 : 0;
}

void EndObjectRecords() {
    g_object_records.free_all();
}

ObjectTableOf<NSObject*>& object_record_table() {
    return g_object_records;
}

} // namespace rt
