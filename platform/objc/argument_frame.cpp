#include "platform/objc/argument_frame.h"

#include <cstring>

// operator new[] returns blocks aligned for any fundamental type (16 bytes here), which is all a
// frame asks for.
ArgumentFrame::ArgumentFrame(const Signature& signature, FrameStart start)
    : m_signature(signature) {
    std::size_t count = signature.argument_count();
    if (signature.frame_size() <= k_inline_bytes) {
        m_storage = m_inline_storage;
        if (start == FrameStart::Zeroed) std::memset(m_storage, 0, signature.frame_size());
    } else {
        m_heap_storage = std::make_unique<std::byte[]>(signature.frame_size());
        m_storage = m_heap_storage.get();
    }
    if (count <= k_inline_arguments) {
        m_values = m_inline_values.data();
    } else {
        m_heap_values = std::make_unique<void*[]>(count);
        m_values = m_heap_values.get();
    }
    for (std::size_t i = 0; i < count; ++i)
        m_values[i] = m_storage + signature.argument_offset(i);
}

void ArgumentFrame::clear_result() {
    std::memset(result(), 0, m_signature.result_buffer_size());
}
