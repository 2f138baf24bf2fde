#include "runtime/core/pipe_reader.h"

#include "tests/runtime/core/process_test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace rt {
namespace {

// A PipeReader on a pipe holding `bytes`, whose write end stays open unless `ended`.
struct ReaderOnPipe {
    ReaderOnPipe(const std::string& bytes, bool ended) {
        int ends[2];
        EXPECT_EQ(pipe2(ends, O_CLOEXEC), 0);
        EXPECT_EQ(::write(ends[1], bytes.data(), bytes.size()), ssize_t(bytes.size()));
        write_end = ended ? (close(ends[1]), -1) : ends[1];
        reader = OpenPipeReader(ends[0], "r");
        EXPECT_NE(reader, nullptr);
    }
    ~ReaderOnPipe() {
        if (write_end >= 0) close(write_end);
        ClosePipeReader(reader);
    }
    PipeReader* reader = nullptr;
    int write_end = -1;
};

TEST(PipeReader, ReadsCharactersOfEveryLength) {
    struct Row {
        std::string bytes;
        uint32_t expected;
    };
    const Row rows[] = {{"A", 0x41},
                        {"\xC3\xA9", 0xE9},
                        {"\xE2\x82\xAC", 0x20AC},
                        {"\xF0\x9F\x98\x80", 0xDE00D83D},
                        {"\xC3\x29", 0xE9},           // continuation bytes are not checked
                        {"\xF4\x90\x80\x80", 0xFFFD}, // above U+10FFFF
                        {"\xF0\x80\x80\x80", 0xFFFD}, // overlong
                        {"\x80", 0x20},
                        {"\xF8\x80", 0x20},
                        {"\xE2\x82", pipe_no_byte}};
    for (const Row& row : rows) {
        ReaderOnPipe pipe(row.bytes, true);
        EXPECT_EQ(ReadPipeCharacter(pipe.reader), row.expected)
            << "bytes: " << ::testing::PrintToString(row.bytes);
    }
}

// A descriptor that fails for good used to be polled forever, as if data might still come.
TEST(PipeReader, EndsWhenTheDescriptorFails) {
    const process_testing::HangGuard guard;
    ReaderOnPipe pipe("ab", false);
    char bytes[2] = {};
    EXPECT_EQ(ReadPipeBytes(pipe.reader, bytes, 2), 2u);
    EXPECT_EQ(std::string(bytes, 2), "ab");
    // Put a directory under the stream's descriptor: reading it fails with EISDIR.
    const int folder = open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    ASSERT_GE(dup2(folder, fileno(pipe.reader->stream)), 0);
    close(folder);
    char byte = 0;
    EXPECT_EQ(ReadPipeBytes(pipe.reader, &byte, 1), 0u);
    EXPECT_EQ(PipeAtEnd(pipe.reader), 1);
    EXPECT_EQ(ReadPipeByte(pipe.reader), pipe_no_byte);
    EXPECT_EQ(OpenPipeReader(-1, "r"), nullptr);
    EXPECT_EQ(ClosePipeReader(nullptr), EOF);
}

} // namespace
} // namespace rt
