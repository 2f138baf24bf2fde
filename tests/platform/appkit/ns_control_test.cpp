#include "platform/appkit/ns_control.h"

#include "platform/appkit/ns_font.h"
#include "platform/objc/message_send.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(NSControl, ReadsItsStringValueAsADecimalPrefix) {
    struct Case {
        std::u16string text;
        int value;
    };
    const Case cases[] = {{u"  -17 apples", -17},
                          {u"+8", 8},
                          {u"abc", 0},
                          {u"99999999999", 2147483647},
                          {u"-99999999999", -2147483647 - 1}};
    for (const Case& c : cases) {
        ObjcRef<NSControl> control = make_native<NSControl>();
        control->setStringValue(NSString::make(c.text).get());
        EXPECT_EQ(msg_send<int>(control.get(), "intValue"), c.value)
            << std::string(c.text.begin(), c.text.end());
        control->setIntValue(-305);
        EXPECT_EQ(control->stringValue()->utf8(), "-305");
    }
}

} // namespace
