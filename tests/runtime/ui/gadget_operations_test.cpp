// The gadget operations the runtime reaches only by message to a gadget's behaviour object:
// position by mode, size, resizing, hiding, activation, text and font by kind, rebinding to a new
// behaviour object, and gadget lists nested deeper than the list's first stack.

#include "platform/appkit/ns_box.h"
#include "platform/appkit/ns_button.h"
#include "platform/appkit/ns_font.h"
#include "platform/appkit/ns_window.h"
#include "platform/objc/message_send.h"
#include "runtime/ui/gadget_records.h"
#include "runtime/ui/native/kx_gadget_functions.h"
#include "runtime/ui/native/kx_gadget_list.h"
#include "tests/runtime/ui/runtime_window_test.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace rt;

constexpr int32_t k_keep = -65535;
constexpr int32_t k_title_bar = 28; // the window's frame top is 28 points above its content

class GadgetOperations : public RuntimeWindowTest {
  protected:
    void SetUp() override {
        RuntimeWindowTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(InitGadgets(), 1);
    }
    void TearDown() override {
        FreeGadget(AutoNumber);
        RuntimeWindowTest::TearDown();
    }

    static KXGadgetFunctions* functions(int64_t number) { return gadget_record(number)->functions; }
    static NSView* view(int64_t number) { return gadget_record(number)->view; }
    static int32_t x(int64_t number, int32_t mode) {
        return msg_send<int32_t>(functions(number), "GadgetX:", mode);
    }
    static int32_t y(int64_t number, int32_t mode) {
        return msg_send<int32_t>(functions(number), "GadgetY:", mode);
    }
    static std::string text(int64_t number) {
        return msg_send<NSString*>(functions(number), "GetGadgetText")->utf8();
    }
};

TEST_F(GadgetOperations, PositionByModeCountsTheMainScreensTopAsTheOriginOnScreen) {
    struct Row {
        int32_t window_x;
        int32_t window_y;
        int32_t gadget_x;
        int32_t gadget_y;
    };
    for (Row row : {Row{100, 100, 10, 20}, Row{0, 0, 0, 0}, Row{500, 300, 37, 5}}) {
        SCOPED_TRACE(testing::Message() << row.window_x << "," << row.window_y);
        ASSERT_NE(NewWindow(1, row.window_x, row.window_y, 320, 290, u"W", 4), 0);
        ASSERT_NE(CreateTextGadget(2, row.gadget_x, row.gadget_y, 80, 20, u"t"), 0);
        EXPECT_EQ(x(2, 0), row.gadget_x);
        EXPECT_EQ(y(2, 0), row.gadget_y);
        EXPECT_EQ(x(2, 2), row.gadget_x);
        EXPECT_EQ(y(2, 2), row.gadget_y);
        EXPECT_EQ(x(2, 1), row.window_x + row.gadget_x);
        EXPECT_EQ(y(2, 1), row.window_y + k_title_bar + row.gadget_y);
    }
    // Inside a container frame mode 0 is relative to the frame's inner view, 2 to the window.
    ASSERT_NE(CreateFrameGadget(3, 40, 50, 200, 150, u"Box", FrameFlagContainer), 0);
    ASSERT_NE(CreateTextGadget(4, 5, 6, 80, 20, u"inner"), 0);
    LeaveGadgetList();
    const NSRect inner = static_cast<NSBox*>(view(3))->contentView()->frame();
    EXPECT_EQ(x(4, 0), 5);
    EXPECT_EQ(y(4, 0), 6);
    EXPECT_EQ(x(4, 2), 40 + inner.origin.x + 5);
    EXPECT_EQ(y(4, 2), 50 + inner.origin.y + 6);
    EXPECT_EQ(x(4, 1), 500 + x(4, 2));
    EXPECT_EQ(y(4, 1), 300 + k_title_bar + y(4, 2));
}

TEST_F(GadgetOperations, ResizeKeepsEveryValueGivenAsMinus65535) {
    ASSERT_NE(NewWindow(1, 100, 100, 320, 290, u"W", 4), 0);
    ASSERT_NE(CreateCheckboxGadget(2, 10, 20, 200, 25, u"c"), 0);
    struct Row {
        int32_t x, y, width, height;
        NSRect expected;
    };
    const Row rows[] = {
        {k_keep, k_keep, k_keep, k_keep, NSMakeRect(10, 20, 200, 25)},
        {50, k_keep, k_keep, 30, NSMakeRect(50, 20, 200, 30)},
        {k_keep, 0, 120, k_keep, NSMakeRect(50, 0, 120, 30)},
    };
    for (const Row& row : rows) {
        msg_send<void>(functions(2), "ResizeGadget:y:width:height:", row.x, row.y, row.width,
                       row.height);
        EXPECT_EQ(view(2)->frame(), row.expected);
        EXPECT_EQ(msg_send<int32_t>(functions(2), "GadgetWidth"), row.expected.size.width);
        EXPECT_EQ(msg_send<int32_t>(functions(2), "GadgetHeight"), row.expected.size.height);
    }
}

