#include "runtime/ui/gadget_records.h"

#include "platform/appkit/ns_box.h"
#include "platform/appkit/ns_button.h"
#include "platform/appkit/ns_font.h"
#include "platform/appkit/ns_pop_up_button.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/appkit/ns_window.h"
#include "platform/foundation/ns_array.h"
#include "platform/objc/message_send.h"
#include "runtime/ui/application.h"
#include "runtime/ui/event_kinds.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/gadgets.h"
#include "runtime/ui/native/kx_gadget_functions.h"
#include "runtime/ui/native/kx_gadget_list.h"
#include "runtime/ui/wait_event.h"
#include "runtime/ui/windows.h"
#include "tests/runtime/ui/runtime_window_test.h"
#include "tests/support/driver_session.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

namespace rt {
namespace {

constexpr int32_t k_keep = -65535;
constexpr int32_t k_title_bar = 28; // the window's frame top is 28 points above its content

void gadget_callback() {}

// The operations the runtime reaches only by message to a gadget's behaviour object are sent by
// selector, as the runtime sends them.
class GadgetsTest : public RuntimeWindowTest {
  protected:
    void SetUp() override {
        RuntimeWindowTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(InitGadgets(), 1);
        ASSERT_NE(NewWindow(1, 100, 100, 320, 290, u"W", 4), 0);
        RemoveQueuedEvents(-1, -1, -1, -1);
    }
    void TearDown() override {
        FreeGadget(AutoNumber);
        RuntimeWindowTest::TearDown();
    }

