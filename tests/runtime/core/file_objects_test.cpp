#include "runtime/core/file_objects.h"

#include "runtime/core/file_system.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace rt {
namespace {

// n letters, starting at `first` and running through the alphabet, so that a byte out of place
// shows.
std::u16string letters(size_t n, char16_t first = u'a') {
    std::u16string text(n, u' ');
    for (size_t i = 0; i < n; ++i)
        text[i] = static_cast<char16_t>(u'a' + (first - u'a' + i) % 26);
    return text;
}

class FileObjects : public ::testing::Test {
  protected:
    void SetUp() override {
        InitStrings();
        ASSERT_EQ(InitFiles(), 1);
    }
    void TearDown() override { EndFiles(); }

    std::string native(std::string_view name) const { return m_folder / name; }
    String path(std::string_view name) const { return String::from_utf8(native(name)); }

    TemporaryFolder m_folder{"file-objects-"};
};

// A write that would fill the 4,096-byte buffer writes out what was there first: the bytes land
// in order, whichever way they went out.
TEST_F(FileObjects, KeepsTheOrderOfBufferedAndDirectWrites) {
    for (const std::vector<size_t>& sizes :
         {std::vector<size_t>{3000, 1096, 1}, {10, 5000, 4096}}) {
        const int64_t number = CreateFileObject(AutoNumber, path("sequence"));
        std::string expected;
        for (size_t i = 0; i < sizes.size(); ++i) {
            const std::u16string text = letters(sizes[i], static_cast<char16_t>(u'a' + i));
            expected.append(text.begin(), text.end());
            EXPECT_EQ(WriteFileText(number, text.c_str(), FormatUTF8), int64_t(sizes[i]));
        }
        EXPECT_EQ(CloseFileObject(number), 1);
        EXPECT_TRUE(file_bytes(native("sequence")) == expected) << sizes[0];
    }
}

TEST_F(FileObjects, RefusesPathsAndNumbersItCannotUse) {
    const String paths[] = {String(), String(u""), path("cut") + u"\xD800" + u"tail"};
    for (const String& file : paths) {
        for (int mode : {file_mode_read, file_mode_update, file_mode_create}) {
            EXPECT_EQ(OpenFileObject(2, file.data(), mode, 0), 0) << mode;
            EXPECT_EQ(FileObjectValid(2), nullptr);
        }
    }
    // The broken path must not have been cut short to the name before the surrogate.
    EXPECT_EQ(FileByteSize(path("cut")), -1);
    const int64_t closed = CreateFileObject(AutoNumber, path("closed"));
    ASSERT_EQ(CloseFileObject(closed), 1);
    int local = 0;
    const int64_t far = int64_t{1} << 40, on_stack = reinterpret_cast<intptr_t>(&local);
    for (int64_t number : {int64_t{0}, int64_t{7}, int64_t{-5}, far, closed, on_stack}) {
        EXPECT_EQ(WriteFileText(number, u"text", FormatUTF8), 0) << number;
        EXPECT_EQ(FileObjectValid(number), nullptr);
        EXPECT_EQ(CloseFileObject(number), 0);
    }
    EXPECT_EQ(WriteFileText(AutoNumber, u"text", FormatUTF8), 0);
    EXPECT_EQ(OpenFileObject(-5, path("negative").data(), file_mode_create, 0), 0);
    EXPECT_EQ(FileByteSize(path("negative")), -1);
}

// Each mode meets an existing "hello" as documented; the object's format is the flags', and a
// write's own format wins. Reading takes only a regular file and refuses every write.
TEST_F(FileObjects, OpensEachModeAndWritesEachFormat) {
    const std::string utf16_ab("a\0b\0", 4);
    const std::tuple<const char*, int, int, const char16_t*, int, std::string> rows[] = {
        {"update", file_mode_update, 0, u"J", 0, "Jello"},
        {"append", file_mode_update, file_flag_append, u"!", 0, "hello!"},
        {"append, unbuffered", file_mode_update, file_flag_append | file_flag_unbuffered, u"\u00e9",
         0, "hello\xC3\xA9"},
        {"create", file_mode_create, FormatUTF16, u"ab", 0, utf16_ab},
        {"create, UTF-8 write", file_mode_create, FormatUTF16, u"\u20ac", FormatUTF8,
         "\xE2\x82\xAC"},
        {"create, one byte", file_mode_create, FormatASCII, u"\u00e9\u20acx", 0, "\xE9x"},
        {"read", file_mode_read, 0, u"x", 0, "hello"},
    };
    for (const auto& [what, mode, flags, text, format, expected] : rows) {
        SCOPED_TRACE(what);
        put_file(native("file"), "hello");
        const int64_t number = OpenFileObject(AutoNumber, path("file").data(), mode, flags);
        ASSERT_NE(number, 0);
        EXPECT_EQ(WriteFileText(number, text, format) != 0, mode != file_mode_read);
        EXPECT_EQ(CloseFileObject(number), 1);
        EXPECT_TRUE(file_bytes(native("file")) == expected);
    }
    ::mkfifo(native("pipe").c_str(), 0600);
    for (const std::string& refused :
         {native("missing"), native("pipe"), m_folder.path().string()}) {
        const String name = String::from_utf8(refused);
        EXPECT_EQ(ReadFileObject(AutoNumber, name.data()), 0) << refused;
    }
}

// Writes accepted after a write-out failed would land after the lost bytes, in a corrupt file.
TEST_F(FileObjects, RefusesEveryWriteOnceBytesCouldNotBeWritten) {
    if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    using Writes = std::vector<std::pair<size_t, int64_t>>; // the size written and the answer
    const std::tuple<const char*, int, Writes, bool> rows[] = {
        {"buffered, lost at close", 0, {{3, 3}}, false},
        {"buffered, lost at write-out", 0, {{3, 3}, {5000, 0}, {1, 0}, {5000, 0}}, false},
        {"buffered, lost at flush", 0, {{3, 3}, {1, 0}}, true},
        {"buffered, direct write", 0, {{5000, 0}, {1, 0}}, false},
        {"unbuffered", file_flag_unbuffered, {{3, 0}, {1, 0}}, false}};
    for (const auto& [what, flags, writes, flush_between] : rows) {
        SCOPED_TRACE(what);
        const int64_t number = UpdateFileObjectFlags(AutoNumber, u"/dev/full", flags);
        ASSERT_NE(number, 0);
        for (size_t i = 0; i < writes.size(); ++i) {
            if (flush_between && i == 1) {
                EXPECT_EQ(FlushFileObject(FileObjectValid(number)), 0);
            }
            const std::u16string text = letters(writes[i].first);
            EXPECT_EQ(WriteFileText(number, text.c_str(), FormatUTF8), writes[i].second)
                << "write " << i;
        }
        EXPECT_EQ(CloseFileObject(number), 0);
    }
}

} // namespace
} // namespace rt
