// Property-list bytes from outside (battery recordings, preferences, launch agents), XML or
// binary, through the guarded reader; then what was read is written and read once more, as the
// preferences are. The runner's memory limit turns an input that expands without bound into a
// failure.

#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_dictionary.h"
#include "platform/foundation/property_list.h"
#include "platform/objc/autorelease_pool.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

namespace {

// Objects in the tree, dictionary keys included, as the reader's limit counts them.
std::uint64_t objects_in(NSObject* object) {
    std::uint64_t count = 1;
    if (auto* array = dynamic_cast<NSArray*>(object)) {
        for (const ObjcRef<>& item : *array)
            count += objects_in(item.get());
    }
    if (auto* dictionary = dynamic_cast<NSDictionary*>(object)) {
        for (const auto& [key, value] : *dictionary)
            count += 1 + objects_in(value.get());
    }
    return count;
}

std::span<const std::uint8_t> bytes_of(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    AutoreleasePoolScope pool;
    std::string error;
    ObjcRef<NSObject> root = parse_property_list({data, size}, &error);
    if (!root) {
        if (error.empty()) std::abort(); // a refusal always says why
        return 0;
    }
    if (objects_in(root.get()) > k_property_list_max_objects) std::abort();
    // What a file held is written back as the preferences are, unless a property list cannot
    // hold it; what is written must read again.
    std::string text = format_property_list(root.get());
    if (!text.empty() && !parse_property_list(bytes_of(text), &error)) std::abort();
    return 0;
}
