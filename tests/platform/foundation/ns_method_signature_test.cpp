#include "platform/foundation/ns_method_signature.h"

#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

namespace {

NSMethodSignature* signature_for(const char* types) {
    return static_cast<NSMethodSignature*>(
        msg_send<id>(objc_getClass("NSMethodSignature"), "signatureWithObjCTypes:", types));
}

} // namespace

TEST(NSMethodSignature, DescribesArgumentsAndResultLength) {
    AutoreleasePoolScope pool;
    struct Case {
        const char* types;
        NSUInteger arguments, return_length;
        const char *return_type, *last_argument;
    };
    const Case cases[] = {
        {"v@:@", 3, 0, "v", "@"},
        {"c24@0:8q16", 3, 1, "c", "q"},
        {"{NSOperatingSystemVersion=qqq}16@0:8", 2, 24, "{NSOperatingSystemVersion=qqq}", ":"},
        {"{CGRect={CGPoint=dd}{CGSize=dd}}@:{CGSize=dd}", 3, 32, "{CGRect={CGPoint=dd}{CGSize=dd}}",
         "{CGSize=dd}"},
    };
    for (const Case& c : cases) {
        NSMethodSignature* signature = signature_for(c.types);
        ASSERT_TRUE(signature) << c.types;
        EXPECT_EQ(msg_send<NSUInteger>(signature, "numberOfArguments"), c.arguments) << c.types;
        EXPECT_EQ(msg_send<NSUInteger>(signature, "methodReturnLength"), c.return_length);
        EXPECT_STREQ(msg_send<const char*>(signature, "methodReturnType"), c.return_type);
        EXPECT_STREQ(signature->getArgumentTypeAtIndex(c.arguments - 1), c.last_argument);
        EXPECT_EQ(signature->getArgumentTypeAtIndex(c.arguments), nullptr);
    }
    EXPECT_TRUE(msg_send<BOOL>(signature_for("q24@0:8q16"), "isEqual:", signature_for("q@:q")));
    EXPECT_FALSE(msg_send<BOOL>(signature_for("q@:q"), "isEqual:", signature_for("Q@:q")));
}

TEST(NSMethodSignature, MalformedTypesGiveNil) {
    AutoreleasePoolScope pool;
    for (const char* types : {"", "v", "v@:{Opaque}", "v@:[3i]", "q@:Z"}) {
        EXPECT_EQ(signature_for(types), nullptr) << types;
    }
    EXPECT_EQ(signature_for(nullptr), nullptr);
}
