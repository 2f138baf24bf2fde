#pragma once
// Binary property lists written byte by byte, for tests of what a reader does with lists no
// writer would make: shared objects, cycles, trailers that lie.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A binary property list of the given objects (references in them written by hand, one byte
// each), object 0 at the top, with one-byte offsets. The trailer's fields can be set to lie.
struct BinaryPlist {
    std::vector<std::string> objects = {};
    std::optional<std::uint64_t> object_count = {}; // the number of objects otherwise
    std::uint64_t top = 0;
    std::optional<std::uint64_t> table_offset = {}; // where the table is otherwise
    int ref_size = 1;

    std::string bytes() const {
        std::string bytes = "bplist00";
        std::string table;
        for (const std::string& object : objects) {
            table += static_cast<char>(bytes.size());
            bytes += object;
        }
        std::string trailer(6, '\0');
        trailer += "\x01" + std::string(1, static_cast<char>(ref_size));
        for (std::uint64_t field :
             {object_count.value_or(objects.size()), top, table_offset.value_or(bytes.size())}) {
            for (int shift = 56; shift >= 0; shift -= 8)
                trailer += static_cast<char>(field >> shift & 0xFF);
        }
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
