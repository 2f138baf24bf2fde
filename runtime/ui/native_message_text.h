#pragma once
// The text layer of sending a native message by name: from the call's texts to a class name, a
// selector, the kind of each argument and the decision whether the call can be sent directly.
// It knows nothing of the object runtime, so it is tested on its own.
//
// A call's first text may start with a class name and a space ("NSUserDefaults
// standardUserDefaults"). The pieces are joined into one selector; a piece's last character may
// mark its argument: "$" a runtime string to convert to a native string, "@" the address of the
// argument's bytes. Texts are UTF-16 runtime strings or 8-bit texts; the second byte of the first
// text tells which (zero: UTF-16), and only the low byte of each unit is used for names.

#include <cstdint>
#include <span>

namespace rt {

inline constexpr int NativeMessageMaxPieces = 8;
inline constexpr int NativeMessageNameCapacity = 256; // 255 characters and the terminator

enum class ArgumentKind : uint8_t {
    Plain,     // the 64-bit value itself
    Text,      // "$": a runtime string, converted to a native string
    ByAddress, // "@": the address of the argument's bytes
};

enum class TextWidth : uint8_t { Utf16, Bytes };

struct NativeMessageText {
    TextWidth width = TextWidth::Utf16;
    bool has_class_name = false;
    char class_name[NativeMessageNameCapacity] = {};
    char selector[NativeMessageNameCapacity] = {};
    int argument_count = 0;
    ArgumentKind kinds[NativeMessageMaxPieces] = {};
    bool any_suffix = false;
};

struct NativeMessageRequest {
    std::span<const void* const> pieces; // one text per argument; one text when there is none
    bool has_receiver = false;
    bool has_result_buffer = false;
};

// Parses the call's texts. False when nothing may be sent: no text, more pieces than the limit,
// or a class name or selector longer than 255 characters.
bool ParseNativeMessage(const NativeMessageRequest& request, NativeMessageText& parsed);

// A simple call is sent directly with the plain values: no result buffer, no suffix, at most four
// arguments. Anything else goes through an invocation.
bool IsSimpleNativeCall(const NativeMessageText& parsed, bool has_result_buffer);

// The width of a call's texts, from its first text.
TextWidth DetectTextWidth(const void* first_text);

} // namespace rt
