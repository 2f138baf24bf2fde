#include "runtime/ui/native_message_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rt {
namespace {

struct Sent {
    std::string class_name;
    std::string selector;
    int argument_count;
};

Sent sent(const CachedNativeMessage* message) {
    if (!message) return {"(none)", "(none)", -1};
    return {message->text.class_name, message->text.selector, message->text.argument_count};
}

void expect_sent(const CachedNativeMessage* message, const Sent& expected) {
    const Sent actual = sent(message);
    EXPECT_EQ(actual.class_name, expected.class_name);
    EXPECT_EQ(actual.selector, expected.selector);
    EXPECT_EQ(actual.argument_count, expected.argument_count);
}

NativeMessageRequest request(const std::vector<const void*>& pieces, bool has_receiver) {
    return {pieces, has_receiver, false};
}

TEST(NativeMessageCache, ParsesTheSameTextsOnce) {
    NativeMessageCache cache;
    const std::vector<const void*> pieces = {u"setInteger:", u"forKey:$"};
    CachedNativeMessage* first = cache.parse(request(pieces, true));
    first->selector = &cache; // what the call layer registers
    CachedNativeMessage* second = cache.parse(request(pieces, true));
    EXPECT_EQ(cache.parse_count(), 1u);
    EXPECT_EQ(second, first);
    EXPECT_EQ(second->selector, &cache);
    expect_sent(second, {"", "setInteger:forKey:", 2});
}

TEST(NativeMessageCache, ParsesATextChangedInPlaceAnew) {
    NativeMessageCache cache;
    char16_t text[] = u"NSArray array";
    const std::vector<const void*> pieces = {text};
    CachedNativeMessage* before = cache.parse(request(pieces, false));
    before->selector = &cache;
    expect_sent(before, {"NSArray", "array", 0});
    text[9] = u'c'; // "NSArray acray": same address, same length
    CachedNativeMessage* after = cache.parse(request(pieces, false));
    EXPECT_EQ(cache.parse_count(), 2u);
    expect_sent(after, {"NSArray", "acray", 0});
    EXPECT_EQ(after->selector, nullptr);
    text[7] = 0; // shorter: "NSArray"
    expect_sent(cache.parse(request(pieces, false)), {"", "NSArray", 0});
    EXPECT_EQ(cache.parse_count(), 3u);
}

TEST(NativeMessageCache, TellsCallsApartByReceiverWidthAndAddress) {
    NativeMessageCache cache;
    const std::vector<const void*> wide = {u"NSString string"};
    const std::vector<const void*> narrow = {"NSString string"};
    expect_sent(cache.parse(request(wide, false)), {"NSString", "string", 0});
    // With a receiver the whole text is the selector.
    expect_sent(cache.parse(request(wide, true)), {"", "NSString string", 0});
    expect_sent(cache.parse(request(narrow, false)), {"NSString", "string", 0});
    // Equal contents at another address are parsed as a call of their own.
    const std::u16string copy = u"NSString string";
    expect_sent(cache.parse(request({copy.c_str()}, false)), {"NSString", "string", 0});
    EXPECT_EQ(cache.parse_count(), 4u);
    cache.parse(request(wide, false));
    cache.parse(request(narrow, false));
    EXPECT_EQ(cache.parse_count(), 4u);
}

TEST(NativeMessageCache, ReplacesTheEntryUsedLeastRecently) {
    NativeMessageCache cache;
    std::vector<std::u16string> texts;
    for (std::size_t i = 0; i <= NativeMessageCache::k_entries; ++i)
        texts.push_back(u"count" + std::u16string(i, u'x'));
    const std::vector<const void*> kept = {texts[0].c_str()};
    for (std::size_t i = 1; i < texts.size(); ++i) {
        cache.parse(request(kept, true)); // stays the most recent
        cache.parse(request({texts[i].c_str()}, true));
    }
    EXPECT_EQ(cache.parse_count(), texts.size());
    expect_sent(cache.parse(request(kept, true)), {"", "count", 0});
    EXPECT_EQ(cache.parse_count(), texts.size());
    // The first of the others made room for the last.
    expect_sent(cache.parse(request({texts[1].c_str()}, true)), {"", "countx", 0});
    EXPECT_EQ(cache.parse_count(), texts.size() + 1);
}

TEST(NativeMessageCache, RemembersNoFailure) {
    NativeMessageCache cache;
    const std::string long_name(300, 'a');
    const std::vector<const void*> too_long = {long_name.c_str()};
    EXPECT_EQ(cache.parse(request(too_long, true)), nullptr);
    EXPECT_EQ(cache.parse(request(too_long, true)), nullptr);
    EXPECT_EQ(cache.parse_count(), 2u);
    EXPECT_EQ(cache.parse(request({}, true)), nullptr);
}

} // namespace
} // namespace rt
