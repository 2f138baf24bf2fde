#include "platform/appkit/window_controls.h"

#include "platform/appkit/ns_box.h"
#include "platform/appkit/ns_button.h"
#include "platform/appkit/ns_pop_up_button.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/appkit/ns_window.h"
#include "platform/objc/message_send.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

namespace {

class FlippedView : public NSView {
  public:
    BOOL isFlipped() const { return YES; }
};

Class flipped_control_view_class() {
    static Class s_class =
        register_native_class<FlippedView>("WindowControlsTestFlippedView", "NSView",
                                           {instance_method<&FlippedView::isFlipped>("isFlipped")});
    return s_class;
}

template <class View>
View* add(NSView* parent, NSRect frame, NSInteger tag) {
    ObjcRef<View> view = make_native<View>();
    view->initWithFrame(frame);
    msg_send<void>(view.get(), "setTag:", tag);
    parent->addSubview(view.get());
    return view.get();
}

NSButton* add_checkbox(NSView* parent, NSRect frame, NSInteger tag, const char16_t* title) {
    NSButton* box = add<NSButton>(parent, frame, tag);
    box->setButtonType(NSButtonTypeSwitch);
    box->setTitle(NSString::make(title).get());
    return box;
}

TEST(WindowControls, ListsItsControlsInCreationOrderOnTheScreenWithAChoicesItemsAndWhetherEnabled) {
    clean_application();
    DriverSession session("");
    // A visible titled window whose content (300 × 200) stands at 100, 50 from the top-left of a
    // 900-point-high screen, with a flipped content view as runtime windows have.
    flipped_control_view_class();
    ObjcRef<NSWindow> window = make_native<NSWindow>();
    window->initWithContentRectStyleMaskBackingDefer(
        NSMakeRect(100, 650, 300, 200), NSWindowStyleMaskTitled, NSBackingStoreBuffered, NO);
    window->setContentView(make_native<FlippedView>().get());
    window->orderFront(nil);
    NSView* content = window->contentView();
    // A box has no tag of its own: it shows as -1.
    NSBox* frame = add<NSBox>(content, NSMakeRect(10, 10, 200, 100), 5);
    frame->setTitle(NSString::make(u"Group").get());
    add<NSTextField>(content, NSMakeRect(0, 150, 80, 20), 1)
        ->setStringValue(NSString::make(u"Label").get());
    // Made last but placed inside the box, which is not flipped: 10 from its bottom edge.
    NSButton* inside = add_checkbox(frame, NSMakeRect(5, 10, 100, 20), 9, u"Inside");
    inside->setState(NSControlStateValueOn);
    NSButton* push = add<NSButton>(content, NSMakeRect(0, 0, 50, 20), 4);
    push->setTitle(NSString::make(u"Once").get());
    push->setEnabled(NO);
    add<NSButton>(content, NSMakeRect(0, 0, 50, 20), 3)->setButtonType(NSButtonTypeRadio);
    add_checkbox(content, NSMakeRect(0, 0, 50, 20), 6, u"Hidden")->setHidden(YES);
    NSPopUpButton* choice = add<NSPopUpButton>(content, NSMakeRect(60, 0, 70, 20), 8);
    choice->addItemWithTitle(NSString::make(u"70%").get());
    choice->insertItemWithTitle(NSString::make(u"90%").get(), 9); // past the end: last
    choice->insertItemWithTitle(NSString::make(u"80%").get(), 1);
    choice->selectItemAtIndex(1);

    const WindowSnapshot snapshot = window->display_snapshot(900);
    const std::vector<ControlSnapshot> expected = {
        {-1, ControlKind::frame, "Group", 0, {110, 60, 200, 100}, {}, true},
        {1, ControlKind::text, "Label", 0, {100, 200, 80, 20}, {}, true},
        {9, ControlKind::checkbox, "Inside", 1, {115, 130, 100, 20}, {}, true},
        {4, ControlKind::button, "Once", 0, {100, 50, 50, 20}, {}, false},
        {8, ControlKind::choice, "80%", 1, {160, 50, 70, 20}, {"70%", "80%", "90%"}, true},
    };
    EXPECT_EQ(snapshot.controls, expected);
}

} // namespace
