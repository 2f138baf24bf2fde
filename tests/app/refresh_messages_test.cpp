// The native messages one refresh of the status item sends, message by message: receiver class,
// selector, arguments, and for "UTF8String" the text it gave. The expected lists were recorded
// from the refresh as it was before its cost was cut, so any saving that drops, adds, reorders or
// changes a message shows here.

#include "app/indicator_state.h"
#include "app/status_item.h"
#include "platform/appkit/ns_status_item.h"
#include "platform/iokit/battery_provider.h"
#include "platform/objc/autorelease_pool.h"
#include "runtime/ui/native_message.h"
#include "runtime/ui/runtime_lifecycle.h"
#include "tests/support/environment_scope.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace app {
namespace {

struct MessageLog {
    std::vector<std::string> lines;
    std::vector<int64_t> results;
};

std::string runtime_text(int64_t word, rt::TextWidth width) {
    if (width == rt::TextWidth::Bytes) return reinterpret_cast<const char*>(word);
    return rt::String(reinterpret_cast<const char16_t*>(word)).utf8();
}

// An argument that an earlier message of the log gave back is named by that message's number,
// the status item by name, other plain values by their number.
std::string argument_text(const MessageLog& log, const rt::SentNativeMessage& sent, size_t i) {
    const int64_t word = sent.arguments[i];
    if (word == 0) return "0";
    if (sent.kinds[i] == rt::ArgumentKind::Text) return '"' + runtime_text(word, sent.width) + '"';
    if (sent.kinds[i] == rt::ArgumentKind::ByAddress) return "@";
    if (word == indicator().StatusItem) return "item";
    for (size_t k = 0; k < log.results.size(); ++k) {
        if (log.results[k] == word) return '#' + std::to_string(k);
    }
    return std::to_string(word);
}

void record(const rt::SentNativeMessage& sent, void* context) {
    auto& log = *static_cast<MessageLog*>(context);
    std::string line = std::string(sent.class_name) + ' ' + sent.selector;
    for (size_t i = 0; i < sent.arguments.size(); ++i)
        line += ' ' + argument_text(log, sent, i);
    if (std::string_view(sent.selector) == "UTF8String" && sent.result != 0)
        line += " = " + std::string(reinterpret_cast<const char*>(sent.result));
    log.lines.push_back(line);
    log.results.push_back(sent.result);
}

constexpr const char* k_mains = "POWER_SUPPLY_NAME=AC\nPOWER_SUPPLY_TYPE=Mains\n"
                                "POWER_SUPPLY_ONLINE=0\n";
constexpr const char* k_battery = "POWER_SUPPLY_NAME=BAT0\n"
                                  "POWER_SUPPLY_TYPE=Battery\n"
                                  "POWER_SUPPLY_STATUS=Discharging\n"
                                  "POWER_SUPPLY_PRESENT=1\n"
                                  "POWER_SUPPLY_TECHNOLOGY=Li-poly\n"
                                  "POWER_SUPPLY_CYCLE_COUNT=412\n"
                                  "POWER_SUPPLY_VOLTAGE_NOW=12345000\n"
                                  "POWER_SUPPLY_CURRENT_NOW=1250000\n"
                                  "POWER_SUPPLY_CHARGE_FULL_DESIGN=5000000\n"
                                  "POWER_SUPPLY_CHARGE_FULL=4500000\n"
                                  "POWER_SUPPLY_CHARGE_NOW=3915000\n"
                                  "POWER_SUPPLY_CAPACITY=87\n"
                                  "POWER_SUPPLY_TEMP=301\n"
                                  "POWER_SUPPLY_MODEL_NAME=5B10W13975\n"
                                  "POWER_SUPPLY_MANUFACTURER=SMP\n";

std::vector<std::string> one_refresh(const Settings& settings) {
    indicator().settings = settings;
    MessageLog log;
    AutoreleasePoolScope pool;
    rt::ObserveNativeMessages(record, &log);
    RefreshStatus();
    rt::ObserveNativeMessages(nullptr, nullptr);
    return log.lines;
}

TEST(RefreshMessages, AreTheMessagesTheRefreshSentBeforeItsCostWasCut) {
    const TemporaryFolder folder;
    folder.write("power_supply/AC/uevent", k_mains);
    folder.write("power_supply/BAT0/uevent", k_battery);
    const EnvironmentScope source("ZERARAZI_BATTERY", folder.file("power_supply").c_str());
    const EnvironmentScope display("ZERARAZI_DISPLAY", "driver");
    const EnvironmentScope locale("LC_ALL", "C");
    reselect_battery_provider();
    rt::StartRuntime(0, nullptr);
    ReadBattery();
    MakeStatusItem();
    EXPECT_EQ(reinterpret_cast<NSStatusItem*>(indicator().StatusItem)->length(), -1.0)
        << "as wide as its title";

    // With the percentage in the title there is no tooltip; without it, the tooltip says it.
    Settings percentage;
    percentage.display.ShowPercentage = 1;
    percentage.display.ShowTemp = 1;
    Settings time_left;
    time_left.display.ShowTimeLeft = 1;
    const std::vector<std::string> battery_reads = {
        "NSString UTF8String = 5B10W13975",
        "NSString UTF8String = SMP",
        "NSLocale currentLocale",
        "NSLocale localeIdentifier",
        "NSString UTF8String = en_US_POSIX",
        "NSArray objectAtIndex: 0",
        "NSString UTF8String = InternalBattery-0",
        "NSString UTF8String = InternalBattery",
        "NSString UTF8String = Internal",
        "NSString UTF8String = Battery Power",
        "NSString UTF8String = Good",
    };
    std::vector<std::string> expected = battery_reads;
    expected.insert(expected.end(), {
                                        "NSStatusItem setToolTip: 0",
                                        "NSString stringWithString: \"87% • 30.15°C\"",
                                        "NSStatusItem setTitle: #12",
                                    });
    EXPECT_EQ(one_refresh(percentage), expected);
    expected = battery_reads;
    expected.insert(expected.end(),
                    {
                        "NSString stringWithString: \"87% remaining on Battery Power\"",
                        "NSStatusItem setToolTip: #11",
                        "NSString stringWithString: \"03:07 left\"",
                        "NSStatusItem setTitle: #13",
                    });
    EXPECT_EQ(one_refresh(time_left), expected);
    rt::EndRuntime();
}

} // namespace
} // namespace app
