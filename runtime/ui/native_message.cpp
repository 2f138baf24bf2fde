#include "runtime/ui/native_message.h"

#include "platform/foundation/ns_invocation.h"
#include "platform/foundation/ns_method_signature.h"
#include "platform/foundation/ns_string.h"
#include "platform/objc/message_send.h"
#include "platform/objc/method.h"
#include "platform/objc/objc.h"
#include "runtime/ui/native_message_cache.h"
#include "runtime/ui/native_message_text.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace rt {
namespace {

constexpr int k_simple_call_max_arguments = 4;
constexpr NSStringEncoding k_iso_latin1 = 5;
constexpr std::size_t k_word_size = sizeof(int64_t);

struct Call {
    void* result_buffer;
    id receiver;
    SEL selector;
    Method method;
    // Copied from the parse, which a nested send may replace in the cache.
    TextWidth width;
    std::array<ArgumentKind, NativeMessageMaxPieces> kinds;
    bool simple;
    std::span<const int64_t> values;
};

struct Observer {
    NativeMessageObserver function = nullptr;
    void* context = nullptr;
};
Observer g_observer;

void show_observer(const Call& call, int64_t result) {
    const SentNativeMessage sent{object_getClassName(call.receiver),
                                 sel_getName(call.selector),
                                 call.values,
                                 std::span(call.kinds.data(), call.values.size()),
                                 call.width,
                                 result};
    g_observer.function(sent, g_observer.context);
}

// Each thread parses its own calls, without a lock.
NativeMessageCache& message_cache() {
    thread_local NativeMessageCache cache;
    return cache;
}

SEL selector_of(CachedNativeMessage& message) {
    if (!message.selector) message.selector = sel_registerName(message.text.selector);
    return static_cast<SEL>(message.selector);
}

id object_of(int64_t word) {
    return reinterpret_cast<id>(static_cast<intptr_t>(word));
}

// The receiver of the call: the one given, or the class the first text names.
id resolve_receiver(int64_t given, CachedNativeMessage& message) {
    if (!message.text.has_class_name) return object_of(given);
    if (!message.named_class) message.named_class = objc_lookUpClass(message.text.class_name);
    return reinterpret_cast<id>(message.named_class);
}

// A direct send. Every send passes four values so that the method never reads an argument that
// was not passed; the text's count must match the method's for the call to come here.
int64_t send_simple(const Call& call) {
    std::array<int64_t, k_simple_call_max_arguments> values{};
    std::copy(call.values.begin(), call.values.end(), values.begin());
    id result =
        objc_msgSend(call.receiver, call.selector, values[0], values[1], values[2], values[3]);
    return reinterpret_cast<intptr_t>(result);
}

// A runtime string as a native string, autoreleased as the platform's conversions are.
id native_string(const void* text, TextWidth width) {
    if (width == TextWidth::Bytes) {
        Class string_class = objc_lookUpClass("NSString");
        return msg_send<id>(reinterpret_cast<id>(string_class),
                            "stringWithCString:encoding:", static_cast<const char*>(text),
                            k_iso_latin1);
    }
    return NSString::make(std::u16string_view(static_cast<const char16_t*>(text))).autorelease();
}

// Sets argument i (0-based among the call's arguments). A value narrower than its parameter
// would be read past its slot, so such a call is refused.
bool set_argument(NSInvocation* invocation, const Call& call, int i) {
    const NSInteger index = i + 2;
    const int64_t value = call.values[i];
    const ArgumentKind kind = call.kinds[static_cast<std::size_t>(i)];
    if (index >= static_cast<NSInteger>(invocation->methodSignature()->numberOfArguments()))
        return true;
    if (value == 0 && kind != ArgumentKind::Plain) return true;
    if (kind == ArgumentKind::ByAddress) {
        invocation->setArgument(object_of(value), index);
        return true;
    }
    const Signature& signature = invocation->methodSignature()->signature();
    if (signature.argument(static_cast<std::size_t>(index)).size > k_word_size) return false;
    if (kind == ArgumentKind::Plain) {
        invocation->setArgument(&value, index);
        return true;
    }
    id string = native_string(object_of(value), call.width);
    invocation->setArgument(&string, index);
    return true;
}

int64_t read_result(NSInvocation* invocation, void* result_buffer) {
    const NSUInteger length = invocation->methodSignature()->methodReturnLength();
    if (length == 0) return 0;
    if (result_buffer) {
        invocation->getReturnValue(result_buffer);
        return 0;
    }
    if (length > k_word_size) return 0;
    int64_t result = 0;
    invocation->getReturnValue(&result);
    return result;
}

int64_t send_invocation(const Call& call) {
    NSMethodSignature* signature = NSMethodSignature::signatureWithObjCTypes(
        objc_lookUpClass("NSMethodSignature"), method_getTypeEncoding(call.method));
    if (!signature) return 0;
    ObjcRef<NSInvocation> invocation = make_native<NSInvocation>(signature);
    invocation->setSelector(call.selector);
    for (int i = 0; i < static_cast<int>(call.values.size()); ++i) {
        if (!set_argument(invocation.get(), call, i)) return 0;
    }
    invocation->invokeWithTarget(call.receiver);
    return read_result(invocation.get(), call.result_buffer);
}

// The method's own argument count, receiver and selector left out.
int declared_argument_count(const Signature& signature) {
    return static_cast<int>(signature.argument_count()) - 2;
}

bool can_send_directly(const Call& call, const Signature& signature) {
    return call.simple &&
           declared_argument_count(signature) == static_cast<int>(call.values.size());
}

// A call of a method that has a word entry, given exactly its arguments and none by address, is
// made through the entry once its runtime strings are native strings.
bool can_send_words(const Call& call, const Signature& signature) {
    const auto kinds = std::span(call.kinds.data(), call.values.size());
    return !call.result_buffer && call.method->word_entry &&
           declared_argument_count(signature) == static_cast<int>(call.values.size()) &&
           std::none_of(kinds.begin(), kinds.end(),
                        [](ArgumentKind kind) { return kind == ArgumentKind::ByAddress; });
}

int64_t send_words(const Call& call) {
    std::array<int64_t, k_most_word_arguments> words; // the first values.size() are read
    for (std::size_t i = 0; i < call.values.size(); ++i) {
        const int64_t value = call.values[i];
        const bool converted = call.kinds[i] == ArgumentKind::Text && value != 0;
        words[i] = converted
                       ? reinterpret_cast<intptr_t>(native_string(object_of(value), call.width))
                       : value;
    }
    return call_word_entry(call.method->word_entry, call.receiver, call.selector,
                           std::span(words.data(), call.values.size()));
}

int64_t send(const Call& call) {
    const Signature* signature = method_signature(call.method);
    if (!signature) return 0;
    if (can_send_words(call, *signature)) return send_words(call);
    return can_send_directly(call, *signature) ? send_simple(call) : send_invocation(call);
}

} // namespace

