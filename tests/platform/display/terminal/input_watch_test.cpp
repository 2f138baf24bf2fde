#include "platform/display/terminal/input_watch.h"

#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

struct Descriptor {
    explicit Descriptor(int number) : fd(number) {}
    ~Descriptor() {
        if (fd >= 0) close(fd);
    }
    int fd;
};

std::size_t open_descriptors() {
    const std::filesystem::directory_iterator listed("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(listed), end(listed)));
}

struct Pipe {
    Pipe() { EXPECT_EQ(pipe(ends), 0); }
    ~Pipe() {
        for (int fd : ends) {
            if (fd >= 0) close(fd);
        }
    }
    void put(const char* text) const { EXPECT_GT(write(ends[1], text, 1), 0); }
    void close_writer() {
        close(ends[1]);
        ends[1] = -1;
    }
    int ends[2] = {-1, -1};
};

// Every kind of input the terminal display may be given, beside a wake-up descriptor that is
// not raised: epoll watches pipes; a regular file and /dev/null, which it refuses, go to poll(),
// for which they are always readable.
TEST(InputWatch, ReportsTheReadySlotForEveryKindOfInput) {
    const TemporaryFolder folder;
    folder.write("keys.txt", "q");
    const Descriptor quiet_wake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    Pipe silent, typed, ended;
    typed.put("q");
    ended.close_writer();
    const Descriptor file(open(folder.file("keys.txt").c_str(), O_RDONLY | O_CLOEXEC));
    const Descriptor null_device(open("/dev/null", O_RDONLY | O_CLOEXEC));
    const struct {
        const char* input;
        int fd;
        int ready;
    } cases[] = {
        {"a pipe with nothing in it", silent.ends[0], 0},
        {"a pipe with a key in it", typed.ends[0], 1},
        {"a pipe whose writer is gone", ended.ends[0], 1},
        {"a regular file", file.fd, 1},
        {"/dev/null", null_device.fd, 1},
    };
    const std::size_t descriptors = open_descriptors();
    for (const auto& c : cases) {
        InputWatch watch;
        EXPECT_EQ(watch.wait({c.fd, -1, quiet_wake.fd}, 0), c.ready) << c.input;
        EXPECT_EQ(watch.wait({c.fd, -1, quiet_wake.fd}, 0), c.ready) << c.input << ", again";
        EXPECT_EQ(watch.wait({silent.ends[0], c.fd, -1}, 0), c.ready << 1) << c.input << ", second";
    }
    EXPECT_EQ(open_descriptors(), descriptors);
}

TEST(InputWatch, WatchesTheDescriptorsOfEachCallAndWakesForEverySlot) {
    Pipe first, second;
    const Descriptor wake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    InputWatch watch;
    second.put("x");
    EXPECT_EQ(watch.wait({first.ends[0], -1, wake.fd}, 0), 0);
    EXPECT_EQ(watch.wait({second.ends[0], -1, wake.fd}, 0), 1);
    EXPECT_EQ(watch.wait({first.ends[0], second.ends[0], wake.fd}, 0), 1 << 1);
    const uint64_t one = 1;
    ASSERT_EQ(write(wake.fd, &one, sizeof one), static_cast<ssize_t>(sizeof one));
    EXPECT_EQ(watch.wait({first.ends[0], second.ends[0], wake.fd}, -1), (1 << 1) | (1 << 2));
    first.put("y");
    EXPECT_EQ(watch.wait({first.ends[0], -1, -1}, -1), 1);
}

} // namespace
