#include "platform/appkit/ns_workspace.h"

#include "platform/appkit/ns_image.h"

#include <gtest/gtest.h>

TEST(NSWorkspace, IconsForFileTypesAreSystemIcons) {
    ObjcRef<NSString> type = NSString::make(u"'caut'");
    NSImage* icon = NSWorkspace::sharedWorkspace(nil)->iconForFileType(type.get());
    ASSERT_NE(icon, nil);
    EXPECT_EQ(units_of(icon->system_icon_type()), u"'caut'");
    EXPECT_EQ(icon->size().width, 32);
    EXPECT_EQ(icon->size().height, 32);
}