TEST_F(GadgetOperations, HideActivateTextAndFontAnswerByKind) {
    ASSERT_NE(NewWindow(1, 100, 100, 320, 290, u"W", 4), 0);
    ASSERT_NE(CreateCheckboxGadget(2, 0, 0, 100, 20, u"box"), 0);
    ASSERT_NE(CreateTextGadget(3, 0, 30, 100, 20, u"label"), 0);
    ASSERT_NE(CreateFrameGadget(4, 0, 60, 100, 50, u"frame"), 0);
    NSFont* font = NSFont::systemFontOfSize(native_class<NSFont>(), 17);
    for (int64_t number : {2, 3, 4}) {
        SCOPED_TRACE(number);
        msg_send<void>(functions(number), "HideGadget:", int32_t{1});
        EXPECT_TRUE(view(number)->isHidden());
        msg_send<void>(functions(number), "HideGadget:", int32_t{0});
        EXPECT_FALSE(view(number)->isHidden());
        msg_send<void>(functions(number), "SetGadgetText:", NSString::make(u"new text").get());
        EXPECT_EQ(text(number), "new text");
        msg_send<void>(functions(number), "SetGadgetFont:", font);
        EXPECT_EQ(msg_send<NSFont*>(functions(number), "GetGadgetFont"), font);
    }
    EXPECT_EQ(static_cast<NSButton*>(view(2))->title()->utf8(), "new text");
    EXPECT_EQ(static_cast<NSBox*>(view(4))->title()->utf8(), "new text");
    EXPECT_EQ(static_cast<NSBox*>(view(4))->titleFont(), font);

    ASSERT_NE(NewWindow(5, 300, 300, 100, 100, u"Other", 4), 0);
    ASSERT_FALSE(reinterpret_cast<NSWindow*>(WindowObject(1))->isKeyWindow());
    msg_send<void>(functions(2), "ActivateGadget");
    auto* window = reinterpret_cast<NSWindow*>(WindowObject(1));
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_EQ(window->firstResponder(), view(2));
}

TEST_F(GadgetOperations, ReuseBindsANewBehaviourObjectToTheSameGadget) {
    ASSERT_NE(NewWindow(1, 100, 100, 320, 290, u"W", 4), 0);
    ASSERT_NE(CreateCheckboxGadget(7, 0, 0, 100, 20, u"box"), 0);
    ObjcRef<KXGadgetFunctions> old = ObjcRef<KXGadgetFunctions>::retain(functions(7));
    auto fresh = make_native<KXGadgetFunctions>();
    msg_send<void>(fresh.get(), "reuse:type:", gadget_record(7), GadgetTypeText);
    EXPECT_EQ(functions(7), fresh.get());
    EXPECT_EQ(gadget_record(7)->type, GadgetTypeText);
    EXPECT_EQ(fresh->gadget_id(), 7);
    EXPECT_EQ(old->gadget(), nullptr);
    EXPECT_EQ(static_cast<NSButton*>(view(7))->target(), fresh.get());
    // The base behaviour reads a check box's state through the control.
    SetGadgetState(7, 1);
    EXPECT_EQ(GetGadgetState(7), 1);
}

TEST_F(GadgetOperations, ContainersNestDeeperThanTheFirstStackAndUnwindInOrder) {
    ASSERT_NE(NewWindow(1, 0, 0, 600, 600, u"W", 4), 0);
    NSView* content = reinterpret_cast<NSWindow*>(WindowObject(1))->contentView();
    std::vector<NSView*> tops{content};
    for (int64_t number = 10; number < 22; ++number) {
        ASSERT_NE(CreateFrameGadget(number, 1, 1, 500, 500, u"f", FrameFlagContainer), 0);
        ASSERT_NE(KXGadgetList::currentView(nil), tops.back());
        tops.push_back(KXGadgetList::currentView(nil));
    }
    EXPECT_EQ(KXGadgetList::currentList(nil)->stackIndex(), 12);
    for (std::size_t depth = tops.size() - 1; depth > 0; --depth) {
        LeaveGadgetList();
        EXPECT_EQ(KXGadgetList::currentView(nil), tops[depth - 1]) << depth;
    }
    LeaveGadgetList();
    EXPECT_EQ(KXGadgetList::currentView(nil), content);
}

} // namespace
