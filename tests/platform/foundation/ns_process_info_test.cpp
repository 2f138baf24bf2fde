#include "platform/foundation/ns_process_info.h"

#include "platform/foundation/ns_dictionary.h"
#include "tests/platform/foundation/foundation_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

std::string text_of(const std::optional<NSOperatingSystemVersion>& version) {
    if (!version) return "none";
    return std::to_string(version->majorVersion) + "." + std::to_string(version->minorVersion) +
           "." + std::to_string(version->patchVersion);
}

std::string text_of(const NSOperatingSystemVersion& version) {
    return text_of(std::optional(version));
}

} // namespace

TEST(NSProcessInfo, ParsesOneToThreeDecimalVersionNumbers) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"12.0.0", "12.0.0"},
        {"14.6.1", "14.6.1"},
        {"011.02.3", "11.2.3"},
        {"9223372036854775807.0.0", "9223372036854775807.0.0"},
        {"9223372036854775808.0.0", "none"},
        {"13", "13.0.0"},
        {"11.0", "11.0.0"},
        {"13.1.2.4", "none"},
        {"13..2", "none"},
        {"13.1.", "none"},
        {".1.2", "none"},
        {"-13.1.2", "none"},
        {"+13.1.2", "none"},
        {" 13.1.2", "none"},
        {"13.1.2 ", "none"},
        {"13.x.2", "none"},
        {"", "none"},
    };
    for (const Case& row : cases)
        EXPECT_EQ(text_of(parse_os_version(row.text)), row.expected) << '"' << row.text << '"';
}

TEST(NSProcessInfo, ReportsTheVersionFromTheEnvironmentOrTwelve) {
    struct Case {
        const char* variable; // null: unset
        const char* expected;
    };
    const Case cases[] = {
        {nullptr, "12.0.0"}, {"13.4.1", "13.4.1"}, {"11.7.10", "11.7.10"},
        {"13.4", "13.4.0"},  {"latest", "12.0.0"}, {"", "12.0.0"},
    };
    NSProcessInfo* info = msg_send<NSProcessInfo*>(class_named("NSProcessInfo"), "processInfo");
    ASSERT_TRUE(info);
    for (const Case& row : cases) {
        EnvironmentScope scope("ZERARAZI_OS_VERSION", row.variable);
        SCOPED_TRACE(row.variable ? row.variable : "<unset>");
        EXPECT_EQ(text_of(msg_send<NSOperatingSystemVersion>(info, "operatingSystemVersion")),
                  row.expected);
    }
}

// The start-up reads the version by name into a zeroed 24-byte buffer.
TEST(NSProcessInfo, VersionReachesA24ByteBufferThroughAnInvocation) {
    EnvironmentScope scope("ZERARAZI_OS_VERSION", "15.2.7");
    id info = objc_msgSend(class_named("NSProcessInfo"), sel_registerName("processInfo"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info, objc_msgSend(class_named("NSProcessInfo"), sel_registerName("processInfo")));
    SEL selector = sel_registerName("operatingSystemVersion");
    Method method = class_getInstanceMethod(object_getClass(info), selector);
    ASSERT_TRUE(method);
    EXPECT_TRUE(std::string_view(method_getTypeEncoding(method))
                    .starts_with("{NSOperatingSystemVersion=qqq}"));
    AutoreleasePoolScope pool;
    NSMethodSignature* signature =
        NSMethodSignature::signatureWithObjCTypes(nil, method_getTypeEncoding(method));
    NSInvocation* invocation = NSInvocation::invocationWithMethodSignature(nil, signature);
    ASSERT_TRUE(invocation);
    ASSERT_EQ(signature->methodReturnLength(), 24u);
    invocation->setSelector(selector);
    invocation->invokeWithTarget(info);
    std::int64_t buffer[3] = {};
    invocation->getReturnValue(buffer);
    EXPECT_EQ(buffer[0], 15);
    EXPECT_EQ(buffer[1], 2);
    EXPECT_EQ(buffer[2], 7);
}

TEST(NSProcessInfo, ComparesWithAMinimumVersion) {
    EnvironmentScope scope("ZERARAZI_OS_VERSION", "12.3.0");
    NSProcessInfo* info = NSProcessInfo::processInfo(nil);
    struct Case {
        NSOperatingSystemVersion minimum;
        bool at_least;
    };
    const Case cases[] = {
        {{12, 3, 0}, true},  {{12, 2, 9}, true},  {{11, 9, 9}, true},
        {{12, 3, 1}, false}, {{12, 4, 0}, false}, {{13, 0, 0}, false},
    };
    for (const Case& row : cases) {
        EXPECT_EQ(msg_send<BOOL>(info, "isOperatingSystemAtLeastVersion:", row.minimum) != NO,
                  row.at_least)
            << text_of(row.minimum);
    }
}

TEST(NSProcessInfo, ReportsTheProcessAndItsEnvironment) {
    EnvironmentScope scope("ZERARAZI_PROCESS_INFO_TEST", "a=b");
    AutoreleasePoolScope pool;
    NSProcessInfo* info = NSProcessInfo::processInfo(nil);
    EXPECT_EQ(msg_send<int>(info, "processIdentifier"), getpid());
    auto* environment = msg_send<NSDictionary*>(info, "environment");
    ASSERT_TRUE(environment);
    EXPECT_EQ(text_of(environment->objectForKey(
                  NSString::make(u"ZERARAZI_PROCESS_INFO_TEST").autorelease())),
              "a=b");
}
