#include "runtime/core/file_objects.h"

#include "runtime/core/file_system.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
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

std::string narrow(const std::u16string& ascii) {
    return {ascii.begin(), ascii.end()};
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
            expected += narrow(text);
            EXPECT_EQ(WriteFileText(number, text.c_str(), FormatUTF8), int64_t(sizes[i]));
        }
        EXPECT_EQ(CloseFileObject(number), 1);
        EXPECT_TRUE(file_bytes(native("sequence")) == expected) << sizes[0];
    }
}

TEST_F(FileObjects, OpensInEachModeOnFilesDirectoriesAndMissingPaths) {
    enum class Before { missing, file, directory, no_parent };
    struct Row {
        const char* what;
        int mode;
        int flags;
        Before before;
        int64_t written;  // by writing "XY"
        int64_t size;     // FileByteSize afterwards
        const char* data; // what the file then holds, when it is one
    };
    const Row rows[] = {
        {"read a file", 1, 0, Before::file, 0, 6, "abcdef"},
        {"read a missing path", 1, 0, Before::missing, -1, -1, nullptr},
        {"read a directory", 1, 0, Before::directory, -1, -2, nullptr},
        {"update a file", 2, 0, Before::file, 2, 6, "XYcdef"},
        {"update a file at its end", 2, file_flag_append, Before::file, 2, 8, "abcdefXY"},
        {"update a directory", 2, 0, Before::directory, -1, -2, nullptr},
        {"create over a file", 3, 0, Before::file, 2, 2, "XY"},
        {"create over a directory", 3, 0, Before::directory, -1, -2, nullptr},
        {"create below a missing folder", 3, 0, Before::no_parent, -1, -1, nullptr},
        {"any other mode creates", 9, 0, Before::file, 2, 2, "XY"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::filesystem::remove_all(native("target"));
        if (row.before == Before::file) put_file(native("target"), "abcdef");
        if (row.before == Before::directory) {
            ASSERT_EQ(MakeDirectory(path("target")), 1);
        }
        const String file = row.before == Before::no_parent ? path("none/target") : path("target");
        const int64_t opened = OpenFileObject(4, file.data(), row.mode, row.flags);
        if (row.written < 0) {
            EXPECT_EQ(opened, 0);
            EXPECT_EQ(FileObjectValid(4), nullptr);
        } else {
            ASSERT_NE(FileObjectValid(4), nullptr);
            EXPECT_EQ(opened, reinterpret_cast<intptr_t>(FileObjectValid(4)->stream));
            EXPECT_EQ(WriteFileText(4, u"XY", FormatUTF8), row.written);
            EXPECT_EQ(CloseFileObject(4), 1);
        }
        EXPECT_EQ(FileByteSize(file), row.size);
        if (row.data) {
            EXPECT_EQ(file_bytes(native("target")), row.data);
        }
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

// Writes accepted after a write-out failed would land after the lost bytes, in a corrupt file.
TEST_F(FileObjects, RefusesEveryWriteOnceBytesCouldNotBeWritten) {
    if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    struct Write {
        size_t size;
        int64_t result;
    };
    struct Row {
        const char* what;
        int flags;
        std::vector<Write> writes;
        bool flush_between;
    };
    const Row rows[] = {
        {"buffered, lost at close", 0, {{3, 3}}, false},
        {"buffered, lost at write-out", 0, {{3, 3}, {5000, 0}, {1, 0}, {5000, 0}}, false},
        {"buffered, lost at flush", 0, {{3, 3}, {1, 0}}, true},
        {"buffered, direct write", 0, {{5000, 0}, {1, 0}}, false},
        {"unbuffered", file_flag_unbuffered, {{3, 0}, {1, 0}}, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const int64_t number = UpdateFileObjectFlags(AutoNumber, u"/dev/full", row.flags);
        ASSERT_NE(number, 0);
        for (size_t i = 0; i < row.writes.size(); ++i) {
            if (row.flush_between && i == 1) {
                EXPECT_EQ(FlushFileObject(FileObjectValid(number)), 0);
            }
            const std::u16string text = letters(row.writes[i].size);
            EXPECT_EQ(WriteFileText(number, text.c_str(), FormatUTF8), row.writes[i].result)
                << "write " << i;
        }
        EXPECT_EQ(CloseFileObject(number), 0);
    }
}

} // namespace
} // namespace rt
