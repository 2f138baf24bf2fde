#include "platform/startup/input_router.h"

#include "platform/foundation/ns_run_loop.h"
#include "tests/platform/iokit/iokit_test_support.h"
#include "tests/support/driver_session.h"

namespace {

const std::string k_router_recording =
    "<plist><dict><key>CurrentCapacity</key><integer>33</integer>"
    "</dict></plist>";

// Runs `script` to its end and returns the driver's error lines.
Lines errors_of(const std::string& script) {
    DriverSession session(script);
    NSRunLoop::main()->run_until(k_no_deadline, NSDefaultRunLoopMode);
    Lines errors;
    for (const std::string& line : session.lines()) {
        if (line.find(R"("event":"error")") != std::string::npos) errors.push_back(line);
    }
    return errors;
}

} // namespace

TEST(InputRouter, EditsTheRecordedBatteryOrSaysWhyNot) {
    TemporaryFolder folder;
    BatterySourceScope recorded(folder.write("battery.plist", k_router_recording));
    EXPECT_EQ(errors_of("battery set CurrentCapacity 40\npower set Type \"UPS\"\n"), Lines{});
    EXPECT_EQ(value_at(current_battery_provider()->copy_registry_entry().get(), "CurrentCapacity"),
              "int 40");
    EXPECT_EQ(
        errors_of("battery unset Missing\nbattery remove\nbattery set CurrentCapacity 1\n"),
        (Lines{error_line(0, "battery unset Missing", "no property Missing"),
               error_line(0, "battery set CurrentCapacity 1", "the recording has no battery")}));

    write_supplies(folder, {{"BAT0", {"TYPE=Battery"}}});
    BatterySourceScope live(folder.path());
    EXPECT_EQ(
        errors_of("battery set CurrentCapacity 1\n"),
        Lines{error_line(0, "battery set CurrentCapacity 1", "the battery is not a recording")});
}
