#include "platform/foundation/property_list.h"

#include "platform/foundation/binary_plist_guard.h"
#include "platform/foundation/file_replace.h"
#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_data.h"
#include "platform/foundation/ns_date.h"
#include "platform/foundation/ns_dictionary.h"
#include "platform/foundation/ns_number.h"
#include "platform/foundation/ns_string.h"
#include "platform/foundation/unicode_text.h"

#include <plist/plist.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t k_npos = std::string_view::npos;
// Property-list dates count seconds from 2001-01-01 00:00:00 UTC, NSDate from 1970.
constexpr double k_seconds_from_1970_to_2001 = 978307200.0;

struct PlistFree {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistNode = std::unique_ptr<void, PlistFree>;

// Iterators and keys that libplist hands out are malloc blocks.
struct MallocFree {
    void operator()(void* block) const { std::free(block); }
};

void set_error(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

std::string too_deep_text() {
    return "nested deeper than " + std::to_string(k_property_list_max_depth) + " levels";
}

std::string too_many_objects_text() {
    return "more than " + std::to_string(k_property_list_max_objects) + " objects";
}

// ---- Refusing input that would exhaust the stack or memory, before the parser sees it ----

// The length of the markup that starts `rest` (at a '<'), through its closing text; npos when it
// is not closed.
std::size_t markup_length(std::string_view rest) {
    auto through = [rest](std::string_view closing) {
        std::size_t end = rest.find(closing);
        return end == k_npos ? k_npos : end + closing.size();
    };
    if (rest.starts_with("<!--")) return through("-->");
    if (rest.starts_with("<![CDATA[")) return through("]]>");
    return through(">");
}

// Counts elements and their nesting roughly (an over-estimate at worst), which is all the guard
// needs: the parser also counts the <plist> element and the elements of scalar values as levels.
std::string xml_refusal(std::string_view text) {
    int depth = 0;
    std::uint64_t elements = 0;
    for (std::size_t at = text.find('<'); at != k_npos; at = text.find('<', at)) {
        std::string_view rest = text.substr(at);
        std::size_t length = markup_length(rest);
        if (length == k_npos) return {}; // unclosed markup: the parser refuses it
        std::string_view tag = rest.substr(0, length);
        at += length;
        if (tag.starts_with("</")) {
            --depth;
            continue;
        }
        if (tag.starts_with("<?") || tag.starts_with("<!")) continue;
        if (++elements > k_property_list_max_objects + 1) return too_many_objects_text();
        if (tag.ends_with("/>")) continue;
        if (++depth > k_property_list_max_depth + 2) return too_deep_text();
    }
    return {};
}

// Why the bytes must not be handed to the parser; empty when they may.
std::string refusal_before_parsing(std::span<const std::uint8_t> bytes) {
    if (is_binary_plist(bytes)) {
        return binary_plist_refusal(bytes, {.max_depth = k_property_list_max_depth,
                                            .max_objects = k_property_list_max_objects,
                                            .max_payload_bytes = k_property_list_max_bytes});
    }
    return xml_refusal(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// ---- Nodes to objects ----

ObjcRef<> object_from_node(plist_t node, int depth, std::string& error);

std::vector<id> ids_of(const std::vector<ObjcRef<>>& objects) {
    std::vector<id> ids;
    ids.reserve(objects.size());
    for (const ObjcRef<>& object : objects)
        ids.push_back(object.get());
    return ids;
}

ObjcRef<> array_from_node(plist_t node, int depth, std::string& error) {
    plist_array_iter raw_iterator = nullptr;
    plist_array_new_iter(node, &raw_iterator);
    std::unique_ptr<void, MallocFree> iterator(raw_iterator);
    std::vector<ObjcRef<>> items;
    for (;;) {
        plist_t item = nullptr;
        plist_array_next_item(node, raw_iterator, &item);
        if (!item) break;
        ObjcRef<> object = object_from_node(item, depth + 1, error);
        if (!object) return {};
        items.push_back(std::move(object));
    }
    return NSArray::make(ids_of(items));
}

ObjcRef<> dictionary_from_node(plist_t node, int depth, std::string& error) {
    plist_dict_iter raw_iterator = nullptr;
    plist_dict_new_iter(node, &raw_iterator);
    std::unique_ptr<void, MallocFree> iterator(raw_iterator);
    std::vector<ObjcRef<>> keys;
    std::vector<ObjcRef<>> values;
    for (;;) {
        char* raw_key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, raw_iterator, &raw_key, &item);
        std::unique_ptr<char, MallocFree> key(raw_key);
        if (!item) break;
        ObjcRef<> value = object_from_node(item, depth + 1, error);
        if (!value) return {};
        keys.push_back(NSString::from_utf8(key ? key.get() : ""));
        values.push_back(std::move(value));
    }
    return NSDictionary::make(ids_of(keys), ids_of(values));
}

ObjcRef<> scalar_from_node(plist_t node, std::string& error) {
    switch (plist_type type = plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        std::uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return NSNumber::make(value != 0);
    }
    case PLIST_UINT: {
        // The library keeps every integer in 64 bits; negative ones come back as their bits.
        std::uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return NSNumber::make(static_cast<std::int64_t>(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return NSNumber::make(value);
    }
    case PLIST_STRING: {
        std::uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        return NSString::from_utf8(std::string_view(text ? text : "", text ? length : 0));
    }
    case PLIST_DATA: {
        std::uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        auto* first = reinterpret_cast<const std::uint8_t*>(bytes);
        return NSData::make(std::span(first, bytes ? length : 0));
    }
    case PLIST_DATE: {
        std::int32_t seconds = 0, microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        return NSDate::make(seconds + microseconds / 1e6 + k_seconds_from_1970_to_2001);
    }
    default:
        error = "a value of a kind this platform does not read (type " +
                std::to_string(static_cast<int>(type)) + ")";
        return {};
    }
}

ObjcRef<> object_from_node(plist_t node, int depth, std::string& error) {
    plist_type type = plist_get_node_type(node);
    if (type != PLIST_ARRAY && type != PLIST_DICT) return scalar_from_node(node, error);
    if (depth > k_property_list_max_depth) {
        error = too_deep_text();
        return {};
    }
    if (type == PLIST_ARRAY) return array_from_node(node, depth, error);
    return dictionary_from_node(node, depth, error);
}

// ---- Objects to nodes ----

PlistNode node_from_object(NSObject* object, int depth, std::string& error);

// A property list's text is UTF-8 without NUL, so strings holding U+0000 or a surrogate without
// its partner cannot be written as they are.
bool string_is_writable(std::u16string_view units, std::string& error) {
    for (std::size_t at = 0; at < units.size();) {
        DecodedCharacter character = decode_utf16_character(units, at);
        if (!character.valid || character.code_point == 0) {
            error =
                character.valid ? "a string holds U+0000" : "a string holds an unpaired surrogate";
            return false;
        }
        at += character.length;
    }
    return true;
}

PlistNode string_node(const NSString& string, std::string& error) {
    if (!string_is_writable(string.units(), error)) return nullptr;
    return PlistNode(plist_new_string(string.utf8().c_str()));
}

PlistNode number_node(const NSNumber& number) {
    if (number.is_boolean()) return PlistNode(plist_new_bool(number.integer() != 0));
    if (number.is_floating()) return PlistNode(plist_new_real(number.floating()));
    return PlistNode(plist_new_uint(static_cast<std::uint64_t>(number.integer())));
}

PlistNode date_node(const NSDate& date, std::string& error) {
    double seconds = date.timeIntervalSince1970() - k_seconds_from_1970_to_2001;
    constexpr double k_lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double k_beyond = std::numeric_limits<std::int32_t>::max() + 1.0;
    double whole = std::floor(seconds);
    if (!(whole >= k_lowest && whole < k_beyond)) { // NaN fails here too
        error = "a date outside the years 1933 to 2069";
        return nullptr;
    }
    auto microseconds = static_cast<std::int32_t>(std::lround((seconds - whole) * 1e6));
    if (microseconds == 1000000) { // rounded up to the next second
        whole += 1;
        microseconds = 0;
    }
    if (whole >= k_beyond) { // the last representable instant, rather than none
        whole = k_beyond - 1;
        microseconds = 999999;
    }
    return PlistNode(plist_new_date(static_cast<std::int32_t>(whole), microseconds));
}

PlistNode array_node(const NSArray& array, int depth, std::string& error) {
    PlistNode node(plist_new_array());
    for (const ObjcRef<>& item : array) {
        PlistNode child = node_from_object(item.get(), depth + 1, error);
        if (!child) return nullptr;
        plist_array_append_item(node.get(), child.release());
    }
    return node;
}

PlistNode dictionary_node(const NSDictionary& dictionary, int depth, std::string& error) {
    PlistNode node(plist_new_dict());
    for (const auto& [key, value] : dictionary) {
        auto* key_string = dynamic_cast<NSString*>(key.get());
        if (!key_string) {
            error = "a dictionary key that is not a string";
            return nullptr;
        }
        if (!string_is_writable(key_string->units(), error)) return nullptr;
        PlistNode child = node_from_object(value.get(), depth + 1, error);
        if (!child) return nullptr;
        plist_dict_set_item(node.get(), key_string->utf8().c_str(), child.release());
    }
    return node;
}

PlistNode scalar_node(NSObject* object, std::string& error) {
    if (auto* string = dynamic_cast<NSString*>(object)) return string_node(*string, error);
    if (auto* number = dynamic_cast<NSNumber*>(object)) return number_node(*number);
    if (auto* date = dynamic_cast<NSDate*>(object)) return date_node(*date, error);
    if (auto* data = dynamic_cast<NSData*>(object)) {
        std::span<const std::uint8_t> bytes = data->span();
        return PlistNode(plist_new_data(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    error = object ? std::string("an object a property list cannot hold, of class ") +
                         object_getClassName(object)
                   : std::string("nil");
    return nullptr;
}

PlistNode node_from_object(NSObject* object, int depth, std::string& error) {
    auto* array = dynamic_cast<NSArray*>(object);
    auto* dictionary = dynamic_cast<NSDictionary*>(object);
    if (!array && !dictionary) return scalar_node(object, error);
    // Also ends the walk through a container that holds itself.
    if (depth > k_property_list_max_depth) {
        error = too_deep_text();
        return nullptr;
    }
    if (array) return array_node(*array, depth, error);
    return dictionary_node(*dictionary, depth, error);
}

std::string xml_text(NSObject* root, std::string& error) {
    PlistNode node = node_from_object(root, 1, error);
    if (!node) return {};
    char* xml = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(node.get(), &xml, &length);
    if (!xml) {
        error = "the property list could not be formatted";
        return {};
    }
    std::string text(xml, length);
    plist_to_xml_free(xml);
    return text;
}

ObjcRef<> parse_bytes(std::span<const std::uint8_t> bytes, std::string& error) {
    if (bytes.empty()) {
        error = "empty";
        return {};
    }
    if (bytes.size() > k_property_list_max_bytes) {
        error = "larger than " + std::to_string(k_property_list_max_bytes) + " bytes";
        return {};
    }
    if (std::string refusal = refusal_before_parsing(bytes); !refusal.empty()) {
        error = std::move(refusal);
        return {};
    }
    // A terminated copy, so that no scan of the text can run past its end.
    std::string copy(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    plist_t raw = nullptr;
    plist_from_memory(copy.data(), static_cast<std::uint32_t>(copy.size()), &raw);
    PlistNode node(raw);
    if (!node) {
        error = "not a property list";
        return {};
    }
    return object_from_node(node.get(), 1, error);
}

// ---- Files ----

SystemCall read_all(int descriptor, std::vector<std::uint8_t>& bytes) {
    std::uint8_t buffer[16384];
    for (;;) {
        ssize_t count = ::read(descriptor, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return failed_call("read");
        if (count == 0) return {};
        bytes.insert(bytes.end(), buffer, buffer + count);
        if (bytes.size() > k_property_list_max_bytes) return {"read", EFBIG};
    }
}

struct FileRead {
    SystemCall call;
    bool regular = false; // false, with nothing read, for a folder or another kind of file
};

FileRead read_regular_file(const std::string& path, std::vector<std::uint8_t>& bytes) {
    // Non-blocking, so that a pipe at the path cannot hang the open.
    int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (descriptor < 0) return {failed_call("open")};
    struct stat status {};
    FileRead result;
    if (::fstat(descriptor, &status) != 0) {
        result.call = failed_call("fstat");
    } else if (S_ISREG(status.st_mode)) {
        result.regular = true;
        result.call = read_all(descriptor, bytes);
    }
    ::close(descriptor);
    return result;
}

PropertyListFile file_failure(PropertyListFileStatus status, std::string error) {
    PropertyListFile file;
    file.status = status;
    file.error = std::move(error);
    return file;
}

} // namespace

ObjcRef<NSObject> parse_property_list(std::span<const std::uint8_t> bytes, std::string* error) {
    std::string reason;
    ObjcRef<> root = parse_bytes(bytes, reason);
    if (!root) set_error(error, reason);
    return root;
}

PropertyListFile load_property_list_file(const std::string& path) {
    using enum PropertyListFileStatus;
    std::vector<std::uint8_t> bytes;
    FileRead read = read_regular_file(path, bytes);
    if (!read.call.ok()) {
        int error = read.call.error;
        return file_failure(error == ENOENT || error == ENOTDIR ? Missing : Unreadable,
                            read.call.message());
    }
    if (!read.regular) return file_failure(NotRegularFile, "not a regular file");
    std::string reason;
    ObjcRef<> root = parse_bytes(bytes, reason);
    if (!root) return file_failure(NotAPropertyList, reason);
    PropertyListFile file;
    file.root = std::move(root);
    file.status = Read;
    return file;
}

ObjcRef<NSObject> read_property_list_file(const std::string& path, std::string* error) {
    PropertyListFile file = load_property_list_file(path);
    if (!file.root) set_error(error, file.error);
    return std::move(file.root);
}

std::string format_property_list(NSObject* root) {
    std::string error;
    return xml_text(root, error);
}

ObjcRef<NSObject> copy_property_list(NSObject* root, std::string* error) {
    std::string reason;
    PlistNode node = node_from_object(root, 1, reason);
    ObjcRef<> copy = node ? object_from_node(node.get(), 1, reason) : nullptr;
    if (!copy) set_error(error, reason);
    return copy;
}
