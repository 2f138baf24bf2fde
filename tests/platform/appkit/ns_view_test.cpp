#include "platform/appkit/ns_view.h"

#include "platform/foundation/ns_array.h"
#include "platform/objc/class_registry.h"
#include "platform/objc/message_send.h"
#include "platform/objc/objc.h"

#include <gtest/gtest.h>

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
