#pragma once
// Sending a message of the platform's object runtime by name: a class name and a selector in
// ordinary text, up to eight arguments, the result as a 64-bit integer or copied into a buffer.
//
//     int64_t defaults = SendNativeMessage(nullptr, 0, u"NSUserDefaults standardUserDefaults");
//     SendNativeMessage(nullptr, defaults, u"setInteger:", 5, u"forKey:$", u"ShowTime");
//     SendNativeMessage(version, process_info, u"operatingSystemVersion");
//
// After the result buffer and the receiver come the texts and the arguments, alternating: one
// text when there is no argument, else a text before each argument. The text layer
// (native_message_text.h) says how the texts become a class, a selector and argument kinds.
//
// Without a result buffer the result is the method's integer or object result, or its result of
// at most 8 bytes zero-extended (a floating-point value as its bit pattern); methods with larger
// results need a buffer with room for the whole result, and the call then gives 0. Nothing is sent
// and the result is 0 for an unknown class, a receiver 0 without a class name, a selector the
// receiver does not implement, texts beyond the name limits, and a plain or "$" argument for a
// parameter wider than 8 bytes (such values go by address, with "@").

#include "runtime/core/rt_string.h"
#include "runtime/ui/native_message_text.h"

#include <concepts>
#include <cstdint>
#include <span>

namespace rt {

// One 64-bit word of a call: an integer, a boolean, an address, an object or a text. Floating-
// point values are not words; pass their address with an "@" piece.
class NativeWord {
  public:
    template <std::integral T>
    constexpr NativeWord(T value) : m_value(static_cast<int64_t>(value)) {}
    template <class T>
    requires std::is_enum_v<T>
    constexpr NativeWord(T value) : m_value(static_cast<int64_t>(value)) {}
    NativeWord(std::nullptr_t) {}
    NativeWord(const void* address) : m_value(reinterpret_cast<intptr_t>(address)) {}
    // The string's units stay where they are for the length of the call.
    NativeWord(const String& text) : m_value(reinterpret_cast<intptr_t>(text.c_str())) {}
    NativeWord(double) = delete;
    NativeWord(float) = delete;

    constexpr int64_t value() const { return m_value; }

  private:
    int64_t m_value = 0;
};

inline constexpr int NativeMessageMaxArguments = 8;

// The common core. `block` is laid out as word 0 the result buffer (or 0), word 1 the receiver
// (or 0), then one word per text, a 0 word, then one word per argument.
int64_t SendNativeMessageBlock(const int64_t* block);

// Packs the alternating texts and arguments into a block and sends it.
int64_t SendNativeMessageWords(void* result_buffer, NativeWord receiver,
                               std::span<const NativeWord> texts_and_arguments);

// The nine forms: (result buffer, receiver, text), and (result buffer, receiver, text 1,
// argument 1, ..., text n, argument n) for n from 1 to 8.
template <class... Words>
requires(sizeof...(Words) == 1 ||
         (sizeof...(Words) % 2 == 0 && sizeof...(Words) <= 2 * NativeMessageMaxArguments)) int64_t
    SendNativeMessage(void* result_buffer, NativeWord receiver, Words... words) {
    const NativeWord all[] = {NativeWord(words)...};
    return SendNativeMessageWords(result_buffer, receiver, all);
}

// One message as it was sent, shown to the observer after the method returned. Everything it
// points at is borrowed for the length of the observer call.
struct SentNativeMessage {
    const char* class_name;   // the receiver's class; a class receiver's own name
    const char* selector;
    std::span<const int64_t> arguments;
    std::span<const ArgumentKind> kinds; // one per argument
    TextWidth width;                     // of the "$" arguments' runtime strings
    int64_t result;                      // as the caller receives it
};
using NativeMessageObserver = void (*)(const SentNativeMessage& message, void* context);

// Shows every message this process sends from now on to `observer` (null: to nobody), with
// `context`. Messages that are not sent (see above) are not shown. For tracing and tests; one
// observer at a time.
void ObserveNativeMessages(NativeMessageObserver observer, void* context);

} // namespace rt
