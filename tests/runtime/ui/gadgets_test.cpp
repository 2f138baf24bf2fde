#include "runtime/ui/gadget_records.h"

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_box.h"
#include "platform/appkit/ns_button.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/appkit/ns_window.h"
#include "platform/display/display_slot.h"
#include "platform/display/driver/driver_display.h"
#include "platform/foundation/ns_array.h"
#include "platform/objc/autorelease_pool.h"
#include "platform/objc/message_send.h"
#include "runtime/ui/application.h"
#include "runtime/ui/event_kinds.h"
#include "runtime/ui/event_queue.h"
#include "runtime/ui/native/kx_frame_gadget_functions.h"
#include "runtime/ui/native/kx_gadget_list.h"
#include "runtime/ui/wait_event.h"
#include "runtime/ui/window_records.h"

#include "tests/runtime/ui/runtime_window_test.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace rt;

int g_callback_calls = 0;
void count_call() {
    ++g_callback_calls;
}

// Gadgets in runtime windows over a driver display that reads `m_script`.
class GadgetsTest : public RuntimeWindowTest {
  protected:
    void SetUp() override {
        RuntimeWindowTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(InitGadgets(), 1);
        ASSERT_NE(NewWindow(1, 100, 100, 320, 290, u"Preferences", 4), 0);
        RemoveQueuedEvents(-1, -1, -1, -1);
    }
    void TearDown() override {
        FreeGadget(AutoNumber);
        RuntimeWindowTest::TearDown();
    }

    static NSView* view_of(int64_t number) {
        GadgetRecord* record = gadget_record(number);
        return record ? record->view : nullptr;
    }
    static NSView* content_view() {
        return reinterpret_cast<NSWindow*>(WindowObject(1))->contentView();
    }
    static std::vector<int64_t> queued_gadget_events() {
        std::vector<int64_t> objects;
        for (const EventRecord* event = queue_head(); event; event = event->next)
            if (event->kind == EventKindGadget) objects.push_back(event->object);
        return objects;
    }
    int32_t wait_for_gadget_event() {
        for (int pass = 0; pass < 100 && !m_exited; ++pass) {
            const int32_t kind = WaitEvent();
            if (kind == EventKindGadget) return kind;
        }
        return -1;
    }
};

TEST_F(GadgetsTest, CheckBoxesAreNumberedByTheirRecordOrTheirFixedNumber) {
    const int64_t first = CreateCheckboxGadget(AutoNumber, 10, 10, 200, 20, u"One");
    const int64_t second = CreateCheckboxGadget(AutoNumber, 10, 40, 200, 20, u"Two");
    ASSERT_NE(first, second);
    EXPECT_EQ(reinterpret_cast<intptr_t>(gadget_record(first)), first);
    EXPECT_EQ(msg_send<NSInteger>(view_of(first), "tag"), first);
    SetGadgetState(first, 1);
    EXPECT_EQ(GetGadgetState(first), 1);
    EXPECT_EQ(GetGadgetState(second), 0);

    const int64_t view = CreateCheckboxGadget(4, 30, 40, 400, 20, u"Show Battery Charge Cycles");
    ASSERT_EQ(reinterpret_cast<NSView*>(view), view_of(4));
    EXPECT_EQ(reinterpret_cast<NSButton*>(view)->buttonType(), NSButtonTypeSwitch);
    EXPECT_EQ(reinterpret_cast<NSButton*>(view)->superview(), content_view());
}

TEST_F(GadgetsTest, StatesOfCheckBoxesAndLabels) {
    struct Case {
        const char* what;
        int64_t (*create)(int64_t, int32_t, int32_t, int32_t, int32_t, TextArg, int32_t);
        int32_t flags;
        int64_t set;
        int64_t state;
    };
    const Case cases[] = {
        {"check box on", &CreateCheckboxGadget, 0, 1, 1},
        {"check box off", &CreateCheckboxGadget, 0, 0, 0},
        {"check box mixed", &CreateCheckboxGadget, 0, -1, 1},
        {"three-state mixed", &CreateCheckboxGadget, 4, -1, -1},
        {"label", &CreateTextGadget, 0, 1, 0},
        {"frame", &CreateFrameGadget, 0, 1, 0},
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.create(2, 0, 0, 100, 20, u"x", c.flags), 0) << c.what;
        SetGadgetState(2, c.set);
        EXPECT_EQ(GetGadgetState(2), c.state) << c.what;
    }
    ASSERT_NE(CreateCheckboxGadget(3, 0, 0, 100, 20, u"Box"), 0);
    SetGadgetState(3, 1);
    EXPECT_EQ(static_cast<NSButton*>(view_of(3))->state(), NSControlStateValueOn);
    EXPECT_EQ(GetGadgetState(99), 0);
    SetGadgetState(99, 1);
}

