#include "platform/iokit/attribute_file.h"

#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <linux/if.h>
#include <linux/if_tun.h>
#include <optional>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

const std::string k_alias = "/sys/class/net/zzattrtest0/ifalias";

bool set_alias(const std::string& alias) {
    const int fd = ::open(k_alias.c_str(), O_WRONLY | O_CLOEXEC);
    const bool written =
        fd >= 0 && ::write(fd, alias.data(), alias.size()) == ssize_t(alias.size());
    if (fd >= 0) ::close(fd);
    return written;
}

// A network device of our own on sysfs with `alias`, there until the descriptor that made it is
// closed; -1 when it cannot be made here.
int make_tun_device(const std::string& alias) {
    ifreq request{};
    request.ifr_flags = IFF_TAP | IFF_NO_PI;
    std::snprintf(request.ifr_name, sizeof request.ifr_name, "zzattrtest0");
    const int fd = ::open("/dev/net/tun", O_RDWR | O_CLOEXEC);
    if (fd >= 0 && ::ioctl(fd, TUNSETIFF, &request) == 0 && set_alias(alias)) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

std::size_t open_descriptors() {
    const std::filesystem::directory_iterator entries("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

std::optional<std::string> read_text(AttributeFile& file) {
    std::string text = "left over";
    if (!file.read(text).ok()) return std::nullopt;
    return text;
}

} // namespace

// Held open, the file must still give the kernel's current text at every reading, and a device
// that went and came back must be read again under its path.
TEST(AttributeFile, HoldsASysfsFileOpenAndStillReadsItsCurrentTextAndADeviceThatCameBack) {
    int device = make_tun_device("first");
    if (device < 0) GTEST_SKIP() << "cannot make a tun device with an alias here";
    AttributeFile alias(k_alias);
    const std::size_t descriptors = open_descriptors();
    EXPECT_EQ(read_text(alias), "first\n");
    EXPECT_TRUE(alias.held());
    EXPECT_EQ(open_descriptors(), descriptors + 1);
    ASSERT_TRUE(set_alias("second"));
    EXPECT_EQ(read_text(alias), "second\n");

    ::close(device);
    EXPECT_EQ(read_text(alias), std::nullopt);
    EXPECT_FALSE(alias.held());
    EXPECT_EQ(open_descriptors(), descriptors - 1); // the device's own went with it
    device = make_tun_device("third");
    ASSERT_GE(device, 0);
    EXPECT_EQ(read_text(alias), "third\n");
    EXPECT_TRUE(alias.held());
    // Gone and back between two readings.
    ::close(device);
    device = make_tun_device("fourth");
    ASSERT_GE(device, 0);
    EXPECT_EQ(read_text(alias), "fourth\n");
    EXPECT_EQ(open_descriptors(), descriptors + 1);
    ::close(device);
}

// An open descriptor would keep the text of a file that a new one was renamed over.
TEST(AttributeFile, OpensAnOrdinaryFileForEveryReading) {
    const TemporaryFolder folder;
    AttributeFile file(folder.write("uevent", "POWER_SUPPLY_CAPACITY=50\n"));
    const std::size_t descriptors = open_descriptors();
    EXPECT_EQ(read_text(file), "POWER_SUPPLY_CAPACITY=50\n");
    EXPECT_FALSE(file.held());
    std::filesystem::rename(folder.write("new", "POWER_SUPPLY_CAPACITY=49\n"), file.path());
    EXPECT_EQ(read_text(file), "POWER_SUPPLY_CAPACITY=49\n");
    std::string text;
    EXPECT_TRUE(read_attribute_file(file.path().c_str(), text).ok());
    EXPECT_EQ(text, "POWER_SUPPLY_CAPACITY=49\n");
    EXPECT_EQ(open_descriptors(), descriptors);
}
