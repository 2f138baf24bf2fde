#include "runtime/ui/native_message_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rt {
namespace {

struct Parsed {
    bool ok;
    std::string class_name;
    std::string selector;
    int argument_count;
    std::string kinds; // one letter per argument: p plain, t text, a by address
    bool simple;
};

std::string kinds_of(const NativeMessageText& parsed) {
    std::string letters;
    for (int i = 0; i < parsed.argument_count; ++i)
        letters += "pta"[static_cast<int>(parsed.kinds[i])];
    return letters;
}

Parsed parse(const std::vector<const void*>& pieces, bool has_receiver, bool has_buffer = false) {
    NativeMessageText parsed;
    NativeMessageRequest request{pieces, has_receiver, has_buffer};
    const bool ok = ParseNativeMessage(request, parsed);
    return {ok,
            parsed.class_name,
            parsed.selector,
            parsed.argument_count,
            kinds_of(parsed),
            IsSimpleNativeCall(parsed, has_buffer)};
}

struct MessageTextCase {
    std::vector<std::u16string> pieces;
    bool has_receiver;
    bool has_buffer;
    Parsed expected;
};

TEST(NativeMessageText, ParsesClassNamesSelectorsAndArgumentKinds) {
    const MessageTextCase cases[] = {
        {{u"NSUserDefaults standardUserDefaults"},
         false,
         false,
         {true, "NSUserDefaults", "standardUserDefaults", 0, "", true}},
        {{u"setInteger:", u"forKey:$"},
         true,
         false,
         {true, "", "setInteger:forKey:", 2, "pt", false}},
        {{u"statusItemWithLength:"},
         true,
         false,
         {true, "", "statusItemWithLength:", 1, "p", true}},
        {{u"operatingSystemVersion"},
         true,
         true,
         {true, "", "operatingSystemVersion", 0, "", false}},
        {{u"setLength:@"}, true, false, {true, "", "setLength:", 1, "a", false}},
        {{u"NSString stringWithString:$"},
         false,
         false,
         {true, "NSString", "stringWithString:", 1, "t", false}},
        // No space: the whole text is the selector and there is no class to send to.
        {{u"count"}, false, false, {true, "", "count", 0, "", true}},
        // A lone piece that takes no argument keeps its suffix as part of the name.
        {{u"odd$"}, true, false, {true, "", "odd$", 0, "", true}},
        // A receiver given: a space belongs to the selector.
        {{u"a b:"}, true, false, {true, "", "a b:", 1, "p", true}},
        {{u"a:", u"b:", u"c:", u"d:", u"e:"},
         true,
         false,
         {true, "", "a:b:c:d:e:", 5, "ppppp", false}},
        {{u"a:", u"b:", u"c:", u"d:"}, true, false, {true, "", "a:b:c:d:", 4, "pppp", true}},
        // Two pieces without a final colon take one argument, as the piece count says.
        {{u"set:", u"done"}, true, false, {true, "", "set:done", 1, "p", true}},
    };
    for (const MessageTextCase& c : cases) {
        std::vector<const void*> pieces;
        for (const auto& piece : c.pieces)
            pieces.push_back(piece.c_str());
        const Parsed got = parse(pieces, c.has_receiver, c.has_buffer);
        EXPECT_EQ(got.ok, c.expected.ok) << c.expected.selector;
        EXPECT_EQ(got.class_name, c.expected.class_name) << c.expected.selector;
        EXPECT_EQ(got.selector, c.expected.selector);
        EXPECT_EQ(got.argument_count, c.expected.argument_count) << c.expected.selector;
        EXPECT_EQ(got.kinds, c.expected.kinds) << c.expected.selector;
        EXPECT_EQ(got.simple, c.expected.simple) << c.expected.selector;
    }
}

TEST(NativeMessageText, EightBitTextsAndTheLowByteOfUtf16Units) {
    const Parsed got = parse({"NSProcessInfo processInfo"}, false);
    EXPECT_EQ(got.class_name + "|" + got.selector, "NSProcessInfo|processInfo");
    const Parsed pair = parse({"setInteger:", "forKey:$"}, true);
    EXPECT_EQ(pair.selector, "setInteger:forKey:");
    EXPECT_EQ(pair.kinds, "pt");
    EXPECT_EQ(parse({u"b\u0141:"}, true).selector, "bA:");
    EXPECT_EQ(DetectTextWidth(u"ab"), TextWidth::Utf16);
    EXPECT_EQ(DetectTextWidth("ab"), TextWidth::Bytes);
    EXPECT_EQ(DetectTextWidth(u""), TextWidth::Utf16);
    EXPECT_EQ(DetectTextWidth(nullptr), TextWidth::Utf16);
}

TEST(NativeMessageText, RefusesNamesPastTheBufferTooManyPiecesAndEmptyCalls) {
    const std::u16string long_class = std::u16string(256, u'C') + u" alloc";
    const std::u16string fits = std::u16string(255, u'C') + u" alloc";
    const std::u16string long_piece = std::u16string(200, u'x') + u":";
    const std::u16string piece = u"p:";
    struct Row {
        const char* what;
        std::vector<const void*> pieces;
        bool ok;
        bool has_receiver = true;
    };
    const Row rows[] = {
        {"a class name of 256", {long_class.c_str()}, false, false},
        {"a class name of 255", {fits.c_str()}, true, false},
        {"a selector past the buffer", {long_piece.c_str(), long_piece.c_str()}, false},
        {"nine pieces", std::vector<const void*>(9, piece.c_str()), false},
        {"eight pieces", std::vector<const void*>(8, piece.c_str()), true},
        {"no piece", {}, false},
        {"a null piece", {nullptr}, false},
        {"an empty piece", {u""}, false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(parse(row.pieces, row.has_receiver).ok, row.ok) << row.what;
    EXPECT_EQ(parse({fits.c_str()}, false).class_name.size(), 255u);
}

} // namespace
} // namespace rt
