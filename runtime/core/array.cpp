#include "runtime/core/array.h"

#include "runtime/core/layout.h"
#include "runtime/core/memory.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

namespace rt {

namespace {

constexpr int64_t k_header_bytes = sizeof(ArrayHeader);

// The block size for `count` elements, or nothing when it does not fit a signed 64-bit size.
bool block_bytes(int64_t element_size, int64_t count, uint64_t* bytes) {
    int64_t element_bytes = 0;
    if (element_size < 0 || count < 0) return false;
    if (__builtin_mul_overflow(element_size, count, &element_bytes)) return false;
    if (element_bytes > std::numeric_limits<int64_t>::max() - k_header_bytes) return false;
    *bytes = static_cast<uint64_t>(element_bytes + k_header_bytes);
    return true;
}

void* first_element(ArrayHeader* header) {
    return header + 1;
}

std::byte* element_at(ArrayHeader* header, int64_t index) {
    return static_cast<std::byte*>(first_element(header)) + index * header->element_size;
}

void free_contents(ArrayHeader* header, int64_t from, int64_t to) {
    if (!header->layout) return;
    for (int64_t i = from; i < to; ++i)
        FreeStructure(element_at(header, i), header->layout);
}

void init_elements(ArrayHeader* header, int64_t from, int64_t to) {
    for (int64_t i = from; i < to; ++i)
        InitStructure(element_at(header, i), header->layout);
}

void relink_elements(ArrayHeader* header, int64_t from, int64_t to) {
    for (int64_t i = from; i < to; ++i)
        RelinkStructure(element_at(header, i), header->layout);
}

// A dimensioned array's stride words follow its variable in the descriptor.
std::byte* stride_words(void** descriptor) {
    return reinterpret_cast<std::byte*>(descriptor) + sizeof(void*);
}

int64_t read_word(const std::byte* words, int32_t index) {
    int64_t word = 0;
    std::memcpy(&word, words + index * sizeof word, sizeof word);
    return word;
}

void write_word(std::byte* words, int32_t index, int64_t word) {
    std::memcpy(words + index * sizeof word, &word, sizeof word);
}

// A new array (count may be 0) stored in the variable, which may be null.
void* make_array(const ArrayHeader& shape, void** variable) {
    uint64_t bytes = 0;
    if (!block_bytes(shape.element_size, shape.count, &bytes)) return nullptr;
    void* block = AllocateBlock(bytes);
    if (!block) return nullptr;
    ArrayHeader* header = std::construct_at(static_cast<ArrayHeader*>(block), shape);
    header->variable = variable;
    if (LayoutNeedsInit(header->layout)) init_elements(header, 0, header->count);
    if (variable) *variable = first_element(header);
    return first_element(header);
}

void* forget_array(void** variable) {
    if (variable) *variable = nullptr;
    return nullptr;
}

// The element count of a dimensioned array, with the sizes turned into strides in `strides`;
// 0 when a size is below 1 or the product overflows.
int64_t strides_from_sizes(const std::byte* sizes, int32_t dimension_count, int64_t* strides) {
    int64_t count = 1;
    for (int32_t i = dimension_count - 1; i >= 0; --i) {
        const int64_t size = read_word(sizes, i);
        strides[i] = count;
        if (size < 1 || __builtin_mul_overflow(count, size, &count)) return 0;
    }
    return count;
}

void copy_elements(ArrayHeader* from, ArrayHeader* to) {
    if (!from->layout) {
        std::memcpy(first_element(to), first_element(from),
                    static_cast<size_t>(from->count * from->element_size));
        return;
    }
    for (int64_t i = 0; i < from->count; ++i) {
        CopyStructure(element_at(to, i), from->element_size, from->layout, element_at(from, i));
    }
}

void copy_strides(const ArrayHeader* from, const ArrayHeader* to) {
    if (from->dimension_count < 2 || !from->variable || !to->variable) return;
    std::memcpy(stride_words(to->variable), stride_words(from->variable),
                static_cast<size_t>(from->dimension_count) * sizeof(int64_t));
}

// Replaces the destination by a fresh array of the source's shape in the same variable.
ArrayHeader* reallocate_like(const ArrayHeader* from, ArrayHeader* to) {
    void** variable = to->variable;
    if (!variable) return nullptr; // the fresh array would be unreachable
    ArrayFree(first_element(to));
    void* fresh = make_array(*from, variable);
    return fresh ? array_header(fresh) : nullptr;
}

bool same_shape(const ArrayHeader* a, const ArrayHeader* b) {
    return a->count == b->count && a->element_size == b->element_size && a->layout == b->layout;
}

} // namespace

void* ArrayAllocate(int64_t element_size, int64_t count, int32_t element_type,
                    const int64_t* layout, void** variable) {
    if (variable && *variable) ArrayFree(*variable);
    if (count < 1) return forget_array(variable);
    const ArrayHeader shape{1, element_size, layout, nullptr, count, element_type};
    void* array = make_array(shape, variable);
    return array ? array : forget_array(variable);
}

void* ArrayAllocateDims(int32_t dimension_count, int64_t element_size, int32_t element_type,
                        const int64_t* layout, void** descriptor) {
    if (!descriptor) return nullptr;
    if (*descriptor) ArrayFree(*descriptor);
    *descriptor = nullptr;
    if (dimension_count < 1 || dimension_count > k_max_array_dimensions) return nullptr;
    int64_t strides[k_max_array_dimensions] = {};
    const int64_t count = strides_from_sizes(stride_words(descriptor), dimension_count, strides);
    if (count < 1) return nullptr;
    const ArrayHeader shape{dimension_count, element_size, layout, nullptr, count, element_type};
    void* array = make_array(shape, descriptor);
    if (!array) return nullptr;
    for (int32_t i = 0; i < dimension_count; ++i) {
        write_word(stride_words(descriptor), i, strides[i]);
    }
    return array;
}

void ArrayResize(int64_t new_count, void** variable) {
    if (!variable || !*variable) return;
    new_count = std::max<int64_t>(new_count, 0);
    ArrayHeader* header = array_header(*variable);
    const int64_t old_count = header->count;
    uint64_t bytes = 0;
    if (new_count == old_count || !block_bytes(header->element_size, new_count, &bytes)) return;
    if (new_count < old_count) {
        free_contents(header, new_count, old_count);
        header->count = new_count; // right even if the block cannot shrink below
    }
    void* block = ReallocateBlock(header, bytes);
    if (!block) return;
    header = static_cast<ArrayHeader*>(block);
    header->count = new_count;
    if (LayoutNeedsInit(header->layout)) {
        relink_elements(header, 0, std::min(old_count, new_count));
        init_elements(header, old_count, new_count);
    }
    *variable = first_element(header);
}

void ArrayFree(void* array) {
    if (!array) return;
    ArrayHeader* header = array_header(array);
    free_contents(header, 0, header->count);
    if (header->variable && *header->variable == array) *header->variable = nullptr;
    FreeBlock(header);
}

int ArrayCopy(void* source, void* destination, int reallocate) {
    if (!source || !destination) return 0;
    if (source == destination) return 1;
    ArrayHeader* from = array_header(source);
    ArrayHeader* to = array_header(destination);
    if (from->dimension_count != to->dimension_count) return 0;
    if (reallocate) {
        to = reallocate_like(from, to);
        if (!to) return 0;
    }
    if (!same_shape(from, to)) return 0;
    copy_strides(from, to);
    copy_elements(from, to);
    return 1;
}

void InitArrays() {
    TypeProcedures& procedures = type_procedures();
    procedures.array_allocate = ArrayAllocate;
    procedures.array_allocate_dims = ArrayAllocateDims;
    procedures.array_copy = ArrayCopy;
    procedures.array_free = ArrayFree;
}

} // namespace rt
