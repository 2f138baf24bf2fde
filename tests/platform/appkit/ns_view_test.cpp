#include "platform/appkit/ns_view.h"

#include "platform/foundation/ns_array.h"
#include "platform/objc/class_registry.h"
#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"
#include "tests/support/rect_text.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Views made from the classes below record here when they draw.
std::vector<id> g_drawn;

void record_draw(id self, SEL, NSRect) {
    g_drawn.push_back(self);
}

BOOL answer_yes(id, SEL) {
    return YES;
}

constexpr const char* k_rect_method = "v@:{CGRect={CGPoint=dd}{CGSize=dd}}";

// A subclass of NSView made at run time, as the runtime's own views are.
Class drawing_view_class() {
    static Class cls = [] {
        Class made = objc_allocateClassPair(objc_getClass("NSView"), "TestDrawingView", 0);
        class_addMethod(made, sel_registerName("drawRect:"), reinterpret_cast<IMP>(&record_draw),
                        k_rect_method);
        objc_registerClassPair(made);
        return made;
    }();
    return cls;
}

Class flipped_view_class() {
    static Class cls = [] {
        Class made = objc_allocateClassPair(objc_getClass("NSView"), "TestFlippedView", 0);
        class_addMethod(made, sel_registerName("isFlipped"), reinterpret_cast<IMP>(&answer_yes),
                        "c@:");
        objc_registerClassPair(made);
        return made;
    }();
    return cls;
}

ObjcRef<NSView> make_view(NSRect frame = {}, Class cls = nil) {
    id object = NSObject::alloc(cls ? cls : objc_getClass("NSView"));
    return ObjcRef<NSView>::adopt(msg_send<NSView*>(object, "initWithFrame:", frame));
}

struct SubviewStep {
    char view;
    NSInteger place; // 0: addSubview:
    char other;      // 0: nil
};

struct SubviewOrderCase {
    const char* name;
    std::vector<SubviewStep> steps;
    std::string order; // back to front
};

} // namespace

TEST(NSView, KeepsSubviewsInTheOrderTheyWerePlaced) {
    const SubviewOrderCase cases[] = {
        {"each addSubview goes on top", {{'a', 0, 0}, {'b', 0, 0}, {'c', 0, 0}}, "abc"},
        {"below nil goes to the back", {{'a', 0, 0}, {'b', 0, 0}, {'c', -1, 0}}, "cab"},
        {"above a sibling goes just over it", {{'a', 0, 0}, {'b', 0, 0}, {'c', 1, 'a'}}, "acb"},
        {"below a sibling goes just under it", {{'a', 0, 0}, {'b', 0, 0}, {'c', -1, 'b'}}, "acb"},
        {"adding again moves the view", {{'a', 0, 0}, {'b', 0, 0}, {'a', 0, 0}}, "ba"},
        {"a view placed by itself goes on top", {{'a', 0, 0}, {'b', 0, 0}, {'a', 1, 'a'}}, "ba"},
        {"a foreign sibling stands for all", {{'a', 0, 0}, {'b', -1, 'z'}}, "ba"},
        {"an unknown place adds nothing", {{'a', 0, 0}, {'b', 7, 0}}, "a"},
    };
    for (const SubviewOrderCase& test : cases) {
        AutoreleasePoolScope pool;
        ObjcRef<NSView> parent = make_view();
        std::map<char, ObjcRef<NSView>> views;
        for (char name : std::string("abcz"))
            views[name] = make_view();
        for (const SubviewStep& step : test.steps) {
            NSView* other = step.other ? views[step.other].get() : nil;
            if (step.place == 0) {
                msg_send<void>(parent.get(), "addSubview:", views[step.view].get());
            } else {
                msg_send<void>(parent.get(),
                               "addSubview:positioned:relativeTo:", views[step.view].get(),
                               step.place, other);
            }
        }
        std::string order;
        for (const ObjcRef<>& view : *parent->subviews()) {
            for (const auto& [name, candidate] : views) {
                if (candidate.get() == view.get()) order += name;
            }
        }
        EXPECT_EQ(order, test.order) << test.name;
    }
}

