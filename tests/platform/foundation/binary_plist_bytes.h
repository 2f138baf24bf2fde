#pragma once
// Binary property lists written byte by byte, for tests of what a reader does with lists no
// writer would make: shared objects, cycles, trailers that lie.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

inline std::string big_endian(std::uint64_t value, int size) {
    std::string bytes;
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
        bytes += static_cast<char>(value >> shift & 0xFF);
    return bytes;
}

// A binary property list of the given objects (references in them written by hand, ref_size
// bytes each), object 0 at the top. The trailer's fields can be set to lie.
struct BinaryPlist {
    std::vector<std::string> objects = {};
    std::optional<std::uint64_t> object_count = {}; // the number of objects otherwise
    std::uint64_t top = 0;
    std::optional<std::uint64_t> table_offset = {}; // where the table is otherwise
    int ref_size = 1;
    int offset_size = 1;

    std::string bytes() const {
        std::string bytes = "bplist00";
        std::string table;
        for (const std::string& object : objects) {
            table += big_endian(bytes.size(), offset_size);
            bytes += object;
        }
        std::string trailer(6, '\0');
        trailer += big_endian(static_cast<std::uint64_t>(offset_size) << 8 | ref_size, 2);
        for (std::uint64_t field :
             {object_count.value_or(objects.size()), top, table_offset.value_or(bytes.size())})
            trailer += big_endian(field, 8);
        return bytes + table + trailer;
    }
};

// `levels` arrays, each holding the next object twice, and `leaf` last: a tree of
// 2^(levels+1) - 1 objects from levels + 1 objects in the file.
inline std::string doubling_binary(int levels, const std::string& leaf) {
    BinaryPlist plist;
    for (int i = 1; i <= levels; ++i)
        plist.objects.push_back("\xA2" + std::string(2, static_cast<char>(i)));
    plist.objects.push_back(leaf);
    return plist.bytes();
}

// `depth` arrays, each holding the next, the last holding the number 1, or the first array
// again when `circular`; references and offsets of 4 bytes.
inline std::string chain_binary(int depth, bool circular = false) {
    BinaryPlist plist{.ref_size = 4, .offset_size = 4};
    for (int i = 1; i <= depth; ++i)
        plist.objects.push_back("\xA1" + big_endian(circular && i == depth ? 0 : i, 4));
    if (!circular) plist.objects.push_back("\x10\x01");
    return plist.bytes();
}
