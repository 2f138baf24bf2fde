#include "platform/appkit/ns_pop_up_button.h"

#include "platform/objc/autorelease_pool.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void insert_titled(NSPopUpButton& pop_up, const char16_t* title, NSInteger at) {
    pop_up.insertItemWithTitle(NSString::make(title).get(), at);
}

// The items' titles with the selected one in brackets: "a [b] c".
std::string items_shown(const NSPopUpButton& pop_up) {
    std::string text;
    for (NSInteger index = 0; index < pop_up.numberOfItems(); ++index) {
        if (index > 0) text += ' ';
        const std::string title = pop_up.itemTitleAtIndex(index)->utf8();
        text += index == pop_up.indexOfSelectedItem() ? "[" + title + "]" : title;
    }
    return text;
}

TEST(NSPopUpButton, SelectionFollowsItsItemAsItemsComeAndGo) {
    AutoreleasePoolScope pool;
    ObjcRef<NSPopUpButton> pop_up = make_native<NSPopUpButton>();
    EXPECT_EQ(std::tuple(pop_up->indexOfSelectedItem(), pop_up->titleOfSelectedItem()),
              std::tuple(NSInteger{-1}, nullptr));
    struct Step {
        void (*act)(NSPopUpButton&);
        const char* expected;
    };
    const Step steps[] = {
        {[](NSPopUpButton& p) { p.addItemWithTitle(NSString::make(u"b").get()); }, "[b]"},
        {[](NSPopUpButton& p) { p.addItemWithTitle(nil); }, "[b] "},
        {[](NSPopUpButton& p) { p.removeItemAtIndex(1); }, "[b]"},
        {[](NSPopUpButton& p) { insert_titled(p, u"a", -3); }, "a [b]"},
        {[](NSPopUpButton& p) { insert_titled(p, u"d", 9); }, "a [b] d"},
        {[](NSPopUpButton& p) { insert_titled(p, u"c", 2); }, "a [b] c d"},
        {[](NSPopUpButton& p) { p.selectItemAtIndex(4); }, "a [b] c d"},
        {[](NSPopUpButton& p) { p.selectItemAtIndex(2); }, "a b [c] d"},
        {[](NSPopUpButton& p) { p.removeItemAtIndex(0); }, "b [c] d"},
        {[](NSPopUpButton& p) { p.removeItemAtIndex(2); }, "b [c]"},
        {[](NSPopUpButton& p) { p.removeItemAtIndex(1); }, "[b]"},
        {[](NSPopUpButton& p) { p.selectItemAtIndex(-1); }, "b"},
        {[](NSPopUpButton& p) { p.removeItemAtIndex(0); }, ""},
        {[](NSPopUpButton& p) { insert_titled(p, u"x", 0); }, "[x]"},
        {[](NSPopUpButton& p) { p.removeAllItems(); }, ""},
    };
    for (const Step& step : steps) {
        step.act(*pop_up);
        EXPECT_EQ(items_shown(*pop_up), step.expected);
    }
    EXPECT_EQ(pop_up->itemTitleAtIndex(0)->utf8(), "");
}

} // namespace
