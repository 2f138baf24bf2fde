#pragma once
// Storage for one call of a signature: every argument at its offset, the table of their addresses
// that libffi reads, and the result. Small frames live inside the object, larger ones on the heap,
// so a message send of a few scalar arguments allocates nothing.

#include "platform/objc/signature.h"

#include <array>
#include <memory>

enum class FrameStart {
    Zeroed,        // unset arguments and the result read as zero
    Uninitialized, // the caller sets every argument before the call
};

class ArgumentFrame {
  public:
    // A frame for `signature`, which must outlive it.
    ArgumentFrame(const Signature& signature, FrameStart start);
    ArgumentFrame(const ArgumentFrame&) = delete;
    ArgumentFrame& operator=(const ArgumentFrame&) = delete;

    const Signature& signature() const { return m_signature; }
    // Room for argument `index` (0 is the receiver), signature().argument(index).size bytes.
    void* argument(std::size_t index) const { return m_values[index]; }
    void* result() const { return m_storage + m_signature.result_offset(); }
    void clear_result();

    // Calls `imp` with the frame's arguments and leaves its result in result().
    void invoke(IMP imp) { m_signature.call(imp, result(), m_values); }

  private:
    static constexpr std::size_t k_inline_bytes = 160;
    static constexpr std::size_t k_inline_arguments = 12;

    const Signature& m_signature;
    alignas(16) std::byte m_inline_storage[k_inline_bytes];
    std::array<void*, k_inline_arguments> m_inline_values;
    std::unique_ptr<std::byte[]> m_heap_storage;
    std::unique_ptr<void*[]> m_heap_values;
    std::byte* m_storage = nullptr;
    void** m_values = nullptr;
};