TEST_F(GadgetsTest, AClickOnAThreeStateBoxNeverLeavesItMixed) {
    struct Case {
        int64_t before;
        int64_t after;
    };
    const Case cases[] = {{-1, 1}, {0, 1}, {1, 0}};
    ASSERT_NE(CreateCheckboxGadget(4, 0, 0, 100, 20, u"Three", 4), 0);
    for (const Case& c : cases) {
        SetGadgetState(4, c.before);
        RemoveQueuedEvents(-1, -1, -1, -1);
        msg_send<void>(view_of(4), "performClick:", id{nil});
        EXPECT_EQ(GetGadgetState(4), c.after) << "from " << c.before;
        EXPECT_EQ(queued_gadget_events(), std::vector<int64_t>{4}) << "from " << c.before;
    }
}

TEST_F(GadgetsTest, TheDisplaysClickOnAMixedBoxTurnsItOnAndPostsOneEvent) {
    m_script.str("click 4\n");
    ASSERT_NE(CreateCheckboxGadget(4, 0, 0, 100, 20, u"Three", 4), 0);
    SetGadgetState(4, -1);
    ASSERT_EQ(wait_for_gadget_event(), EventKindGadget);
    EXPECT_EQ(CurrentEventGadget(), 4);
    EXPECT_EQ(current_event().window, 1);
    EXPECT_EQ(GetGadgetState(4), 1);
    EXPECT_TRUE(queued_gadget_events().empty());
}

// Nesting and unwinding are in gadget_operations_test; here the inner view's place and size.
TEST_F(GadgetsTest, AContainerFramesInnerViewFillsItAndFollowsItsSize) {
    ASSERT_NE(CreateFrameGadget(2, 10, 10, 300, 200, u"Group", 8), 0);
    NSView* inner = KXGadgetList::currentView(nil);
    EXPECT_EQ(inner->superview(), view_of(2));
    EXPECT_EQ(inner->frame(), NSMakeRect(0, 0, 300, 200));
    ASSERT_NE(CreateCheckboxGadget(3, 5, 5, 100, 20, u"Inside"), 0);
    EXPECT_EQ(view_of(3)->superview(), inner);
    LeaveGadgetList();
    msg_send<void>(gadget_record(2)->functions, "ResizeGadget:y:width:height:", int32_t{-65535},
                   int32_t{-65535}, int32_t{250}, int32_t{120});
    EXPECT_EQ(inner->frame(), NSMakeRect(0, 0, 250, 120));
}

TEST_F(GadgetsTest, FreeingAGadgetDropsItsQueuedEventsInEveryWindowAndItsBindings) {
    ASSERT_NE(CreateCheckboxGadget(5, 0, 0, 100, 20, u"Five"), 0);
    ASSERT_NE(CreateCheckboxGadget(6, 0, 30, 100, 20, u"Six"), 0);
    NSView* five = view_of(5);
    ASSERT_EQ(AddEventBinding(EventKindGadget, 1, 6, &count_call, 3), 1);
    EXPECT_EQ(RemoveGadgetBinding(6, &count_call, 4), 0);
    EXPECT_EQ(RemoveGadgetBinding(6, &count_call, 3), 1);
    ASSERT_EQ(AddEventBinding(EventKindGadget, 1, 5, &count_call, -1), 1);
    ASSERT_EQ(AddEventBinding(EventKindGadget, 1, 5, &count_call, 2), 1);
    QueueEvent(EventKindGadget, 5, 1, 0);
    QueueEvent(EventKindGadget, 5, 7, 0);
    QueueEvent(EventKindGadget, 6, 1, 0);

    FreeGadget(5);
    EXPECT_EQ(gadget_record(5), nullptr);
    EXPECT_EQ(queued_gadget_events(), std::vector<int64_t>{6});
    EXPECT_EQ(RemoveEventBinding(EventKindGadget, 1, 5, &count_call, -1), 0);
    EXPECT_EQ(RemoveGadgetBinding(5, &count_call), 0);
    NSArray* subviews = content_view()->subviews();
    for (NSUInteger index = 0; index < subviews->count(); ++index)
        EXPECT_NE(subviews->objectAtIndex(index), five);
    FreeGadget(5);
}

