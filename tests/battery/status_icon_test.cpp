#include "battery/status_icon.h"

#include "battery_test_support.h"
#include "platform/appkit/ns_status_bar.h"
#include "platform/objc/autorelease_pool.h"
#include "runtime/core/images.h"

namespace battery {
namespace {

using StatusIconTest = BatteryTest;

TEST_F(StatusIconTest, FollowsTheChargeBandsOnBatteryAndTheChargeStateOnMains) {
    struct Row {
        PlatformProperties registry;
        StatusIcon expected;
    };
    const Row rows[] = {
        {{num(u"CurrentCapacity", 100)}, StatusIcon::full},
        {{num(u"CurrentCapacity", 76)}, StatusIcon::full},
        {{num(u"CurrentCapacity", 75)}, StatusIcon::three_quarters},
        {{num(u"CurrentCapacity", 51)}, StatusIcon::three_quarters},
        {{num(u"CurrentCapacity", 50)}, StatusIcon::half},
        {{num(u"CurrentCapacity", 26)}, StatusIcon::half},
        {{num(u"CurrentCapacity", 25)}, StatusIcon::quarter},
        {{num(u"CurrentCapacity", 11)}, StatusIcon::quarter},
        {{num(u"CurrentCapacity", 10)}, StatusIcon::low},
        {{num(u"CurrentCapacity", 101)}, StatusIcon::low},
        {{}, StatusIcon::low},
        // Without a "PowerSource" the external connection decides.
        {{num(u"CurrentCapacity", 80), flag(u"ExternalConnected", true)}, StatusIcon::mains},
        {{flag(u"ExternalConnected", true), flag(u"FullyCharged", true)}, StatusIcon::charging},
        {{txt(u"PowerSource", u""), flag(u"ExternalConnected", true)}, StatusIcon::mains},
        // A "PowerSource" is taken as it stands.
        {{txt(u"PowerSource", u"AC Power"), flag(u"ExternalConnected", false),
          flag(u"FullyCharged", true)},
         StatusIcon::charging},
        {{txt(u"PowerSource", u"Battery Power"), flag(u"ExternalConnected", true),
          num(u"CurrentCapacity", 40)},
         StatusIcon::half},
        {{txt(u"PowerSource", u"ac power"), num(u"CurrentCapacity", 90)}, StatusIcon::full},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        read(rows[i].registry);
        EXPECT_EQ(ChooseStatusIcon(), rows[i].expected) << "row " << i;
    }
}

TEST_F(StatusIconTest, SetsTheChosenPictureAsATemplateAndKeepsItWhenASlotIsEmpty) {
    AutoreleasePoolScope pool;
    rt::InitImages();
    NSStatusItem* item = NSStatusBar::systemStatusBar(nil)->statusItemWithLength(-2);
    set_status_item(reinterpret_cast<int64_t>(item));
    const int64_t full = status_icon_slot(StatusIcon::full).image_number;
    ASSERT_NE(rt::NewImage(full, 4, 4, 32, rt::ImageBackgroundClear), 0);

    read({num(u"CurrentCapacity", 90)});
    SelectStatusIcon();
    ASSERT_EQ(reinterpret_cast<int64_t>(item->image()), rt::ImageHandle(full));
    EXPECT_TRUE(item->image()->isTemplate());

    read({num(u"CurrentCapacity", 20)}); // the quarter's slot holds no image
    SelectStatusIcon();
    EXPECT_EQ(reinterpret_cast<int64_t>(item->image()), rt::ImageHandle(full));

    set_status_item(0);
    NSStatusBar::systemStatusBar(nil)->removeStatusItem(item);
    rt::FreeImageObject(full);
}

} // namespace
} // namespace battery
