#pragma once
// A check of a binary property list made before a parser expands it into a tree. Containers in
// the binary format hold references to numbered objects, and one object may be referenced many
// times; a parser that builds a tree copies a shared object at every reference, so a file of a
// few hundred bytes can describe 2^40 nodes. The check walks the trailer, the offset table and
// the references itself and measures each object once (its nesting and what its expansion
// holds), so it costs time linear in the file and memory linear in its number of objects. It
// needs no property-list library.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

struct BinaryPlistLimits {
    // Containers nested in one another; the root container is depth 1.
    std::size_t max_depth = 0;
    // Objects of the expanded tree (dictionary keys included), a shared object counted at every
    // reference to it. Also the most objects the file may number.
    std::uint64_t max_objects = 0;
    // Bytes of strings and data in the expanded tree, counted the same way.
    std::uint64_t max_payload_bytes = 0;
};

// Whether the bytes start as a binary property list does ("bplist").
bool is_binary_plist(std::span<const std::uint8_t> bytes);

// Why the bytes must not be handed to a parser: a trailer, offset, length or reference that does
// not fit the file, an object that holds itself, a dictionary key that is not text or holds
// U+0000 (which the parser cannot keep in a C string), or an expansion beyond `limits`. Empty
// when they may be parsed; the parser may still refuse them (an object kind it does not know).
std::string binary_plist_refusal(std::span<const std::uint8_t> bytes,
                                 const BinaryPlistLimits& limits);
