#include "runtime/ui/windows.h"

#include "runtime/ui/window_records.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_bitmap_image_rep.h"
#include "platform/appkit/ns_color.h"
#include "platform/appkit/ns_screen.h"
#include "platform/appkit/ns_window.h"
#include "platform/foundation/ns_string.h"
#include "platform/objc/message_send.h"
#include "runtime/core/object_table_of.h"
#include "runtime/ui/event_bindings.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/gadget_records.h"
#include "runtime/ui/menu_records.h"
#include "runtime/ui/native/kx_flipped_window_view.h"
#include "runtime/ui/native/kx_gadget_list.h"
#include "runtime/ui/native/kx_timer_events.h"
#include "runtime/ui/native/kx_window.h"
#include "runtime/ui/native/kx_window_events.h"
#include "runtime/ui/native/kx_window_output_view.h"
#include "runtime/ui/next_key_window.h"
#include "runtime/ui/window_events.h"
#include "runtime/ui/window_geometry.h"
#include "runtime/ui/window_timers.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace rt {

namespace {

ObjectTableOf<WindowRecord, WindowRecordSize> g_window_table;

void register_window_classes() {
    register_kx_window_class();
    register_kx_window_events_class();
    register_kx_flipped_window_view_class();
    register_kx_window_output_view_class();
    register_kx_timer_events_class();
}

NSWindow* application_key_window() {
    return NSApp ? NSApp->keyWindow() : nullptr;
}

std::optional<Rect> frame_of(NSWindow* window) {
    if (!window) return std::nullopt;
    return rect_from(window->frame());
}

const Rect* optional_pointer(const std::optional<Rect>& rect) {
    return rect ? &*rect : nullptr;
}

// By the platform's rule a failed -init... has released the object, so the handle lets go of
// it without a second release.
template <class T>
ObjcRef<T> initialised_or_empty(ObjcRef<T> object, id initialised) {
    if (!initialised) {
        (void)object.take();
        return {};
    }
    return object;
}

ObjcRef<KXWindow> make_native_window(const NewWindowShape& shape) {
    ObjcRef<KXWindow> window = make_native<KXWindow>();
    if (!window) return {};
    id initialised = window->initWithContentRectStyleMaskBackingDefer(
        ns_rect_from(shape.content), shape.style_mask, NSBackingStoreBuffered, NO);
    return initialised_or_empty(std::move(window), initialised);
}

void fill_window_record(WindowRecord& record, KXWindow* window, KXWindowEvents* events,
                        NSWindow* parent) {
    record.window = window;
    record.parent = parent;
    record.events = events;
    record.previous_key = application_key_window();
    const NSSize minimum = window->contentMinSize();
    const NSSize maximum = window->contentMaxSize();
    record.minimum_width = minimum.width;
    record.minimum_height = minimum.height;
    record.maximum_width = maximum.width;
    record.maximum_height = maximum.height;
}

void centre_new_window(NSWindow* window, uint32_t flags, NSWindow* parent) {
    if (!(flags & (WindowFlagCentred | WindowFlagCentreOnParent))) return;
    NSScreen* screen = window->screen();
    const std::optional<Rect> screen_frame =
        screen ? std::optional<Rect>(rect_from(screen->frame())) : std::nullopt;
    const std::optional<Rect> reference = frame_of(parent ? parent : application_key_window());
    const Rect frame =
        centred_window_frame(rect_from(window->frame()), flags, optional_pointer(screen_frame),
                             optional_pointer(reference));
    window->setFrameDisplay(ns_rect_from(frame), YES);
}

void show_new_window(NSWindow* window, uint32_t flags) {
    if (flags & WindowFlagInvisible) return;
    if (flags & WindowFlagNoActivate)
        window->orderFront(nil);
    else
        window->makeKeyAndOrderFront(nil);
}

// The opening zoom or miniaturise is part of the opening, not a change the program hears of.
void apply_opening_state(NSWindow* window, uint32_t flags) {
    if (!(flags & (WindowFlagMaximized | WindowFlagMinimized))) return;
    EventSuppression quiet;
    if (flags & WindowFlagMinimized)
        window->miniaturize(nil);
    else
        window->zoom(nil);
}

bool install_content_view(NSWindow* window, int64_t number) {
    ObjcRef<KXFlippedWindowView> view = make_native<KXFlippedWindowView>();
    if (!view) return false;
    // Initialised before the move: the order in which arguments are evaluated is unspecified.
    id initialised = view->initWithFrame(NSRect{});
    view = initialised_or_empty(std::move(view), initialised);
    if (!view) return false;
    view->set_window_id(number);
    window->setContentView(view.get());
    window->setBackgroundColor(NSColor::windowBackgroundColor(native_class<NSColor>()));
    return true;
}

// Connects a new delegate to the window; the record holds its reference.
KXWindowEvents* connect_window_events(NSWindow* window, int64_t number) {
    ObjcRef<KXWindowEvents> events = make_native<KXWindowEvents>();
    if (!events) return nullptr;
    events->connect(window, number);
    return events.take();
}

// The window that takes key status when `closing` closes: asked only when it is the key window
// and remembers the window that was key when it opened.
NSWindow* key_window_after_close(const WindowRecord& closing) {
    NSWindow* window = closing.window;
    if (!closing.previous_key || !window->isKeyWindow()) return nullptr;
    std::vector<KeyWindowCandidate> candidates;
    g_window_table.rewind();
    ObjectNumber number = 0;
    while (WindowRecord* record = g_window_table.next(&number)) {
        NSWindow* candidate = record->window;
        candidates.push_back({candidate, candidate->isVisible() != NO});
    }
    const void* choice = choose_next_key_window(candidates, window, closing.previous_key);
    return static_cast<NSWindow*>(const_cast<void*>(choice));
}

WindowSize record_window_size(int64_t number, int32_t mode) {
    WindowRecord* record = window_record(number);
    if (!record) return {0, 0};
    NSWindow* window = record->window;
    return window_size(rect_from(window->frame()), window->styleMask(), mode);
}

bool output_has_size(const WindowRecord& record, int32_t width, int32_t height) {
    if (!record.output_view || !record.output_pixels) return false;
    NSBitmapImageRep* bitmap = record.output_view->bitmap();
    return bitmap && bitmap->pixelsWide() == width && bitmap->pixelsHigh() == height;
}

bool make_output_view(WindowRecord& record, int32_t width, int32_t height, std::size_t bytes) {
    CloseWindowOutput(&record);
    NSView* content = record.window->contentView();
    if (!content) return false;
    auto* pixels = static_cast<unsigned char*>(std::calloc(bytes, 1));
    if (!pixels) return false;
    ObjcRef<KXWindowOutputView> view = make_native<KXWindowOutputView>();
    if (view) {
        id initialised = view->initWithFrame(NSMakeRect(0, 0, width, height));
        view = initialised_or_empty(std::move(view), initialised);
    }
    if (!view) {
        std::free(pixels);
        return false;
    }
    content->addSubview(view.get());
    record.output_view = view.take();
    record.output_pixels = pixels;
    return true;
}

ObjcRef<NSBitmapImageRep> make_output_bitmap(unsigned char* pixels, int32_t width, int32_t height) {
    ObjcRef<NSBitmapImageRep> bitmap = make_native<NSBitmapImageRep>();
    if (!bitmap) return {};
    unsigned char* planes[] = {pixels};
    id initialised = bitmap->initWithBitmapDataPlanes(
        planes, width, height, 8, 4, YES, NO, NSDeviceRGBColorSpace,
        NSBitmapFormatAlphaNonpremultiplied, NSInteger{width} * 4, 32);
    return initialised_or_empty(std::move(bitmap), initialised);
}

CGContextRef make_output_context(unsigned char* pixels, int32_t width, int32_t height) {
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    if (!space) return nullptr;
    CGContextRef context = CGBitmapContextCreate(
        pixels, static_cast<std::size_t>(width), static_cast<std::size_t>(height), 8,
        static_cast<std::size_t>(width) * 4, space, kCGImageAlphaPremultipliedLast);
    CGColorSpaceRelease(space);
    return context;
}

} // namespace

