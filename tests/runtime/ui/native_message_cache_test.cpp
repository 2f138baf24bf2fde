#include "runtime/ui/native_message_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rt {
namespace {

// The parsed call as "class|selector|argument count", or "none".
std::string sent(const CachedNativeMessage* message) {
    if (!message) return "none";
    return std::string(message->text.class_name) + "|" + message->text.selector + "|" +
           std::to_string(message->text.argument_count);
}

NativeMessageRequest request(const std::vector<const void*>& pieces, bool has_receiver) {
    return {pieces, has_receiver, false};
}

TEST(NativeMessageCache, ParsesTheSameTextsOnceAndAgainWhenChangedInPlace) {
    NativeMessageCache cache;
    const std::vector<const void*> pieces = {u"setInteger:", u"forKey:$"};
    CachedNativeMessage* first = cache.parse(request(pieces, true));
    first->selector = &cache; // what the call layer registers
    CachedNativeMessage* second = cache.parse(request(pieces, true));
    EXPECT_EQ(std::tuple(second, second->selector, sent(second)),
              std::tuple(first, &cache, "|setInteger:forKey:|2"));

    char16_t text[] = u"NSArray array";
    const std::vector<const void*> changing = {text};
    cache.parse(request(changing, false))->selector = &cache;
    text[9] = u'c'; // "NSArray acray": same address, same length
    CachedNativeMessage* after = cache.parse(request(changing, false));
    EXPECT_EQ(std::tuple(sent(after), after->selector), std::tuple("NSArray|acray|0", nullptr));
    text[7] = 0; // shorter: "NSArray"
    EXPECT_EQ(sent(cache.parse(request(changing, false))), "|NSArray|0");
    EXPECT_EQ(cache.parse_count(), 4u);
}

TEST(NativeMessageCache, AnEntryGivenToAnotherTextKeepsNoTraceOfTheTextItHeld) {
    NativeMessageCache cache;
    char16_t text[] = u"NSArray array";
    const std::vector<const void*> changing = {text};
    cache.parse(request(changing, false));
    std::vector<std::u16string> others;
    for (std::size_t i = 1; i < NativeMessageCache::k_entries; ++i)
        others.push_back(u"count" + std::u16string(i, u'x'));
    for (const std::u16string& other : others)
        cache.parse(request({other.c_str()}, true));
    std::u16string_view(u"count").copy(text + 8, 5); // "NSArray count" takes the oldest entry
    EXPECT_EQ(sent(cache.parse(request(changing, false))), "NSArray|count|0");
    std::u16string_view(u"array").copy(text + 8, 5);
    EXPECT_EQ(sent(cache.parse(request(changing, false))), "NSArray|array|0");
}

TEST(NativeMessageCache, TellsCallsApartByReceiverWidthAndAddress) {
    NativeMessageCache cache;
    const std::vector<const void*> wide = {u"NSString string"};
    const std::vector<const void*> narrow = {"NSString string"};
    const std::u16string copy = u"NSString string";
    EXPECT_EQ(sent(cache.parse(request(wide, false))), "NSString|string|0");
    EXPECT_EQ(sent(cache.parse(request(wide, true))), "|NSString string|0");
    EXPECT_EQ(sent(cache.parse(request(narrow, false))), "NSString|string|0");
    EXPECT_EQ(sent(cache.parse(request({copy.c_str()}, false))), "NSString|string|0");
    cache.parse(request(wide, false));
    cache.parse(request(narrow, false));
    EXPECT_EQ(cache.parse_count(), 4u);
}

TEST(NativeMessageCache, ReplacesTheEntryUsedLeastRecentlyAndRemembersNoFailure) {
    NativeMessageCache cache;
    std::vector<std::u16string> texts;
    for (std::size_t i = 0; i <= NativeMessageCache::k_entries; ++i)
        texts.push_back(u"count" + std::u16string(i, u'x'));
    const std::vector<const void*> kept = {texts[0].c_str()};
    for (std::size_t i = 1; i < texts.size(); ++i) {
        cache.parse(request(kept, true)); // stays the most recent
        cache.parse(request({texts[i].c_str()}, true));
    }
    EXPECT_EQ(sent(cache.parse(request(kept, true))), "|count|0");
    EXPECT_EQ(cache.parse_count(), texts.size());
    // The first of the others made room for the last.
    EXPECT_EQ(sent(cache.parse(request({texts[1].c_str()}, true))), "|countx|0");
    EXPECT_EQ(cache.parse_count(), texts.size() + 1);

    const std::string long_name(300, 'a');
    EXPECT_EQ(cache.parse(request({long_name.c_str()}, true)), nullptr);
    EXPECT_EQ(cache.parse(request({long_name.c_str()}, true)), nullptr);
    EXPECT_EQ(cache.parse_count(), texts.size() + 3);
    EXPECT_EQ(cache.parse(request({}, true)), nullptr);
}

} // namespace
} // namespace rt
