#include "platform/objc/selector.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

TEST(Selector, InternsEqualNamesToOneSelectorWithItsOwnCopyOfTheName) {
    std::string copy = "interned:name:";
    SEL selector = sel_registerName("interned:name:");
    EXPECT_EQ(sel_registerName(copy.c_str()), selector);
    EXPECT_NE(sel_registerName("interned:name"), selector);
    copy[0] = 'X';
    EXPECT_STREQ(sel_getName(selector), "interned:name:");
    EXPECT_EQ(sel_registerName(nullptr), nullptr);
    EXPECT_STREQ(sel_getName(nullptr), "<null selector>");
}

TEST(Selector, ThreadsRegisteringTheSameNamesAgree) {
    std::vector<std::vector<SEL>> seen(4);
    std::vector<std::thread> threads;
    for (auto& list : seen) {
        threads.emplace_back([&list] {
            for (int i = 0; i < 200; ++i) {
                list.push_back(sel_registerName(("race" + std::to_string(i) + ":").c_str()));
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const auto& list : seen)
        EXPECT_EQ(list, seen[0]);
    EXPECT_STREQ(sel_getName(seen[0][17]), "race17:");
}
