#include "platform/objc/signature.h"

#include "platform/objc/text_hash.h"

#include <cstring>
#include <functional>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

namespace {

constexpr std::size_t k_slot_alignment = 8;
constexpr std::size_t k_result_alignment = 16;
constexpr std::size_t k_minimum_result_room = 16;

std::size_t align_up(std::size_t value, std::size_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

void append_scalar_codes(std::string& codes, const EncodedLayout& layout) {
    if (layout.scalar) {
        codes += layout.scalar->code;
        return;
    }
    for_each_structure_field(
        layout.text, [&](const EncodedLayout& field) { append_scalar_codes(codes, field); });
}

enum class PassingClass { Integer, Float, Double, Void, Object, Selector, Pointer, Structure };

PassingClass passing_class(TypeKind kind) {
    switch (kind) {
    case TypeKind::SignedInteger:
    case TypeKind::UnsignedInteger:
    case TypeKind::Boolean:
        return PassingClass::Integer;
    case TypeKind::Float:
        return PassingClass::Float;
    case TypeKind::Double:
        return PassingClass::Double;
    case TypeKind::Void:
        return PassingClass::Void;
    case TypeKind::Object:
    case TypeKind::Class:
        return PassingClass::Object;
    case TypeKind::Selector:
        return PassingClass::Selector;
    case TypeKind::CString:
    case TypeKind::Pointer:
        return PassingClass::Pointer;
    case TypeKind::Structure:
        return PassingClass::Structure;
    }
    return PassingClass::Void;
}

bool is_narrow_integer(const SignatureType& type) {
    return passing_class(type.kind) == PassingClass::Integer && type.size < sizeof(ffi_arg);
}

// libffi widens integer results to a whole ffi_arg; keep the value's own width.
void store_narrow(void* result, ffi_arg wide, std::size_t size) {
    if (size == 1) {
        auto value = static_cast<std::uint8_t>(wide);
        std::memcpy(result, &value, size);
    } else if (size == 2) {
        auto value = static_cast<std::uint16_t>(wide);
        std::memcpy(result, &value, size);
    } else {
        auto value = static_cast<std::uint32_t>(wide);
        std::memcpy(result, &value, size);
    }
}

bool starts_like_a_method(const std::vector<SignatureType>& types) {
    if (types.size() < 3) return false;
    PassingClass receiver = passing_class(types[1].kind);
    return receiver == PassingClass::Object && types[2].kind == TypeKind::Selector;
}

struct SignatureCache {
    std::shared_mutex lock;
    std::unordered_map<std::string, std::unique_ptr<Signature>, TextHash, std::equal_to<>> entries;
};

SignatureCache& signature_cache() {
    static auto* cache = new SignatureCache;
    return *cache;
}

} // namespace

std::unique_ptr<Signature> Signature::parse(std::string_view encoding) {
    std::unique_ptr<Signature> signature(new Signature);
    std::string_view rest = encoding;
    while (!rest.empty()) {
        std::optional<EncodedLayout> layout = read_encoded_type(rest);
        if (!layout || !signature->add_type(*layout)) return nullptr;
    }
    if (!starts_like_a_method(signature->m_types) || !signature->prepare()) return nullptr;
    signature->lay_out_frame();
    return signature;
}

const Signature* Signature::for_encoding(std::string_view encoding) {
    SignatureCache& cache = signature_cache();
    {
        std::shared_lock lock(cache.lock);
        auto found = cache.entries.find(encoding);
        if (found != cache.entries.end()) return found->second.get();
    }
    std::unique_ptr<Signature> parsed = parse(encoding);
    std::unique_lock lock(cache.lock);
    auto [entry, inserted] = cache.entries.try_emplace(std::string(encoding), std::move(parsed));
    return entry->second.get();
}

bool Signature::add_type(const EncodedLayout& layout) {
    bool is_argument = !m_types.empty();
    if (is_argument && layout.kind == TypeKind::Void) return false;
    std::string codes;
    append_scalar_codes(codes, layout);
    m_types.push_back({layout.kind, layout.size, layout.alignment, std::string(layout.text),
                       std::move(codes), ffi_for(layout)});
    if (is_argument) m_argument_ffi.push_back(m_types.back().ffi);
    if (is_argument && layout.kind == TypeKind::Structure) m_has_structure_argument = true;
    return true;
}

ffi_type* Signature::ffi_for(const EncodedLayout& layout) {
    if (layout.scalar) return layout.scalar->ffi;
    std::vector<ffi_type*>& elements = m_structure_elements.emplace_back();
    for_each_structure_field(
        layout.text, [&](const EncodedLayout& field) { elements.push_back(ffi_for(field)); });
    elements.push_back(nullptr);
    ffi_type& type = m_structure_ffi.emplace_back();
    type.size = 0;
    type.alignment = 0;
    type.type = FFI_TYPE_STRUCT;
    type.elements = elements.data();
    return &type;
}

// libffi lays structures out itself; a disagreement with the encoding grammar would corrupt
// every call, so it makes the signature malformed instead.
bool Signature::prepare() {
    ffi_status status =
        ffi_prep_cif(&m_cif, FFI_DEFAULT_ABI, static_cast<unsigned>(m_argument_ffi.size()),
                     m_types.front().ffi, m_argument_ffi.data());
    if (status != FFI_OK) return false;
    for (const SignatureType& type : m_types) {
        if (type.kind != TypeKind::Structure) continue;
        if (type.ffi->size != type.size || type.ffi->alignment != type.alignment) return false;
    }
    return true;
}

void Signature::lay_out_frame() {
    std::size_t offset = 0;
    for (std::size_t i = 0; i < argument_count(); ++i) {
        offset = align_up(offset, std::max(argument(i).alignment, k_slot_alignment));
        m_offsets.push_back(offset);
        offset += argument(i).size;
    }
    offset = align_up(offset, k_result_alignment);
    m_offsets.push_back(offset);
    std::size_t result_room = std::max(result().size, k_minimum_result_room);
    m_frame_size = offset + align_up(result_room, k_result_alignment);
}

void Signature::call(IMP imp, void* result_buffer, void* const* argument_values) const {
    auto** values = const_cast<void**>(argument_values);
    if (is_narrow_integer(result())) {
        ffi_arg wide = 0;
        ffi_call(&m_cif, imp, &wide, values);
        store_narrow(result_buffer, wide, result().size);
        return;
    }
    alignas(k_result_alignment) std::byte ignored[k_minimum_result_room];
    ffi_call(&m_cif, imp, result_buffer ? result_buffer : ignored, values);
}

bool Signature::same_shape(const Signature& other) const {
    if (this == &other) return true;
    if (m_types.size() != other.m_types.size()) return false;
    for (std::size_t i = 0; i < m_types.size(); ++i) {
        const SignatureType& theirs = other.m_types[i];
        if (!passed_alike(m_types[i], theirs.kind, theirs.size, theirs.scalar_codes)) return false;
    }
    return true;
}

std::string structure_scalar_codes(std::string_view structure_text) {
    std::optional<EncodedLayout> layout = encoded_layout(structure_text);
    if (!layout || layout->kind != TypeKind::Structure) return {};
    std::string codes;
    append_scalar_codes(codes, *layout);
    return codes;
}

bool passed_alike(const SignatureType& declared, TypeKind kind, std::size_t size,
                  std::string_view scalar_codes) {
    if (passing_class(declared.kind) != passing_class(kind) || declared.size != size) return false;
    return kind != TypeKind::Structure || declared.scalar_codes == scalar_codes;
}
