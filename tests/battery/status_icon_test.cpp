#include "battery/status_icon.h"

#include "battery/icon_image.h"
#include "battery_test_support.h"
#include "platform/appkit/ns_status_bar.h"
#include "platform/objc/autorelease_pool.h"
#include "runtime/core/draw_target.h"
#include "runtime/core/images.h"
#include "runtime/ui/native_message.h"
#include "tests/battery/platform/battery_source_files.h"
#include "tests/support/driver_session.h"

#include <png.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace battery {
namespace {

// A small half-transparent picture, written with the PNG library's own writer.
bool write_picture(const std::filesystem::path& path) {
    png_image picture{};
    picture.version = PNG_IMAGE_VERSION;
    picture.width = 44;
    picture.height = 24;
    picture.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(picture), 0x80);
    return png_image_write_to_file(&picture, path.c_str(), 0, pixels.data(), 0, nullptr) != 0;
}

std::string file_name(StatusIcon icon) {
    return std::filesystem::path(status_icon_slot(icon).relative_path).filename().string();
}

// One battery reading; an absent field is not in the recording.
struct Reading {
    std::optional<int> capacity;
    std::optional<std::string> power_source;
    std::optional<bool> external;
    std::optional<bool> fully_charged;
};

std::string flag_entry(const char* key, std::optional<bool> flag) {
    if (!flag) return {};
    return std::string("<key>") + key + "</key>" + (*flag ? "<true/>" : "<false/>");
}

std::string recording_of(const Reading& reading) {
    std::string registry;
    if (reading.capacity)
        registry += "<key>CurrentCapacity</key><integer>" + std::to_string(*reading.capacity) +
                    "</integer>";
    if (reading.power_source)
        registry += "<key>PowerSource</key><string>" + *reading.power_source + "</string>";
    registry += flag_entry("ExternalConnected", reading.external);
    registry += flag_entry("FullyCharged", reading.fully_charged);
    return property_list("<dict><key>Registry</key><dict>" + registry + "</dict></dict>");
}

// The pictures loaded into their slots, a status item made as the application makes it, and
// the battery read from a recording.
class StatusIconTest : public testing::Test {
  protected:
    void SetUp() override {
        rt::InitStrings();
        rt::InitLocale();
        rt::InitDrawing();
        rt::InitImages();
        clean_application();
        for (const StatusIconSlot& slot : k_status_icon_slots)
            load_slot(slot);
        AutoreleasePoolScope pool;
        int64_t bar = rt::SendNativeMessage(nullptr, 0, u"NSStatusBar systemStatusBar");
        int64_t item = rt::SendNativeMessage(nullptr, bar, u"statusItemWithLength:", -2);
        set_status_item(rt::SendNativeMessage(nullptr, item, u"retain"));
    }
    void TearDown() override {
        auto* item = reinterpret_cast<NSStatusItem*>(status_item());
        NSStatusBar::systemStatusBar(nil)->removeStatusItem(item);
        rt::SendNativeMessage(nullptr, status_item(), u"release");
        set_status_item(0);
        for (const StatusIconSlot& slot : k_status_icon_slots)
            rt::FreeImageObject(slot.image_number);
        LoadBatteryProperties();
    }

    void load_slot(const StatusIconSlot& slot) {
        std::filesystem::path path = m_files.folder() / "Contents/MacOS" / slot.relative_path;
        std::filesystem::create_directories(path.parent_path());
        ASSERT_TRUE(write_picture(path)) << path;
        std::u16string units(path.u16string());
        ASSERT_NE(LoadIconImage(slot.image_number, units.c_str()), 0) << path;
    }

    void read_battery(const Reading& reading) {
        BatterySourceFiles::use_source(m_files.write("battery.plist", recording_of(reading)));
        LoadBatteryProperties();
    }

