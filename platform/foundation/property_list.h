#pragma once
// Property lists as platform objects: NSDictionary (keys are strings, insertion order kept),
// NSArray, NSString, NSNumber (integers and reals), NSBoolean, NSData and NSDate. Files may be XML
// or binary on reading; writing gives XML.

#include "platform/objc/objc_ref.h"

#include <cstdint>
#include <span>
#include <string>
#include <sys/types.h>

// The object a property list holds; null when the bytes are not a property list, with the
// reason in `error` when it is given.
ObjcRef<NSObject> parse_property_list(std::span<const std::uint8_t> bytes,
                                      std::string* error = nullptr);
// The file's property list; null when it cannot be read or parsed.
ObjcRef<NSObject> read_property_list_file(const std::string& path, std::string* error = nullptr);
// The object as XML property list text; empty when it holds something a property list cannot.
std::string format_property_list(NSObject* root);

// How reading a property-list file ended; callers that must not replace a file they could not
// read tell the cases apart with it.
enum class PropertyListFileStatus {
    Read,             // `root` holds the file's property list
    Missing,          // no file (or folder) at the path
    NotRegularFile,   // a folder or another kind of file is at the path
    Unreadable,       // a file that could not be opened or read, or one too large to parse
    NotAPropertyList, // a file whose bytes are not a property list
};

struct PropertyListFile {
    ObjcRef<NSObject> root; // null unless `status` is Read
    PropertyListFileStatus status = PropertyListFileStatus::Missing;
    std::string error; // empty when `status` is Read
};

// Reads the file at `path` and parses it, saying why when it gives no property list.
PropertyListFile load_property_list_file(const std::string& path);

// A deep copy whose containers are immutable, as the object would read back from a file (dates
// keep microseconds here; a written file keeps whole seconds); null, with the reason, for an
// object that is not a property list.
ObjcRef<NSObject> copy_property_list(NSObject* root, std::string* error = nullptr);

// Limits on what is read, each checked before the bytes are parsed, so that no input can exhaust
// the stack or memory. Real files (preferences, battery recordings, launch agents) hold tens to
// hundreds of objects a few levels deep in a few kilobytes.
//
// The deepest nesting of arrays and dictionaries that is read or written (the root container is
// depth 1).
inline constexpr int k_property_list_max_depth = 256;
// The most objects read, dictionary keys included. A binary list may reference one object many
// times; every reference counts, since the parser copies the object at each.
inline constexpr std::uint64_t k_property_list_max_objects = 10'000;
// The largest file or text parsed, in bytes; also the most bytes of text and data a binary list
// may expand to, counted in the same way.
inline constexpr std::size_t k_property_list_max_bytes = std::size_t{16} << 20;
static_assert(k_property_list_max_depth < k_property_list_max_objects);
