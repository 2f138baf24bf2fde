#include "platform/appkit/ns_view.h"

#include "platform/foundation/ns_array.h"
#include "platform/objc/class_registry.h"
#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

std::vector<id> g_drawn;

void record_draw(id self, SEL, NSRect) {
    g_drawn.push_back(self);
}

// A subclass of NSView made at run time, as the runtime's own views are.
Class drawing_view_class() {
    static Class cls = [] {
        Class made = objc_allocateClassPair(objc_getClass("NSView"), "TestDrawingView", 0);
        class_addMethod(made, sel_registerName("drawRect:"), reinterpret_cast<IMP>(&record_draw),
                        "v@:{CGRect={CGPoint=dd}{CGSize=dd}}");
        objc_registerClassPair(made);
        return made;
    }();
    return cls;
}

ObjcRef<NSView> make_view(NSRect frame = {}, Class cls = nil) {
    id object = NSObject::alloc(cls ? cls : objc_getClass("NSView"));
    return ObjcRef<NSView>::adopt(msg_send<NSView*>(object, "initWithFrame:", frame));
}

} // namespace

// Each step is a view (p: the parent itself) and where it goes: + on top (addSubview:), - at the
// back, 7 nowhere.
TEST(NSView, KeepsSubviewsInTheOrderTheyWerePlaced) {
    const struct {
        std::string steps, order; // order: back to front
    } cases[] = {
        {"a+b+c+", "abc"}, {"a+b+c-", "cab"}, {"a+b+a+", "ba"}, {"a+b7", "a"}, {"a+p+", "a"}};
    for (const auto& test : cases) {
        AutoreleasePoolScope pool;
        std::map<char, ObjcRef<NSView>> views;
        for (char name : std::string("abcp"))
            views[name] = make_view();
        NSView* parent = views['p'].get();
        for (std::size_t i = 0; i + 1 < test.steps.size(); i += 2) {
            NSView* view = views[test.steps[i]].get();
            const char place = test.steps[i + 1];
            if (place == '+') msg_send<void>(parent, "addSubview:", view);
            if (place != '+')
                parent->add_subview(view, place == '-' ? NSInteger{NSWindowBelow} : 7);
        }
        std::string order;
        for (const ObjcRef<>& view : *parent->subviews())
            for (const auto& [name, candidate] : views)
                if (candidate.get() == view.get()) order += name;
        EXPECT_EQ(order, test.order) << test.steps;
    }
}

TEST(NSView, DisplayDrawsVisibleViewsThatNeedItByMessage) {
    Class drawing = drawing_view_class();
    ObjcRef<NSView> root = make_view(NSMakeRect(0, 0, 100, 100), drawing);
    ObjcRef<NSView> shown = make_view(NSMakeRect(0, 0, 10, 10), drawing);
    ObjcRef<NSView> hidden = make_view(NSMakeRect(0, 0, 10, 10), drawing);
    root->addSubview(shown.get());
    root->addSubview(hidden.get());
    hidden->setHidden(YES);

    g_drawn.clear();
    root->display_if_needed();
    EXPECT_EQ(g_drawn, (std::vector<id>{root.get(), shown.get()})) << "new views need display";
    EXPECT_EQ(hidden->needsDisplay(), YES) << "a hidden view keeps its request";

    g_drawn.clear();
    msg_send<void>(shown.get(), "setFrame:", NSMakeRect(5, 7, 10, 10));
    root->display_if_needed();
    EXPECT_TRUE(g_drawn.empty()) << "a move needs no display";
    msg_send<void>(shown.get(), "setFrame:", NSMakeRect(5, 7, 10, 11));
    root->display_if_needed();
    EXPECT_EQ(g_drawn, (std::vector<id>{shown.get()})) << "a new size does";

    g_drawn.clear();
    hidden->setHidden(NO);
    root->setNeedsDisplay(YES);
    root->display_if_needed();
    EXPECT_EQ(g_drawn, (std::vector<id>{root.get(), shown.get(), hidden.get()}))
        << "a view that draws redraws the subviews it covers";
}
