#pragma once
// Dynamic arrays: one runtime heap block holding a 48-byte header and the elements. The array
// variable holds the address of the first element; the header sits just before it and points
// back at the variable, so that freeing or resizing the array can update it.
//
// A multi-dimensional array's variable is the first word of a descriptor: the variable followed
// by one word per dimension, which the caller fills with the dimension sizes and the array turns
// into strides (in elements).

#include <cstddef>
#include <cstdint>

namespace rt {

struct ArrayHeader {
    int32_t dimension_count; // 1 for a one-dimensional array
    int64_t element_size;
    const int64_t* layout;
    void** variable; // the array variable, or the descriptor's first word
    int64_t count;
    int32_t element_type;
};
static_assert(sizeof(ArrayHeader) == 48 && offsetof(ArrayHeader, element_size) == 8 &&
              offsetof(ArrayHeader, variable) == 24 && offsetof(ArrayHeader, count) == 32 &&
              offsetof(ArrayHeader, element_type) == 40);

inline constexpr int32_t k_max_array_dimensions = 32;

// The header of an array given by the address of its first element.
inline ArrayHeader* array_header(void* array) {
    return reinterpret_cast<ArrayHeader*>(static_cast<std::byte*>(array) - sizeof(ArrayHeader));
}

// Frees the array the variable holds, then makes one of `count` zero-filled (and initialised)
// elements and stores the first element's address in the variable (which may be null). A count
// below 1, a negative element size or a failed allocation leave the variable null and give null.
void* ArrayAllocate(int64_t element_size, int64_t count, int32_t element_type,
                    const int64_t* layout, void** variable);
// As ArrayAllocate for a descriptor whose words after the variable hold the dimension sizes;
// they become strides. A dimension count outside 1 to k_max_array_dimensions or a size below 1
// gives null, frees the array the descriptor held and leaves the sizes as they were.
void* ArrayAllocateDims(int32_t dimension_count, int64_t element_size, int32_t element_type,
                        const int64_t* layout, void** descriptor);
// Resizes the array the variable holds, keeping the elements below both counts. A negative count
// is taken as 0: every element goes and the empty array remains. When the block cannot grow the
// array stays as it was.
void ArrayResize(int64_t new_count, void** variable);
// Frees the array and its elements' contents and clears its variable; null does nothing.
void ArrayFree(void* array);
// Copies the source's elements (deeply, through the layout) into the destination. With
// reallocate the destination is first replaced by a fresh array of the source's shape. 0 when an
// array is null, or when the dimension counts, element counts, element sizes or layouts differ;
// 1 otherwise (also for an array copied onto itself).
int ArrayCopy(void* source, void* destination, int reallocate);
// Fills the array slots of the type-procedure table.
void InitArrays();

} // namespace rt
