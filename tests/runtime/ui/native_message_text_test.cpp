#include "runtime/ui/native_message_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rt {
namespace {

// What a parse found, as "class|selector|argument kinds|simple" (kinds: p plain, t text, a by
// address; simple: "s" when the call needs no invocation), or "refused".
std::string parsed_text(const std::vector<const void*>& pieces, bool has_receiver,
                        bool has_buffer = false) {
    NativeMessageText parsed;
    if (!ParseNativeMessage({pieces, has_receiver, has_buffer}, parsed)) return "refused";
    std::string kinds;
    for (int i = 0; i < parsed.argument_count; ++i)
        kinds += "pta"[static_cast<int>(parsed.kinds[i])];
    return std::string(parsed.class_name) + "|" + parsed.selector + "|" + kinds + "|" +
           (IsSimpleNativeCall(parsed, has_buffer) ? "s" : "");
}

TEST(NativeMessageText, ParsesClassNamesSelectorsAndArgumentKinds) {
    const struct {
        std::vector<std::u16string> pieces;
        bool has_receiver, has_buffer;
        const char* expected;
    } cases[] = {
        {{u"NSUserDefaults standardUserDefaults"},
         false,
         false,
         "NSUserDefaults|standardUserDefaults||s"},
        {{u"setInteger:", u"forKey:$"}, true, false, "|setInteger:forKey:|pt|"},
        {{u"statusItemWithLength:"}, true, false, "|statusItemWithLength:|p|s"},
        {{u"operatingSystemVersion"}, true, true, "|operatingSystemVersion||"},
        {{u"setLength:@"}, true, false, "|setLength:|a|"},
        {{u"NSString stringWithString:$"}, false, false, "NSString|stringWithString:|t|"},
        {{u"count"}, false, false, "|count||s"}, // no space: no class to send to
        {{u"odd$"}, true, false, "|odd$||s"},    // no argument: the suffix is part of the name
        {{u"a b:"}, true, false, "|a b:|p|s"},   // with a receiver a space is in the selector
        {{u"a:", u"b:", u"c:", u"d:", u"e:"}, true, false, "|a:b:c:d:e:|ppppp|"},
        {{u"a:", u"b:", u"c:", u"d:"}, true, false, "|a:b:c:d:|pppp|s"},
        {{u"set:", u"done"}, true, false, "|set:done|p|s"}, // one argument, as the pieces say
    };
    for (const auto& c : cases) {
        std::vector<const void*> pieces;
        for (const auto& piece : c.pieces)
            pieces.push_back(piece.c_str());
        EXPECT_EQ(parsed_text(pieces, c.has_receiver, c.has_buffer), c.expected);
    }
}

TEST(NativeMessageText, EightBitTextsAndTheLowByteOfUtf16Units) {
    EXPECT_EQ(parsed_text({"NSProcessInfo processInfo"}, false), "NSProcessInfo|processInfo||s");
    EXPECT_EQ(parsed_text({"setInteger:", "forKey:$"}, true), "|setInteger:forKey:|pt|");
    EXPECT_EQ(parsed_text({u"b\u0141:"}, true), "|bA:|p|s");
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
    const std::vector<const void*> refused[] = {{long_piece.c_str(), long_piece.c_str()},
                                                std::vector<const void*>(9, piece.c_str()),
                                                {},
                                                {nullptr},
                                                {u""}};
    for (const auto& pieces : refused)
        EXPECT_EQ(parsed_text(pieces, true), "refused") << &pieces - refused;
    EXPECT_EQ(parsed_text({long_class.c_str()}, false), "refused");
    EXPECT_EQ(parsed_text({fits.c_str()}, false), std::string(255, 'C') + "|alloc||s");
    EXPECT_NE(parsed_text(std::vector<const void*>(8, piece.c_str()), true), "refused");
}

} // namespace
} // namespace rt
