#include "platform/iokit/power_supply.h"

#include <gtest/gtest.h>

TEST(PowerSupply, CleansTextOfControlCharactersAndOuterBlanks) {
    const std::pair<std::string, std::string> cases[] = {
        {"Charging\n", "Charging"},
        {"  Not charging \r\n", "Not charging"},
        {"5B10W\t13895\x01", "5B10W13895"},
        {"\x7f LGC \x1b", "LGC"},
        {"caf\xc3\xa9", "caf\xc3\xa9"}, // é stays
        {"a\xc2\x85z", "az"},           // U+0085 goes
        {"a\xc2\x9fz", "az"},           // and U+009F, the last C1 control
        {"a\xc2\x01\x85z", "az"},       // even when a removed character stood inside it
        {"\xc2\xa0x", "\xc2\xa0x"},     // U+00A0 is not a control character
        {"\n\n", ""}};
    for (const auto& [raw, expected] : cases)
        EXPECT_EQ(clean_attribute_text(raw), expected) << "raw: " << raw;
}

TEST(PowerSupply, ParsesOnlyWholeIntegersThatFitSixtyFourBits) {
    const std::pair<std::string, std::optional<std::int64_t>> cases[] = {
        {"3000000", 3000000},
        {"-1250000", -1250000},
        {"+42", 42},
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", std::nullopt},
        {"-9223372036854775809", std::nullopt},
        {"12abc", std::nullopt},
        {"", std::nullopt},
        {"+-3", std::nullopt}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parse_attribute_integer(text), expected) << "text: " << text;
}

TEST(PowerSupply, TellsSystemBatteriesAndExternalSuppliesFromOthers) {
    struct Case {
        std::string type, scope, present;
        bool battery, external;
    };
    const Case cases[] = {
        {"Battery", "", "", true, false},    {"Battery", "System", "1", true, false},
        {"Battery", "", "yes", true, false}, {"battery", "", "", false, false},
        {"USB_PD", "", "", false, true},     {"Wireless", "", "", false, true},
        {"USB", "Device", "", false, false}, {"UPS", "", "", false, false},
        {"", "", "", false, false}};
    for (const Case& row : cases) {
        PowerSupply supply("X");
        if (!row.type.empty()) supply.set(SupplyAttribute::Type, row.type);
        if (!row.scope.empty()) supply.set(SupplyAttribute::Scope, row.scope);
        if (!row.present.empty()) supply.set(SupplyAttribute::Present, row.present);
        EXPECT_EQ(is_system_battery(supply), row.battery)
            << row.type << "/" << row.scope << "/" << row.present;
        EXPECT_EQ(is_external_power_supply(supply), row.external) << row.type << "/" << row.scope;
    }
}