    // The status line the display writes after a selection.
    static std::string status_shown() {
        DriverSession session("");
        show_model_on_display();
        session.display.wait_for_input(0);
        Lines lines = session.lines();
        return lines.empty() ? std::string() : lines.front();
    }

    static std::string status_line_for(StatusIcon icon) {
        StatusSnapshot status;
        status.image = file_name(icon);
        status.is_template = true;
        return status_line(0, status);
    }

    BatterySourceFiles m_files;
};

} // namespace

TEST_F(StatusIconTest, OnBatteryThePictureFollowsTheChargeBands) {
    struct Row {
        std::optional<int> capacity;
        StatusIcon expected;
    };
    const Row rows[] = {
        {100, StatusIcon::full},
        {76, StatusIcon::full},
        {75, StatusIcon::three_quarters},
        {51, StatusIcon::three_quarters},
        {50, StatusIcon::half},
        {26, StatusIcon::half},
        {25, StatusIcon::quarter},
        {11, StatusIcon::quarter},
        {10, StatusIcon::low},
        {0, StatusIcon::low},
        {101, StatusIcon::low},
        {-5, StatusIcon::low},
        {std::nullopt, StatusIcon::low},
    };
    for (const Row& row : rows) {
        read_battery({row.capacity, std::nullopt, false, false});
        SelectStatusIcon();
        EXPECT_EQ(status_shown(), status_line_for(row.expected))
            << "capacity " << (row.capacity ? std::to_string(*row.capacity) : "missing");
    }
}

TEST_F(StatusIconTest, MainsPowerShowsChargingOrMainsWhateverTheCharge) {
    struct Row {
        Reading reading;
        StatusIcon expected;
    };
    const Row rows[] = {
        // No "PowerSource": the external connection decides.
        {{80, std::nullopt, true, false}, StatusIcon::mains},
        {{80, std::nullopt, true, true}, StatusIcon::charging},
        {{5, std::nullopt, true, std::nullopt}, StatusIcon::mains},
        {{40, "", true, false}, StatusIcon::mains},
        // A "PowerSource" is taken as it stands, and the external connection is not asked.
        {{40, "AC Power", false, true}, StatusIcon::charging},
        {{40, "AC Power", std::nullopt, false}, StatusIcon::mains},
        {{40, "Battery Power", true, true}, StatusIcon::half},
        {{90, "ac power", true, false}, StatusIcon::full},
    };
    for (const Row& row : rows) {
        read_battery(row.reading);
        SelectStatusIcon();
        EXPECT_EQ(status_shown(), status_line_for(row.expected)) << recording_of(row.reading);
    }
}

TEST_F(StatusIconTest, AnEmptySlotLeavesThePreviousPicture) {
    read_battery({90, std::nullopt, false, false});
    SelectStatusIcon();
    rt::FreeImageObject(status_icon_slot(StatusIcon::quarter).image_number);

    read_battery({20, std::nullopt, false, false});
    SelectStatusIcon();

    EXPECT_EQ(status_shown(), status_line_for(StatusIcon::full));
}

// The application keeps the variable length as a double and passes its address, and clears the
// tooltip with 0.
TEST_F(StatusIconTest, StatusItemTakesItsLengthsAsTheApplicationSendsThem) {
    auto* item = reinterpret_cast<NSStatusItem*>(status_item());
    EXPECT_EQ(item->length(), NSSquareStatusItemLength);
    double length = -1.0;
    rt::SendNativeMessage(nullptr, status_item(), u"setLength:@", &length);
    EXPECT_EQ(item->length(), NSVariableStatusItemLength);
    rt::SendNativeMessage(nullptr, status_item(), u"setToolTip:$", u"85% remaining");
    ASSERT_NE(item->toolTip(), nil);
    EXPECT_EQ(item->toolTip()->utf8(), "85% remaining");
    rt::SendNativeMessage(nullptr, status_item(), u"setToolTip:", 0);
    EXPECT_EQ(item->toolTip(), nil);
}

} // namespace battery
