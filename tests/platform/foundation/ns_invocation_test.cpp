#include "platform/foundation/ns_invocation.h"

#include "tests/platform/objc/objc_test_support.h"

#include <gtest/gtest.h>

TEST(NSMethodSignature, CountsArgumentsMeasuresResultsAndRefusesMalformedTypes) {
    AutoreleasePoolScope pool;
    auto signature_for = [](const char* types) {
        return msg_send<NSMethodSignature*>(objc_getClass("NSMethodSignature"),
                                            "signatureWithObjCTypes:", types);
    };
    const struct {
        const char* types;
        NSUInteger arguments, return_length; // 0 arguments: refused
    } rows[] = {
        {"v@:@", 3, 0},
        {"{NSOperatingSystemVersion=qqq}16@0:8", 2, 24},
        {"{CGRect={CGPoint=dd}{CGSize=dd}}@:{CGSize=dd}", 3, 32},
        {"", 0, 0},
        {"v@:{Opaque}", 0, 0},
        {"q@:Z", 0, 0},
        {nullptr, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.types ? row.types : "null");
        NSMethodSignature* signature = signature_for(row.types);
        ASSERT_EQ(signature != nullptr, row.arguments > 0);
        if (!signature) continue;
        EXPECT_EQ(signature->numberOfArguments(), row.arguments);
        EXPECT_EQ(msg_send<NSUInteger>(signature, "methodReturnLength"), row.return_length);
    }
    EXPECT_TRUE(msg_send<BOOL>(signature_for("q24@0:8q16"), "isEqual:", signature_for("q@:q")));
    EXPECT_FALSE(msg_send<BOOL>(signature_for("q@:q"), "isEqual:", signature_for("Q@:q")));
}