    static KXGadgetFunctions* functions(int64_t number) { return gadget_record(number)->functions; }
    static NSView* view(int64_t number) { return gadget_record(number)->view; }
    static NSView* content_view() {
        return reinterpret_cast<NSWindow*>(WindowObject(1))->contentView();
    }
    static int32_t x(int64_t number, int32_t mode) {
        return msg_send<int32_t>(functions(number), "GadgetX:", mode);
    }
    static int32_t y(int64_t number, int32_t mode) {
        return msg_send<int32_t>(functions(number), "GadgetY:", mode);
    }
    static std::vector<int64_t> queued_gadget_events() {
        std::vector<int64_t> objects;
        for (const EventRecord* event = queue_head(); event; event = event->next)
            if (event->kind == EventKindGadget) objects.push_back(event->object);
        return objects;
    }
};

TEST_F(GadgetsTest, CheckBoxesAreNumberedByTheirRecordOrTheirFixedNumberAndHoldStates) {
    const int64_t first = CreateCheckboxGadget(AutoNumber, 10, 10, 200, 20, u"One");
    ASSERT_NE(first, CreateCheckboxGadget(AutoNumber, 10, 40, 200, 20, u"Two"));
    EXPECT_EQ(std::tuple(reinterpret_cast<intptr_t>(gadget_record(first)),
                         msg_send<NSInteger>(view(first), "tag")),
              std::tuple(first, first));
    const int64_t fixed = CreateCheckboxGadget(4, 30, 40, 400, 20, u"Show Battery Charge Cycles");
    EXPECT_EQ(
        std::tuple(reinterpret_cast<NSView*>(fixed), static_cast<NSButton*>(view(4))->buttonType()),
        std::tuple(view(4), NSUInteger{NSButtonTypeSwitch}));
    using Create = int64_t (*)(int64_t, int32_t, int32_t, int32_t, int32_t, TextArg, int32_t);
    const std::tuple<Create, int32_t, int64_t, int64_t> rows[] = {
        {&CreateCheckboxGadget, 0, 1, 1},  {&CreateCheckboxGadget, 0, 0, 0},
        {&CreateCheckboxGadget, 0, -1, 1}, {&CreateCheckboxGadget, 4, -1, -1},
        {&CreateTextGadget, 0, 1, 0},      {&CreateFrameGadget, 0, 1, 0},
    };
    for (const auto& [create, flags, set, state] : rows) {
        ASSERT_NE(create(2, 0, 0, 100, 20, u"x", flags), 0);
        SetGadgetState(2, set);
        EXPECT_EQ(GetGadgetState(2), state) << flags << " " << set;
    }
    EXPECT_EQ(GetGadgetState(99), 0);
    SetGadgetState(99, 1);
}

TEST_F(GadgetsTest, ChoicesTakeItemsWhereAskedAndSelectByIndex) {
    ASSERT_NE(CreateChoiceGadget(3, 0, 0, 80, 20), 0);
    EXPECT_EQ(GetGadgetState(3), -1);
    const std::tuple<int32_t, const char16_t*, int64_t> rows[] = {
        {-1, u"70%", 0}, {-1, u"90%", 1}, {0, u"60%", 0}, {9, u"100%", 3}};
    for (const auto& [position, text, index] : rows)
        EXPECT_EQ(AddGadgetItem(3, position, text), index);
    auto* pop_up = static_cast<NSPopUpButton*>(view(3));
    std::vector<std::string> titles;
    for (NSInteger index = 0; index < pop_up->numberOfItems(); ++index)
        titles.push_back(pop_up->itemTitleAtIndex(index)->utf8());
    EXPECT_EQ(titles, (std::vector<std::string>{"60%", "70%", "90%", "100%"}));
    EXPECT_EQ(GetGadgetState(3), 1); // the first item added stays selected
    SetGadgetState(3, 2);
    SetGadgetState(3, 4);
    EXPECT_EQ(std::tuple(GetGadgetState(3),
                         msg_send<NSString*>(functions(3), "GetGadgetText")->utf8(),
                         msg_send<int64_t>(functions(3), "CountGadgetItems")),
              std::tuple(2, "90%", 4));
    ASSERT_NE(CreateCheckboxGadget(4, 0, 30, 80, 20, u"c"), 0);
    EXPECT_EQ(std::tuple(AddGadgetItem(4, -1, u"x"), AddGadgetItem(99, -1, u"x")),
              std::tuple(-1, -1));
}

TEST_F(GadgetsTest, ButtonsAndChoicesQueueAnEventWhenUsedUnlessDisabled) {
    ASSERT_NE(CreateButtonGadget(2, 0, 0, 150, 24, u"Charge to 100% Once", GadgetFlagCentred), 0);
    ASSERT_NE(CreateChoiceGadget(3, 0, 30, 80, 20), 0);
    AddGadgetItem(3, -1, u"60%");
    AddGadgetItem(3, -1, u"70%");
    auto* button = static_cast<NSButton*>(view(2));
    auto* pop_up = static_cast<NSPopUpButton*>(view(3));
    EXPECT_EQ(std::tuple(button->buttonType(), button->title()->utf8(), button->alignment()),
              std::tuple(NSUInteger{NSButtonTypeMomentaryPushIn}, "Charge to 100% Once",
                         NSInteger{NSTextAlignmentCenter}));
    for (int32_t disabled : {1, 0}) {
        SCOPED_TRACE(disabled);
        DisableGadget(2, disabled);
        DisableGadget(3, disabled);
        button->performClick(nil);
        pop_up->choose_item(1);
        EXPECT_EQ(std::tuple(button->isEnabled(), pop_up->isEnabled(), queued_gadget_events(),
                             GetGadgetState(3)),
                  disabled ? std::tuple(NO, NO, std::vector<int64_t>{}, int64_t{0})
                           : std::tuple(YES, YES, std::vector<int64_t>{2, 3}, int64_t{1}));
    }
    DisableGadget(99, 1);
}

TEST_F(GadgetsTest, FreeingAGadgetDropsItsQueuedEventsAndItsBindings) {
    ASSERT_NE(CreateCheckboxGadget(5, 0, 0, 100, 20, u"Five"), 0);
    ASSERT_NE(CreateCheckboxGadget(6, 0, 30, 100, 20, u"Six"), 0);
    NSView* five = view(5);
    ASSERT_EQ(AddEventBinding(EventKindGadget, 1, 6, &gadget_callback, 3), 1);
    EXPECT_EQ(RemoveGadgetBinding(6, &gadget_callback, 4), 0);
    EXPECT_EQ(RemoveGadgetBinding(6, &gadget_callback, 3), 1);
    const int keys = binding_key_count();
    ASSERT_EQ(AddEventBinding(EventKindGadget, 1, 5, &gadget_callback, -1), 1);
    QueueEvent(EventKindGadget, 5, 1, 0);
    QueueEvent(EventKindGadget, 5, 7, 0);
    QueueEvent(EventKindGadget, 6, 1, 0);
    FreeGadget(5);
    EXPECT_EQ(std::tuple(gadget_record(5), queued_gadget_events(), binding_key_count(),
                         content_view()->subviews()->indexOfObject(five)),
              std::tuple(nullptr, std::vector<int64_t>{6}, keys, NSNotFound));
    FreeGadget(5);
}

TEST_F(GadgetsTest, GadgetsGoWithTheirWindowWhetherDisposedOrClosedByTheToolkit) {
    for (bool by_toolkit : {false, true}) {
        ASSERT_NE(NewWindow(2, 0, 0, 100, 100, u"Other", 4), 0);
        ASSERT_NE(CreateTextGadget(7, 0, 0, 100, 20, u"Seven"), 0);
        EXPECT_EQ(gadget_record(7)->window, 2);
        {
            AutoreleasePoolScope pool;
            if (by_toolkit) reinterpret_cast<NSWindow*>(WindowObject(2))->close();
            if (!by_toolkit) DisposeWindow(2);
        }
        EXPECT_EQ(gadget_record(7), nullptr) << by_toolkit;
    }
    EXPECT_EQ(KXGadgetList::currentList(nil), nullptr);
}

TEST_F(GadgetsTest, FrameStylesComeFromTheWholeFlagsValue) {
    const std::tuple<int32_t, const char16_t*, NSUInteger, NSUInteger> rows[] = {
        {0, u"Shown", NSAtTop, NSBoxPrimary},    {0, u"", NSNoTitle, NSBoxPrimary},
        {1, u"Hidden", NSNoTitle, NSBoxPrimary}, {3, u"Old", NSNoTitle, NSBoxOldStyle},
        {8 | 1, u"Kept", NSAtTop, NSBoxPrimary},
    };
    for (const auto& [flags, text, title_position, box_type] : rows) {
        ASSERT_NE(CreateFrameGadget(2, 0, 0, 100, 100, text, flags), 0);
        auto* box = static_cast<NSBox*>(view(2));
        EXPECT_EQ(std::tuple(box->titlePosition(), box->boxType()),
                  std::tuple(title_position, box_type))
            << "flags " << flags;
        LeaveGadgetList();
    }
}

TEST_F(GadgetsTest, PositionByModeCountsTheMainScreensTopAsTheOriginOnScreen) {
    for (auto [window_x, window_y, gadget_x, gadget_y] :
         {std::array{100, 100, 10, 20}, {0, 0, 0, 0}, {500, 300, 37, 5}}) {
        SCOPED_TRACE(testing::Message() << window_x << "," << window_y);
        ASSERT_NE(NewWindow(1, window_x, window_y, 320, 290, u"W", 4), 0);
        ASSERT_NE(CreateTextGadget(2, gadget_x, gadget_y, 80, 20, u"t"), 0);
        EXPECT_EQ(std::tuple(x(2, 0), y(2, 0), x(2, 2), y(2, 2), x(2, 1), y(2, 1)),
                  std::tuple(gadget_x, gadget_y, gadget_x, gadget_y, window_x + gadget_x,
                             window_y + k_title_bar + gadget_y));
    }
    // Inside a container frame mode 0 is relative to the frame's inner view, 2 to the window.
    ASSERT_NE(CreateFrameGadget(3, 40, 50, 200, 150, u"Box", FrameFlagContainer), 0);
    ASSERT_NE(CreateTextGadget(4, 5, 6, 80, 20, u"inner"), 0);
    LeaveGadgetList();
    const NSRect inner = static_cast<NSBox*>(view(3))->contentView()->frame();
    EXPECT_EQ(std::tuple(x(4, 0), y(4, 0), x(4, 2), y(4, 2)),
              std::tuple(5, 6, 40 + inner.origin.x + 5, 50 + inner.origin.y + 6));
    EXPECT_EQ(std::tuple(x(4, 1), y(4, 1)), std::tuple(500 + x(4, 2), 300 + k_title_bar + y(4, 2)));
}

TEST_F(GadgetsTest, ResizeKeepsEveryValueGivenAsMinus65535) {
    ASSERT_NE(CreateCheckboxGadget(2, 10, 20, 200, 25, u"c"), 0);
    const std::tuple<int32_t, int32_t, int32_t, int32_t, NSRect> rows[] = {
        {k_keep, k_keep, k_keep, k_keep, NSMakeRect(10, 20, 200, 25)},
        {50, k_keep, k_keep, 30, NSMakeRect(50, 20, 200, 30)},
        {k_keep, 0, 120, k_keep, NSMakeRect(50, 0, 120, 30)},
    };
    for (const auto& [x, y, width, height, expected] : rows) {
        msg_send<void>(functions(2), "ResizeGadget:y:width:height:", x, y, width, height);
        EXPECT_EQ(std::tuple(view(2)->frame(), msg_send<int32_t>(functions(2), "GadgetWidth"),
                             msg_send<int32_t>(functions(2), "GadgetHeight")),
                  std::tuple(expected, expected.size.width, expected.size.height));
    }
}

TEST_F(GadgetsTest, HideActivateTextAndFontAnswerByKind) {
    ASSERT_NE(CreateCheckboxGadget(2, 0, 0, 100, 20, u"box"), 0);
    ASSERT_NE(CreateTextGadget(3, 0, 30, 100, 20, u"label"), 0);
    ASSERT_NE(CreateFrameGadget(4, 0, 60, 100, 50, u"frame"), 0);
    ASSERT_NE(CreateButtonGadget(6, 0, 120, 100, 20, u"button"), 0);
    NSFont* font = NSFont::systemFontOfSize(native_class<NSFont>(), 17);
    for (int64_t number : {2, 3, 4, 6}) {
        SCOPED_TRACE(number);
        msg_send<void>(functions(number), "HideGadget:", int32_t{1});
        EXPECT_TRUE(view(number)->isHidden());
        msg_send<void>(functions(number), "HideGadget:", int32_t{0});
        EXPECT_FALSE(view(number)->isHidden());
        msg_send<void>(functions(number), "SetGadgetText:", NSString::make(u"new text").get());
        EXPECT_EQ(msg_send<NSString*>(functions(number), "GetGadgetText")->utf8(), "new text");
        msg_send<void>(functions(number), "SetGadgetFont:", font);
        EXPECT_EQ(msg_send<NSFont*>(functions(number), "GetGadgetFont"), font);
    }
    EXPECT_EQ(std::tuple(static_cast<NSButton*>(view(2))->title()->utf8(),
                         static_cast<NSButton*>(view(6))->title()->utf8(),
                         static_cast<NSBox*>(view(4))->title()->utf8(),
                         static_cast<NSBox*>(view(4))->titleFont()),
              std::tuple("new text", "new text", "new text", font));

    ASSERT_NE(NewWindow(5, 300, 300, 100, 100, u"Other", 4), 0);
    msg_send<void>(functions(2), "ActivateGadget");
    auto* window = reinterpret_cast<NSWindow*>(WindowObject(1));
    EXPECT_EQ(std::tuple(window->isKeyWindow(), window->firstResponder()),
              std::tuple(true, view(2)));
}

TEST_F(GadgetsTest, ReuseBindsANewBehaviourObjectToTheSameGadget) {
    ASSERT_NE(CreateCheckboxGadget(7, 0, 0, 100, 20, u"box"), 0);
    ObjcRef<KXGadgetFunctions> old = ObjcRef<KXGadgetFunctions>::retain(functions(7));
    auto fresh = make_native<KXGadgetFunctions>();
    msg_send<void>(fresh.get(), "reuse:type:", gadget_record(7), GadgetTypeText);
    EXPECT_EQ(std::tuple(functions(7), fresh->gadget_id(), old->gadget()),
              std::tuple(fresh.get(), 7, nullptr));
    EXPECT_EQ(static_cast<NSButton*>(view(7))->target(), fresh.get());
    SetGadgetState(7, 1); // the base behaviour reads a check box's state through the control
    EXPECT_EQ(GetGadgetState(7), 1);
}

TEST_F(GadgetsTest, ContainersNestDeeperThanTheFirstStackAndUnwindInOrder) {
    std::vector<NSView*> tops{content_view()};
    for (int64_t number = 10; number < 22; ++number) {
        ASSERT_NE(CreateFrameGadget(number, 1, 1, 500, 500, u"f", FrameFlagContainer), 0);
        NSView* inner = KXGadgetList::currentView(nil);
        ASSERT_EQ(inner->superview(), view(number));
        ASSERT_EQ(inner->frame(), NSMakeRect(0, 0, 500, 500));
        tops.push_back(inner);
    }
    EXPECT_EQ(KXGadgetList::currentList(nil)->stackIndex(), 12);
    for (std::size_t depth = tops.size() - 1; depth > 0; --depth) {
        LeaveGadgetList();
        EXPECT_EQ(KXGadgetList::currentView(nil), tops[depth - 1]) << depth;
    }
    // The inner view follows its frame's size.
    msg_send<void>(functions(21), "ResizeGadget:y:width:height:", k_keep, k_keep, int32_t{250},
                   int32_t{120});
    EXPECT_EQ(tops.back()->frame(), NSMakeRect(0, 0, 250, 120));
}

// The gadget events until the script ends, as "gadget (state)".
std::vector<std::string> gadget_events_until_the_end(const ExitRecorder& exits) {
    std::vector<std::string> events;
    while (exits.statuses.empty()) {
        if (WaitEvent() != EventKindGadget) continue;
        const int64_t gadget = CurrentEventGadget();
        events.push_back(std::to_string(gadget) + " (" + std::to_string(GetGadgetState(gadget)) +
                         ")");
    }
    return events;
}

// End to end over the driver display: its commands reach the gadgets as clicks and choices, and
// the program receives gadget events; a disabled button, an item past the end and a choice on a
// button are refused.
TEST(GadgetsOverTheDriver, ChoosingAndPressingReachTheProgramAndDisabledOnesRefuse) {
    DriverSession session("choose 3 2\nclick 2\nclick 4\nchoose 3 7\nchoose 2 0\nclick 3\n"
                          "choose 3 0\n");
    ASSERT_EQ(InitApplication(), 1);
    ASSERT_EQ(InitEvents(), 1);
    ASSERT_EQ(InitWindows(), 1);
    ASSERT_EQ(InitGadgets(), 1);
    ASSERT_NE(NewWindow(1, 0, 0, 320, 100, u"Limits", 4), 0);
    ASSERT_NE(CreateButtonGadget(2, 10, 10, 150, 24, u"Charge to 100% Once"), 0);
    ASSERT_NE(CreateChoiceGadget(3, 10, 40, 80, 24), 0);
    for (const char16_t* item : {u"60%", u"70%", u"80%", u"90%"})
        AddGadgetItem(3, -1, item);
    ASSERT_NE(CreateButtonGadget(4, 10, 70, 150, 24, u"Stop"), 0);
    DisableGadget(4, 1);

    EXPECT_EQ(gadget_events_until_the_end(session.exits),
              (std::vector<std::string>{"3 (2)", "2 (0)", "3 (0)"}));
    FreeGadget(AutoNumber);
    DisposeWindow(AutoNumber);
}

} // namespace
} // namespace rt
