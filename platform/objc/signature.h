#pragma once
// A method's calling convention, parsed once from its type encoding, and the invocation core:
// Signature::call runs any IMP through libffi with its argument values given by address. Argument
// 0 is the receiver ('@' or '#') and argument 1 the selector (':'); an encoding that does not
// start its arguments so is malformed. Signatures never change after parsing, so one signature
// may be called from several threads at once.

#include "platform/objc/type_encoding.h"

#include <ffi.h>

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct SignatureType {
    TypeKind kind;
    std::size_t size;
    std::size_t alignment;
    std::string encoding;     // the type's own text, without qualifiers and offsets
    std::string scalar_codes; // the scalar fields of a structure in order ("dddd"); else the code
    ffi_type* ffi;
};

class Signature {
  public:
    // Null when the encoding is malformed or names a type outside the encoding table.
    static std::unique_ptr<Signature> parse(std::string_view encoding);
    // The parsed signature of `encoding`, shared and kept for the life of the process; null when
    // malformed. Each distinct text is parsed once.
    static const Signature* for_encoding(std::string_view encoding);

    Signature(const Signature&) = delete;
    Signature& operator=(const Signature&) = delete;

    const SignatureType& result() const { return m_types.front(); }
    // Includes the receiver and the selector.
    std::size_t argument_count() const { return m_types.size() - 1; }
    const SignatureType& argument(std::size_t index) const { return m_types[index + 1]; }
    bool has_structure_argument() const { return m_has_structure_argument; }

    // An argument frame holds every argument at an aligned offset, then room for the result;
    // it is 16-byte aligned and frame_size() bytes long.
    std::size_t argument_offset(std::size_t index) const { return m_offsets[index]; }
    std::size_t result_offset() const { return m_offsets.back(); }
    std::size_t frame_size() const { return m_frame_size; }
    // At least the result's size; libffi writes whole registers into it.
    std::size_t result_buffer_size() const { return m_frame_size - result_offset(); }

    // Calls `imp` with argument i read from `argument_values[i]` (the address of a value of
    // argument(i)'s type). `result` is 16-byte aligned room of result_buffer_size() bytes, or
    // null for a void result; the result's first result().size bytes are its value.
    void call(IMP imp, void* result, void* const* argument_values) const;

    // True when both have the same number of arguments and each type, result included, is passed
    // the same way (integers of the same size, objects and classes, any two pointers, structures
    // of the same scalar fields).
    bool same_shape(const Signature& other) const;

  private:
    Signature() = default;
    bool add_type(const EncodedLayout& layout);
    ffi_type* ffi_for(const EncodedLayout& layout);
    bool prepare();
    void lay_out_frame();

    std::vector<SignatureType> m_types; // the result, then the arguments
    std::vector<std::size_t> m_offsets; // the arguments, then the result
    std::size_t m_frame_size = 0;
    bool m_has_structure_argument = false;
    std::vector<ffi_type*> m_argument_ffi;
    std::deque<ffi_type> m_structure_ffi;
    std::deque<std::vector<ffi_type*>> m_structure_elements;
    mutable ffi_cif m_cif{};
};

// The scalar codes of a structure's text in field order, names dropped: "{CGRect={CGPoint=dd}
// {CGSize=dd}}" gives "dddd". Empty when the text is not a well-formed structure.
std::string structure_scalar_codes(std::string_view structure_text);

// True when a value of `kind` and `size` (with `scalar_codes` for a structure) is passed the way
// `declared` is, in the sense of Signature::same_shape.
bool passed_alike(const SignatureType& declared, TypeKind kind, std::size_t size,
                  std::string_view scalar_codes);
