#include "privileged/options.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

ParsedOptions parse(std::vector<const char*> arguments) {
    return parse_options(arguments);
}

TEST(ChargeLimitOptions, TheTestOptionsComeOnlyWithAPrivateBus) {
    struct Row {
        std::vector<const char*> arguments;
        bool accepted;
    };
    const Row rows[] = {
        {{}, true},
        {{"--apply"}, true},
        {{"--bus", "unix:path=/tmp/bus"}, true},
        {{"--bus", "unix:path=/tmp/bus", "--sysfs", "/tmp/sys", "--state", "/tmp/state"}, true},
        {{"--sysfs", "/tmp/sys", "--bus", "unix:path=/tmp/bus", "--idle", "2", "--poll", "0.5"},
         true},
        {{"--sysfs", "/tmp/sys"}, false},
        {{"--state", "/tmp/state"}, false},
        {{"--apply", "--state", "/tmp/state"}, false},
        {{"--idle", "1"}, false},
        {{"--poll", "1"}, false},
        {{"--bus", "", "--sysfs", "/tmp/sys"}, false},
        {{"--bus", "unix:path=/tmp/bus", "--sysfs", "relative"}, false},
        {{"--bus", "unix:path=/tmp/bus", "--state", ""}, false},
        {{"--bus", "unix:path=/tmp/bus", "--idle", "0"}, false},
        {{"--bus", "unix:path=/tmp/bus", "--idle", "-1"}, false},
        {{"--bus", "unix:path=/tmp/bus", "--idle", "3601"}, false},
        {{"--bus", "unix:path=/tmp/bus", "--poll", "soon"}, false},
        {{"--bus"}, false},
        {{"--sysfs=/tmp/sys"}, false},
        {{"--verbose", "yes"}, false},
        {{"apply"}, false},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(parse(rows[i].arguments).error.empty(), rows[i].accepted) << "row " << i;
}

TEST(ChargeLimitOptions, KeepsWhatItWasGiven) {
    const ParsedOptions plain = parse({});
    EXPECT_EQ(plain.options.mode, Options::Mode::Serve);
    EXPECT_EQ(plain.options.bus, "");
    EXPECT_EQ(plain.options.paths.sysfs, "/sys");
    EXPECT_EQ(plain.options.paths.state_file(), "/var/lib/zerarazi/charge-limit");
    EXPECT_EQ(plain.options.idle_seconds, 30);
    EXPECT_EQ(plain.options.poll_seconds, 30);

    const ParsedOptions test = parse({"--apply", "--bus", "unix:path=/b", "--sysfs", "/t/sys",
                                      "--state", "/t/state", "--idle", "2.5", "--poll", "0.2"});
    ASSERT_EQ(test.error, "");
    EXPECT_EQ(test.options.mode, Options::Mode::Apply);
    EXPECT_EQ(test.options.bus, "unix:path=/b");
    EXPECT_EQ(test.options.paths.supply_folder(), "/t/sys/class/power_supply");
    EXPECT_EQ(test.options.paths.devices_folder(), "/t/sys/devices");
    EXPECT_EQ(test.options.paths.state_file(), "/t/state/charge-limit");
    EXPECT_EQ(test.options.idle_seconds, 2.5);
    EXPECT_EQ(test.options.poll_seconds, 0.2);
}

} // namespace