void release_window_record(int64_t number) {
    if (WindowRecord* record = window_record(number)) {
        CloseWindowOutput(record);
        invalidate_window_timers(*record);
        objc_release(reinterpret_cast<id>(record->shortcuts));
        record->shortcuts = nullptr;
        KXGadgetList::removeWindow(nil, record->window);
        if (record->window) record->window->set_window_record(nullptr);
    }
    RemoveWindowEvents(number);
    g_window_table.release(number);
}

WindowRecord* window_record(int64_t number) {
    return g_window_table.lookup(number);
}

double main_screen_height() {
    NSScreen* screen = NSScreen::mainScreen(native_class<NSScreen>());
    return screen ? screen->frame().size.height : 0;
}

int InitWindows() {
    register_window_classes();
    if (!g_window_table.create_once(WindowTableGrowthStep, &DisposeWindow)) return 0;
    register_kx_gadget_list_class();
    KXGadgetList::make_state();
    if (NSApp) NSApp->setActivationPolicy(NSApplicationActivationPolicyRegular);
    return 1;
}

int64_t NewWindow(int64_t number, int32_t x, int32_t y, int32_t inner_width, int32_t inner_height,
                  TextArg title) {
    return NewWindow(number, x, y, inner_width, inner_height, title,
                     static_cast<int32_t>(WindowFlagCloseButton), 0);
}

int64_t NewWindow(int64_t number, int32_t x, int32_t y, int32_t inner_width, int32_t inner_height,
                  TextArg title, int32_t flags) {
    return NewWindow(number, x, y, inner_width, inner_height, title, flags, 0);
}

