#include "runtime/ui/native/kx_drag_drop.h"

#include "platform/foundation/ns_array.h"
#include "runtime/ui/event_kinds.h"
#include "runtime/ui/event_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace rt;

// A pasteboard holding strings under named types, and a drag of it.
class FakePasteboard : public NSObject {
  public:
    NSArray* types() const {
        std::vector<id> names;
        for (const ObjcRef<NSString>& type : m_types)
            names.push_back(type.get());
        return NSArray::make(names).autorelease();
    }
    NSString* availableTypeFromArray(NSArray* wanted) const {
        for (NSUInteger index = 0; index < wanted->count(); ++index) {
            auto* type = static_cast<NSString*>(wanted->objectAtIndex(index));
            for (const ObjcRef<NSString>& held : m_types)
                if (units_of(held.get()) == units_of(type)) return held.get();
        }
        return nil;
    }
    NSString* stringForType(NSString* type) const {
        for (std::size_t index = 0; index < m_types.size(); ++index)
            if (units_of(m_types[index].get()) == units_of(type)) return m_values[index].get();
        return nil;
    }
    void hold(std::u16string type, std::u16string value) {
        m_types.push_back(NSString::make(type));
        m_values.push_back(NSString::make(value));
    }

  private:
    std::vector<ObjcRef<NSString>> m_types;
    std::vector<ObjcRef<NSString>> m_values;
};

class FakeDrag : public NSObject {
  public:
    NSUInteger draggingSourceOperationMask() const { return mask; }
    id draggingPasteboard() const { return pasteboard.get(); }
    NSPoint draggingLocation() const { return {0, 0}; }

    NSUInteger mask = 0;
    ObjcRef<FakePasteboard> pasteboard;
};

ObjcRef<FakeDrag> make_drag(NSUInteger mask) {
    static bool registered = [] {
        register_native_class<FakePasteboard>(
            "DragDropTestPasteboard", "NSObject",
            {instance_method<&FakePasteboard::types>("types"),
             instance_method<&FakePasteboard::availableTypeFromArray>("availableTypeFromArray:"),
             instance_method<&FakePasteboard::stringForType>("stringForType:")});
        register_native_class<FakeDrag>(
            "DragDropTestDrag", "NSObject",
            {instance_method<&FakeDrag::draggingSourceOperationMask>("draggingSourceOperationMask"),
             instance_method<&FakeDrag::draggingPasteboard>("draggingPasteboard"),
             instance_method<&FakeDrag::draggingLocation>("draggingLocation")});
        register_kx_drag_drop_class();
        return true;
    }();
    (void)registered;
    ObjcRef<FakeDrag> drag = make_native<FakeDrag>();
    drag->mask = mask;
    drag->pasteboard = make_native<FakePasteboard>();
    return drag;
}

TEST(KXDragDrop, AcceptsTheFirstOperationTheSourceAllows) {
    struct Case {
        NSUInteger mask;
        NSUInteger operation;
    };
    const Case cases[] = {
        {NSDragOperationMove | NSDragOperationCopy | NSDragOperationGeneric,
         NSDragOperationGeneric},
        {NSDragOperationMove | NSDragOperationCopy, NSDragOperationCopy},
        {NSDragOperationMove | NSDragOperationLink, NSDragOperationMove},
        {NSDragOperationLink, NSDragOperationLink},
        {0, NSDragOperationNone},
    };
    for (const Case& c : cases) {
        ObjcRef<FakeDrag> drag = make_drag(c.mask);
        EXPECT_EQ(KXDragDrop::draggingEntered(nil, nullptr, drag.get()), c.operation)
            << "mask " << c.mask;
    }
}

TEST(KXDragDrop, ADroppedStringBecomesAGadgetDropEventWithItsRecord) {
    ASSERT_EQ(InitEvents(), 1);
    ObjcRef<FakeDrag> drag = make_drag(NSDragOperationMove | NSDragOperationCopy);
    drag->pasteboard->hold(u"kx.private.row", u"17");
    drag->pasteboard->hold(u"NSStringPboardType", u"dropped");
    ASSERT_TRUE(KXDragDrop::performDragOperation(nil, nullptr, drag.get(), 5, -1));
    ASSERT_EQ(TakeEvent(), EventKindGadgetDrop);
    EXPECT_EQ(current_event().object, 5);
    const auto* record = static_cast<const DropRecord*>(current_event().data);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->type, DropTypeText);
    EXPECT_EQ(record->action, static_cast<int32_t>(NSDragOperationMove));
    EXPECT_EQ(units_of(record->text), u"dropped");
    InitEvents();
}

TEST(KXDragDrop, APrivateTypeGivesItsIntegerValueAndNoDataGivesNoDrop) {
    ASSERT_EQ(InitEvents(), 1);
    ObjcRef<FakeDrag> drag = make_drag(NSDragOperationCopy);
    drag->pasteboard->hold(u"kx.private.row", u"17");
    ASSERT_TRUE(KXDragDrop::performDragOperation(nil, nullptr, drag.get(), -1, 3));
    ASSERT_EQ(TakeEvent(), EventKindWindowDrop);
    EXPECT_EQ(current_event().window, 3);
    const auto* record = static_cast<const DropRecord*>(current_event().data);
    EXPECT_EQ(record->type, DropTypePrivate);
    EXPECT_EQ(record->private_value, 17);
    EXPECT_EQ(record->action, static_cast<int32_t>(NSDragOperationCopy));

    ObjcRef<FakeDrag> empty = make_drag(NSDragOperationCopy);
    empty->pasteboard->hold(u"public.other", u"x");
    EXPECT_FALSE(KXDragDrop::performDragOperation(nil, nullptr, empty.get(), 5, -1));
    InitEvents();
}

} // namespace