// A view has one superview at a time, never one of its own descendants, and is held only by it.
TEST(NSView, MovesBetweenSuperviewsAndLetsGoOfThem) {
    AutoreleasePoolScope pool;
    ObjcRef<NSView> first = make_view();
    ObjcRef<NSView> second = make_view();
    ObjcRef<NSView> child = make_view();
    first->addSubview(child.get());
    second->addSubview(child.get());
    EXPECT_EQ(child->retainCount(), 2u) << "held by the test and by one superview";
    EXPECT_EQ(first->subviews()->count(), 0u);
    EXPECT_EQ(child->superview(), second.get());
    EXPECT_EQ(child->nextResponder(), second.get());

    child->addSubview(second.get());
    second->addSubview(second.get());
    EXPECT_EQ(second->superview(), nil) << "no cycle";
    EXPECT_EQ(child->subviews()->count(), 0u);

    msg_send<void>(child.get(), "removeFromSuperview");
    EXPECT_EQ(child->superview(), nil);
    EXPECT_EQ(child->nextResponder(), nil);
    EXPECT_EQ(child->retainCount(), 1u);
    EXPECT_EQ(second->subviews()->count(), 0u);

    first->addSubview(child.get());
    first.reset();
    EXPECT_EQ(child->superview(), nil) << "a superview going away lets go";
    EXPECT_EQ(child->retainCount(), 1u);
}

TEST(NSView, NeedsDisplayAfterANewSizeButNotAfterAMove) {
    struct Case {
        NSRect frame;
        BOOL needs_display;
    };
    const Case cases[] = {
        {NSMakeRect(0, 0, 10, 10), NO},
        {NSMakeRect(5, 7, 10, 10), NO},
        {NSMakeRect(0, 0, 11, 10), YES},
        {NSMakeRect(0, 0, 10, 12), YES},
    };
    for (const Case& test : cases) {
        ObjcRef<NSView> view = make_view(NSMakeRect(0, 0, 10, 10));
        view->setNeedsDisplay(NO);
        msg_send<void>(view.get(), "setFrame:", test.frame);
        EXPECT_EQ(view->needsDisplay(), test.needs_display) << rect_text(test.frame);
    }
}

TEST(NSView, DisplayDrawsVisibleViewsThatNeedItByMessage) {
    Class drawing = drawing_view_class();
    ObjcRef<NSView> root = make_view(NSMakeRect(0, 0, 100, 100), drawing);
    ObjcRef<NSView> shown = make_view(NSMakeRect(0, 0, 10, 10), drawing);
    ObjcRef<NSView> hidden = make_view(NSMakeRect(0, 0, 10, 10), drawing);
    ObjcRef<NSView> under_hidden = make_view(NSMakeRect(0, 0, 5, 5), drawing);
    root->addSubview(shown.get());
    root->addSubview(hidden.get());
    hidden->addSubview(under_hidden.get());
    hidden->setHidden(YES);

    g_drawn.clear();
    root->display_if_needed();
    EXPECT_EQ(g_drawn, (std::vector<id>{root.get(), shown.get()})) << "new views need display";
    EXPECT_EQ(root->needsDisplay(), NO);
    EXPECT_EQ(hidden->needsDisplay(), YES) << "a hidden view keeps its request";

    g_drawn.clear();
    root->display_if_needed();
    EXPECT_TRUE(g_drawn.empty());

    shown->setNeedsDisplay(YES);
    root->display_if_needed();
    EXPECT_EQ(g_drawn, (std::vector<id>{shown.get()}));

    g_drawn.clear();
    hidden->setHidden(NO);
    root->setNeedsDisplay(YES);
    root->display_if_needed();
    EXPECT_EQ(g_drawn, (std::vector<id>{root.get(), shown.get(), hidden.get(), under_hidden.get()}))
        << "a view that draws redraws the subviews it covers";
}

// The content is 400 × 300; the parent stands at (10, 20, 200, 100) in it and the child at
// (5, 10, 50, 20) in the parent.
TEST(NSView, GivesItsFrameInTopLeftContentCoordinates) {
    struct Case {
        bool root_flipped;
        bool parent_flipped;
        NSRect expected;
    };
    const Case cases[] = {
        {false, false, NSMakeRect(15, 250, 50, 20)},
        {false, true, NSMakeRect(15, 190, 50, 20)},
        {true, false, NSMakeRect(15, 90, 50, 20)},
        {true, true, NSMakeRect(15, 30, 50, 20)},
    };
    for (const Case& test : cases) {
        ObjcRef<NSView> root =
            make_view(NSMakeRect(0, 0, 400, 300), test.root_flipped ? flipped_view_class() : nil);
        ObjcRef<NSView> parent = make_view(NSMakeRect(10, 20, 200, 100),
                                           test.parent_flipped ? flipped_view_class() : nil);
        ObjcRef<NSView> child = make_view(NSMakeRect(5, 10, 50, 20));
        root->addSubview(parent.get());
        parent->addSubview(child.get());
        const NSRect found = child->frame_in_content_top_left();
        EXPECT_EQ(found, test.expected)
            << "root flipped " << test.root_flipped << ", parent flipped " << test.parent_flipped
            << ": got " << rect_text(found) << ", expected " << rect_text(test.expected);
        EXPECT_EQ(root->frame_in_content_top_left(), NSMakeRect(0, 0, 400, 300));
    }
}