int64_t NewWindow(int64_t number, int32_t x, int32_t y, int32_t inner_width, int32_t inner_height,
                  TextArg title, int32_t flags, int64_t parent) {
    if (!g_window_table.table()) return 0;
    const NewWindowShape shape = new_window_shape(
        x, y, inner_width, inner_height, static_cast<uint32_t>(flags), main_screen_height());
    ObjcRef<KXWindow> window = make_native_window(shape);
    if (!window) return 0;
    WindowRecord* record = g_window_table.allocate(number);
    if (!record) return 0;
    const int64_t window_number =
        number == AutoNumber ? reinterpret_cast<intptr_t>(record) : number;
    KXWindowEvents* events = connect_window_events(window.get(), window_number);
    if (!events) {
        g_window_table.release(window_number);
        return 0;
    }
    auto* parent_window = reinterpret_cast<NSWindow*>(parent);
    window->set_window_record(record);
    fill_window_record(*record, window.get(), events, parent_window);

    const char16_t* title_units = title.get() ? title.get() : u"";
    window->setReleasedWhenClosed(YES);
    window->setTitle(NSString::make(std::u16string_view(title_units)).get());
    window->setAutorecalculatesKeyViewLoop(YES);
    if (parent_window && !(shape.flags & WindowFlagInvisible))
        parent_window->addChildWindowOrdered(window.get(), NSWindowAbove);
    centre_new_window(window.get(), shape.flags, parent_window);
    show_new_window(window.get(), shape.flags);
    apply_opening_state(window.get(), shape.flags);
    install_content_view(window.get(), window_number);
    if (!(shape.flags & WindowFlagNoGadgetList)) KXGadgetList::setWindow(nil, window.get());

    // The window's close gives up this reference (it is released when closed).
    KXWindow* native = window.take();
    if (number == AutoNumber) return window_number;
    return reinterpret_cast<intptr_t>(native);
}

void DisposeWindow(int64_t number) {
    if (number == AutoNumber) {
        g_window_table.free_all();
        return;
    }
    WindowRecord* record = window_record(number);
    if (!record) return;
    UnbindWindowEvents(number);
    FreeWindowGadgets(number);
    NSWindow* next_key = key_window_after_close(*record);
    FreeWindowMenu(record->window);
    ObjcRef<NSWindow> window = ObjcRef<NSWindow>::retain(record->window);
    if (record->parent) record->parent->removeChildWindow(window.get());
    // The close runs the delegate's windowWillClose:, which releases the record.
    window->close();
    RemoveWindowEvents(number);
    if (next_key) next_key->makeKeyWindow();
}

int WindowExists(int64_t number) {
    return g_window_table.validate(number) ? 1 : 0;
}

int64_t WindowObject(int64_t number) {
    WindowRecord* record = window_record(number);
    return record ? reinterpret_cast<intptr_t>(record->window) : 0;
}

int64_t GetWindowWidth(int64_t number) {
    return GetWindowWidth(number, 1);
}

int64_t GetWindowWidth(int64_t number, int32_t mode) {
    return record_window_size(number, mode).width;
}

int64_t GetWindowHeight(int64_t number) {
    return GetWindowHeight(number, 1);
}

int64_t GetWindowHeight(int64_t number, int32_t mode) {
    return record_window_size(number, mode).height;
}

int SetWindowBounds(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height) {
    WindowRecord* record = window_record(number);
    if (!record) return 0;
    NSWindow* window = record->window;
    const Rect frame = window_bounds_frame(rect_from(window->frame()), window->styleMask(), x, y,
                                           width, height, main_screen_height());
    window->setFrameDisplay(ns_rect_from(frame), YES);
    return 1;
}

int KeepWindowOnTop(int64_t number, int64_t state) {
    WindowRecord* record = window_record(number);
    if (!record) return 0;
    record->window->setLevel(window_level_for(state));
    return 1;
}

int64_t NativeWindowID(NSWindow* window) {
    if (!window) return -1;
    id delegate = window->delegate();
    if (!delegate || !delegate->respondsToSelector(sel_registerName("windowID"))) return -1;
    return msg_send<int64_t>(delegate, "windowID");
}

CGContextRef OpenWindowOutput(WindowRecord* record, int32_t width, int32_t height) {
    if (!record || !record->window || width < 1 || height < 1) return nullptr;
    const std::size_t bytes =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    if (output_has_size(*record, width, height))
        std::memset(record->output_pixels, 0, bytes);
    else if (!make_output_view(*record, width, height, bytes))
        return nullptr;
    ObjcRef<NSBitmapImageRep> bitmap = make_output_bitmap(record->output_pixels, width, height);
    if (!bitmap) return nullptr;
    record->output_view->set_bitmap(bitmap.get());
    return make_output_context(record->output_pixels, width, height);
}

void CloseWindowOutput(WindowRecord* record) {
    if (!record) return;
    if (KXWindowOutputView* view = record->output_view) {
        record->output_view = nullptr;
        view->removeFromSuperview();
        objc_release(view);
    }
    std::free(record->output_pixels);
    record->output_pixels = nullptr;
}

} // namespace rt