TEST_F(GadgetsTest, GadgetsGoWithTheirWindow) {
    ASSERT_NE(NewWindow(2, 0, 0, 100, 100, u"Other", 4), 0);
    ASSERT_NE(CreateCheckboxGadget(7, 0, 0, 100, 20, u"Seven"), 0);
    EXPECT_EQ(gadget_record(7)->window, 2);
    {
        AutoreleasePoolScope pool;
        DisposeWindow(2);
    }
    EXPECT_EQ(gadget_record(7), nullptr);

    // A window closed by the toolkit takes its gadgets along when its views go.
    ASSERT_NE(NewWindow(3, 0, 0, 100, 100, u"Third", 4), 0);
    ASSERT_NE(CreateTextGadget(8, 0, 0, 100, 20, u"Eight"), 0);
    {
        AutoreleasePoolScope pool;
        reinterpret_cast<NSWindow*>(WindowObject(3))->close();
    }
    EXPECT_EQ(gadget_record(8), nullptr);
    EXPECT_EQ(KXGadgetList::currentList(nil), nullptr);
}

TEST_F(GadgetsTest, LabelsAreGreyedInsteadOfDisabledAndKeepTheProgramsColour) {
    ASSERT_NE(CreateTextGadget(1, 0, 0, 100, 20, u"Label", 4), 0);
    auto* field = static_cast<NSTextField*>(view_of(1));
    EXPECT_FALSE(field->isSelectable());
    EXPECT_FALSE(field->isEditable());
    EXPECT_FALSE(field->isBezeled());
    EXPECT_TRUE(field->isBordered());
    NSColor* const default_text = field->textColor();
    id functions = gadget_record(1)->functions;
    NSColor* red = NSColor::colorWithSRGBRedGreenBlueAlpha(nil, 1, 0, 0, 1);

    msg_send<void>(functions, "SetGadgetColor:color:", int32_t{1}, red);
    msg_send<void>(functions, "DisableGadget:", int32_t{1});
    EXPECT_TRUE(field->isEnabled());
    EXPECT_TRUE(field->textColor()->isEqual(NSColor::secondarySelectedControlColor(nil)));
    msg_send<void>(functions, "DisableGadget:", int32_t{0});
    EXPECT_TRUE(field->textColor()->isEqual(red));
    msg_send<void>(functions, "SetGadgetColor:color:", int32_t{1}, static_cast<NSColor*>(nil));
    EXPECT_EQ(field->textColor(), default_text);
    EXPECT_EQ(msg_send<NSColor*>(functions, "GetGadgetColor:", int32_t{2}),
              field->backgroundColor());
}

TEST_F(GadgetsTest, FrameStylesComeFromTheWholeFlagsValue) {
    struct Case {
        int32_t flags;
        const char16_t* text;
        NSUInteger title_position;
        NSUInteger box_type;
    };
    const Case cases[] = {
        {0, u"Shown", NSAtTop, NSBoxPrimary},    {0, u"", NSNoTitle, NSBoxPrimary},
        {1, u"Hidden", NSNoTitle, NSBoxPrimary}, {3, u"Old", NSNoTitle, NSBoxOldStyle},
        {8 | 1, u"Kept", NSAtTop, NSBoxPrimary},
    };
    for (const Case& c : cases) {
        ASSERT_NE(CreateFrameGadget(2, 0, 0, 100, 100, c.text, c.flags), 0);
        auto* box = static_cast<NSBox*>(view_of(2));
        EXPECT_EQ(box->titlePosition(), c.title_position) << "flags " << c.flags;
        EXPECT_EQ(box->boxType(), c.box_type) << "flags " << c.flags;
        LeaveGadgetList();
    }
}

} // namespace
