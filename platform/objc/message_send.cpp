#include "platform/objc/message_send.h"

#include "platform/foundation/problem_report.h"
#include "platform/objc/argument_frame.h"
#include "platform/objc/method.h"

#include <array>
#include <cassert>
#include <cstdarg>
#include <string>

namespace {

template <class T>
void store(void* slot, T value) {
    std::memcpy(slot, &value, sizeof value);
}

void store_integer(void* slot, long long value, std::size_t size) {
    switch (size) {
    case 1:
        store(slot, static_cast<std::uint8_t>(value));
        break;
    case 2:
        store(slot, static_cast<std::uint16_t>(value));
        break;
    case 4:
        store(slot, static_cast<std::uint32_t>(value));
        break;
    default:
        store(slot, value);
        break;
    }
}

bool is_integer(TypeKind kind) {
    return kind == TypeKind::SignedInteger || kind == TypeKind::UnsignedInteger ||
           kind == TypeKind::Boolean;
}

void read_variadic(std::va_list& list, const SignatureType& type, void* slot) {
    if (is_integer(type.kind) && type.size == sizeof(long long)) {
        store(slot, va_arg(list, long long));
    } else if (is_integer(type.kind)) {
        store_integer(slot, va_arg(list, int), type.size);
    } else if (type.kind == TypeKind::Float) {
        store(slot, static_cast<float>(va_arg(list, double)));
    } else if (type.kind == TypeKind::Double) {
        store(slot, va_arg(list, double));
    } else {
        store(slot, va_arg(list, void*));
    }
}

template <class T>
T load(const void* result) {
    T value;
    std::memcpy(&value, result, sizeof value);
    return value;
}

std::intptr_t signed_result(const void* result, std::size_t size) {
    switch (size) {
    case 1:
        return load<std::int8_t>(result);
    case 2:
        return load<std::int16_t>(result);
    case 4:
        return load<std::int32_t>(result);
    default:
        return static_cast<std::intptr_t>(load<std::int64_t>(result));
    }
}

std::uintptr_t unsigned_result(const void* result, std::size_t size) {
    switch (size) {
    case 1:
        return load<std::uint8_t>(result);
    case 2:
        return load<std::uint16_t>(result);
    case 4:
        return load<std::uint32_t>(result);
    default:
        return static_cast<std::uintptr_t>(load<std::uint64_t>(result));
    }
}

bool holds_a_pointer(TypeKind kind) {
    return kind == TypeKind::CString || kind == TypeKind::Object || kind == TypeKind::Class ||
           kind == TypeKind::Selector || kind == TypeKind::Pointer;
}

id result_as_object(const SignatureType& type, const void* result) {
    switch (type.kind) {
    case TypeKind::SignedInteger:
        return reinterpret_cast<id>(signed_result(result, type.size));
    case TypeKind::UnsignedInteger:
    case TypeKind::Boolean:
        return reinterpret_cast<id>(unsigned_result(result, type.size));
    default:
        return holds_a_pointer(type.kind) ? load<id>(result) : nil;
    }
}

bool shape_passes_as(const SignatureType& declared, const TypeShape& shape) {
    if (shape.null_pointer) return holds_a_pointer(declared.kind);
    std::string codes =
        shape.kind == TypeKind::Structure ? structure_scalar_codes(shape.structure) : std::string();
    return passed_alike(declared, shape.kind, shape.size, codes);
}

} // namespace

ResolvedMethod resolve_method(id receiver, SEL selector) {
    Class cls = object_getClass(receiver);
    if (!cls || !selector) return {};
    Method method = cls->find_method(selector);
    const Signature* signature = method_signature(method);
    if (!signature) return {};
    return {method->implementation, signature, method->implementation_type, method->word_entry};
}

std::int64_t call_word_entry(IMP word_entry, id receiver, SEL selector,
                             std::span<const std::int64_t> words) {
    // Each case casts the entry back to the type it was made with.
    using Word = std::int64_t;
    switch (words.size()) {
    case 0:
        return reinterpret_cast<Word (*)(id, SEL)>(word_entry)(receiver, selector);
    case 1:
        return reinterpret_cast<Word (*)(id, SEL, Word)>(word_entry)(receiver, selector, words[0]);
    case 2:
        return reinterpret_cast<Word (*)(id, SEL, Word, Word)>(word_entry)(receiver, selector,
                                                                           words[0], words[1]);
    case 3:
        return reinterpret_cast<Word (*)(id, SEL, Word, Word, Word)>(word_entry)(
            receiver, selector, words[0], words[1], words[2]);
    default:
        return reinterpret_cast<Word (*)(id, SEL, Word, Word, Word, Word)>(word_entry)(
            receiver, selector, words[0], words[1], words[2], words[3]);
    }
}

bool check_typed_send(SEL selector, const Signature& signature, std::span<const TypeShape> shapes) {
    bool matches = shapes.size() == signature.argument_count() + 1 &&
                   shape_passes_as(signature.result(), shapes[0]);
    for (std::size_t i = 1; matches && i < shapes.size(); ++i) {
        matches = shape_passes_as(signature.argument(i - 1), shapes[i]);
    }
    if (matches) return true;
    say_line({"msg_send: the C++ types of -", sel_getName(selector), " do not match its encoding"});
    assert(!"msg_send: the C++ types do not match the method's encoding");
    return false;
}

namespace {

id send_words(const ResolvedMethod& method, id self, SEL op, std::va_list& list) {
    std::array<std::int64_t, k_most_word_arguments> words{};
    const std::size_t count = method.signature->argument_count() - 2;
    for (std::size_t i = 0; i < count; ++i)
        words[i] = va_arg(list, long long);
    return reinterpret_cast<id>(
        call_word_entry(method.word_entry, self, op, std::span(words.data(), count)));
}

id send_through_frame(const ResolvedMethod& method, id self, SEL op, std::va_list& list) {
    const Signature& signature = *method.signature;
    ArgumentFrame frame(signature, FrameStart::Uninitialized);
    store(frame.argument(0), self);
    store(frame.argument(1), op);
    for (std::size_t i = 2; i < signature.argument_count(); ++i) {
        read_variadic(list, signature.argument(i), frame.argument(i));
    }
    frame.invoke(method.imp);
    return result_as_object(signature.result(), frame.result());
}

} // namespace

id objc_msgSend(id self, SEL op, ...) {
    ResolvedMethod method = resolve_method(self, op);
    if (!method.signature || method.signature->has_structure_argument()) return nil;
    std::va_list list;
    va_start(list, op);
    const id result = method.word_entry ? send_words(method, self, op, list)
                                        : send_through_frame(method, self, op, list);
    va_end(list);
    return result;
}
