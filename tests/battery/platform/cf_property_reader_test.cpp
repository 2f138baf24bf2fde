#include "battery/platform/cf_property_reader.h"

#include "../battery_test_support.h"
#include "battery_source_files.h"
#include "platform/foundation/ns_dictionary.h"
#include "platform/foundation/ns_number.h"
#include "platform/foundation/ns_string.h"
#include "platform/foundation/property_list.h"

#include <span>
#include <string>

namespace battery {
namespace {

class CFPropertyReaderTest : public testing::Test {
  protected:
    void SetUp() override { rt::InitStrings(); }

    // The pairs of a dictionary written as property-list XML.
    static PlatformProperties read_xml(const std::string& dictionary) {
        const std::string text = property_list(dictionary);
        std::string error;
        ObjcRef<NSObject> root = parse_property_list(
            std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), &error);
        EXPECT_TRUE(root) << error;
        return read_cf_properties(static_cast<CFDictionaryRef>(root.get()));
    }
};

std::string shown(const PropertyValue& value) {
    if (const int64_t* number = std::get_if<int64_t>(&value)) return std::to_string(*number);
    if (const bool* flag = std::get_if<bool>(&value)) return *flag ? "true" : "false";
    if (const rt::String* text = std::get_if<rt::String>(&value)) return '"' + text->utf8() + '"';
    return "other";
}

TEST_F(CFPropertyReaderTest, ReadsEveryKindInTheDictionarysOrder) {
    const PlatformProperties read = read_xml(R"(<dict>
        <key>CurrentCapacity</key><integer>87</integer>
        <key>Amperage</key><integer>-1250</integer>
        <key>DeviceName</key><string>bq20z451 «é»</string>
        <key>IsCharging</key><true/>
        <key>ExternalConnected</key><false/>
        <key>BatteryData</key><data>AAEC</data>
        <key>ChargerData</key><dict><key>ChargingVoltage</key><integer>12600</integer></dict>
        <key>CellVoltage</key><array><integer>4100</integer></array>
        <key>ManufactureDate</key><date>2021-03-04T05:06:07Z</date>
        <key>Ratio</key><real>3.7</real>
        <key>Wide</key><integer>4294967297</integer>
        <key>Empty</key><string></string>
    </dict>)");
    struct Row {
        const char16_t* key;
        PropertyValue value;
    };
    const Row expected[] = {
        {u"CurrentCapacity", int64_t{87}},
        {u"Amperage", int64_t{-1250}},
        {u"DeviceName", rt::String(u"bq20z451 «é»")},
        {u"IsCharging", true},
        {u"ExternalConnected", false},
        {u"BatteryData", OtherValue{}},
        {u"ChargerData", OtherValue{}},
        {u"CellVoltage", OtherValue{}},
        {u"ManufactureDate", OtherValue{}},
        // Numbers are read as signed 32-bit integers, as the registry's readers take them.
        {u"Ratio", int64_t{3}},
        {u"Wide", int64_t{1}},
        {u"Empty", rt::String()},
    };
    ASSERT_EQ(read.size(), std::size(expected));
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].key, expected[i].key) << "entry " << i;
        EXPECT_TRUE(read[i].value == expected[i].value)
            << read[i].key.utf8() << ": " << shown(read[i].value) << " against "
            << shown(expected[i].value);
    }
}

TEST_F(CFPropertyReaderTest, SkipsKeysThatDoNotFitTheKeyBuffer) {
    // 254 bytes and the terminator fill the 255 bytes the key may take.
    const std::string longest(254, 'k');
    const std::string too_long(255, 'k');
    std::string two_byte_letters;
    for (int i = 0; i < 128; ++i)
        two_byte_letters += "é"; // 256 bytes
    const PlatformProperties read =
        read_xml("<dict><key>" + too_long + "</key><integer>1</integer><key>" + longest +
                 "</key><integer>2</integer><key>" + two_byte_letters +
                 "</key><integer>3</integer><key>CycleCount</key><integer>4</integer></dict>");
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].key.utf8(), longest);
    EXPECT_TRUE(read[0].value == PropertyValue(int64_t{2}));
    EXPECT_EQ(read[1].key, u"CycleCount");
    EXPECT_TRUE(read[1].value == PropertyValue(int64_t{4}));
}

TEST_F(CFPropertyReaderTest, SkipsKeysThatAreNotStrings) {
    ObjcRef<NSMutableDictionary> dictionary = NSMutableDictionary::make();
    ObjcRef<NSNumber> number_key = NSNumber::make(std::int64_t{7});
    ObjcRef<NSNumber> value = NSNumber::make(std::int64_t{1});
    ObjcRef<NSString> text_key = NSString::from_utf8("CycleCount");
    dictionary->setObject(value.get(), number_key.get());
    dictionary->setObject(value.get(), text_key.get());
    const PlatformProperties read = read_cf_properties(dictionary.get());
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].key, u"CycleCount");
}

TEST_F(CFPropertyReaderTest, GivesNoPairsForNoDictionary) {
    EXPECT_TRUE(read_cf_properties(nullptr).empty());
    EXPECT_TRUE(read_xml("<dict/>").empty());
}

} // namespace
} // namespace battery
