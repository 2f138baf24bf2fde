#pragma once
// Message sending. Both forms look the method up in the receiver's class (a class receiver's
// metaclass holds its class methods) and call it through the method's parsed signature and libffi.
// A nil receiver, a null selector, a selector that the class does not implement or a method with
// a malformed encoding sends nothing and gives 0 (nil, NO, 0.0, a zeroed structure).
//
// objc_msgSend is the C entry. Here it cannot be a register-preserving trampoline, so it is a
// variadic function that reads its arguments with C's default promotions: integers narrower than
// int arrive as int, float as double, 64-bit integers as long long. On this ABI every variadic
// argument fills one 64-bit slot, so a 64-bit value passed for a narrower parameter is read from
// its low bytes. Its result is the method's integer or pointer result as an id (sign- or
// zero-extended), nil for void, floating-point and structure results. A method taking a
// structure is not called at all; such calls go through NSInvocation or msg_send.
//
// msg_send<R>(receiver, selector, arguments...) is the typed form for C++ code. It checks that R
// and the argument types are passed the way the method's encoding says (see
// Signature::same_shape); a mismatch is a programming error that asserts in debug builds and
// sends nothing otherwise. Pass arguments of the declared width: NSInteger{5}, not 5, for 'q'.

#include "platform/objc/cpp_encoding.h"
#include "platform/objc/objc_class.h"
#include "platform/objc/selector.h"
#include "platform/objc/signature.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <span>
#include <type_traits>

extern "C" id objc_msgSend(id self, SEL op, ...);

// The implementation a receiver runs for a selector, with its parsed signature; both null when
// nothing can be sent.
struct ResolvedMethod {
    IMP imp = nullptr;
    const Signature* signature = nullptr;
    // implementation_type_of the IMP's C++ type, when known.
    const void* implementation_type = nullptr;
    // The method's word entry (method.h), or null.
    IMP word_entry = nullptr;
};

ResolvedMethod resolve_method(id receiver, SEL selector);

// Calls a word entry with `words`, the arguments after the selector, as many as it takes.
std::int64_t call_word_entry(IMP word_entry, id receiver, SEL selector,
                             std::span<const std::int64_t> words);

// True when C++ values of `shapes` (the result, then every argument, receiver and selector
// included) are passed as `signature` declares. Reports a mismatch (asserting in debug builds).
bool check_typed_send(SEL selector, const Signature& signature, std::span<const TypeShape> shapes);

template <class R = id, class... A>
R msg_send(id receiver, SEL selector, A... arguments) {
    static constexpr TypeShape k_shapes[] = {type_shape<R>(), type_shape<id>(), type_shape<SEL>(),
                                             type_shape<A>()...};
    // The last signature this instantiation was checked against, so repeated sends skip the check.
    static std::atomic<const Signature*> s_checked{nullptr};
    ResolvedMethod method = resolve_method(receiver, selector);
    if (!method.signature) return R();
    // A native method of exactly these C++ types is called as the function it is.
    using Direct = R (*)(id, SEL, A...);
    if (method.implementation_type == implementation_type_of<Direct>()) {
        return reinterpret_cast<Direct>(method.imp)(receiver, selector, arguments...);
    }
    if (s_checked.load(std::memory_order_relaxed) != method.signature) {
        if (!check_typed_send(selector, *method.signature, k_shapes)) return R();
        s_checked.store(method.signature, std::memory_order_relaxed);
    }
    void* values[] = {&receiver, &selector, static_cast<void*>(&arguments)...};
    if constexpr (std::is_void_v<R>) {
        method.signature->call(method.imp, nullptr, values);
    } else {
        alignas(16) std::byte result[(std::max(sizeof(R), std::size_t{16}) + 15) / 16 * 16];
        method.signature->call(method.imp, result, values);
        R value;
        std::memcpy(&value, result, sizeof(R));
        return value;
    }
}

template <class R = id, class... A>
R msg_send(id receiver, const char* selector, A... arguments) {
    return msg_send<R, A...>(receiver, sel_registerName(selector), arguments...);
}
