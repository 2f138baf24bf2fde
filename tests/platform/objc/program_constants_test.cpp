#include "platform/objc/program_constants.h"

#include <gtest/gtest.h>

#include <gnu/libc-version.h>

#include <memory>

namespace {

char16_t g_writable_text[] = u"setTitle:";
const int g_constant_table[] = {1, 2, 3};

TEST(ProgramConstants, AreTheProgramsReadOnlyDataAndNothingWritable) {
    EXPECT_TRUE(is_program_constant(u"setTitle:"));
    EXPECT_TRUE(is_program_constant(g_constant_table));

    char16_t on_stack[] = u"setTitle:";
    const auto on_heap = std::make_unique<std::u16string>(u"a text longer than a short string");
    EXPECT_FALSE(is_program_constant(g_writable_text));
    EXPECT_FALSE(is_program_constant(on_stack));
    EXPECT_FALSE(is_program_constant(on_heap->c_str()));
    // A shared library's constants are not the program's: it may be unloaded.
    EXPECT_FALSE(is_program_constant(gnu_get_libc_version()));
}

} // namespace