int64_t SendNativeMessageBlock(const int64_t* block) {
    if (!block) return 0;
    void* result_buffer = object_of(block[0]);
    std::array<const void*, NativeMessageMaxPieces> pieces; // the first piece_count are read
    int piece_count = 0;
    for (const int64_t* word = block + 2; *word; ++word) {
        if (piece_count == NativeMessageMaxPieces) return 0;
        pieces[piece_count++] = object_of(*word);
    }
    const NativeMessageRequest request{std::span(pieces.data(), piece_count), block[1] != 0,
                                       result_buffer != nullptr};
    CachedNativeMessage* message = message_cache().parse(request);
    if (!message) return 0;
    const NativeMessageText& text = message->text;
    Call call{result_buffer,
              resolve_receiver(block[1], *message),
              selector_of(*message),
              nullptr,
              text.width,
              {},
              IsSimpleNativeCall(text, result_buffer != nullptr),
              std::span(block + 3 + piece_count, text.argument_count)};
    std::copy(std::begin(text.kinds), std::end(text.kinds), call.kinds.begin());
    if (!call.receiver) return 0;
    call.method = class_getInstanceMethod(object_getClass(call.receiver), call.selector);
    if (!call.method) return 0;
    const int64_t result = send(call);
    if (g_observer.function) show_observer(call, result);
    return result;
}

int64_t SendNativeMessageWords(void* result_buffer, NativeWord receiver,
                               std::span<const NativeWord> texts_and_arguments) {
    // Only the words a block is read at are written, rather than zeroing it all at every send.
    std::array<int64_t, 3 + 2 * NativeMessageMaxArguments> block;
    if (texts_and_arguments.empty() || texts_and_arguments.size() > 2 * NativeMessageMaxArguments)
        return 0;
    const std::size_t pieces = (texts_and_arguments.size() + 1) / 2;
    const std::size_t arguments = texts_and_arguments.size() / 2;
    block[0] = reinterpret_cast<intptr_t>(result_buffer);
    block[1] = receiver.value();
    block[2 + pieces] = 0; // the end of the texts
    // Texts that end in a colon take one argument more than were given: it reads as 0.
    if (3 + pieces + arguments < block.size()) block[3 + pieces + arguments] = 0;
    for (std::size_t i = 0; i < texts_and_arguments.size(); ++i) {
        const bool is_text = i % 2 == 0;
        // A missing text would end the texts early and shift every argument.
        if (is_text && texts_and_arguments[i].value() == 0) return 0;
        block[is_text ? 2 + i / 2 : 3 + pieces + i / 2] = texts_and_arguments[i].value();
    }
    return SendNativeMessageBlock(block.data());
}

void ObserveNativeMessages(NativeMessageObserver observer, void* context) {
    g_observer = {observer, context};
}

} // namespace rt
