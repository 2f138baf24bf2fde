#pragma once
// NSUserDefaults: the user's settings for the application, kept as an XML property list in
// <home>/Library/Preferences/<identifier>.plist (home is $HOME, else the password database's
// entry for the user).
//
// The file is read at the first use of an instance and never again; -synchronize writes it only
// when a value was set or removed since the last write: atomically, with mode 0600, creating the
// missing folders below the home folder (never the home folder itself; for an explicit path, the
// file's folder must exist) with mode 0700. Until something is written there is no file, so its
// absence marks a first run.
//
// No file is lost under these values. One that is not a dictionary property list is renamed to
// "<file>.corrupt" (".corrupt.1", ".corrupt.2" ... when that name is taken) before the next
// write; so is one that another program wrote since it was last read or written here (another
// inode, size or modification time), even a valid one: its values are not merged. One that
// cannot be read (no permission, an I/O error, a folder ...) is left as it is: the defaults
// answer, and writes fail while it is there. Every such event and every failed write is said
// through report_problem (problem_report.h), each distinct text once. Changes not synchronized
// are lost when the process ends.
//
// Lookups consult the stored values first and then the registered defaults (registerDefaults:),
// which live in memory only. Keys are strings; nil or other keys find nothing and change
// nothing. Values are property-list objects (property_list.h), stored as immutable deep copies.
// Thread-safe.

#include "platform/foundation/file_replace.h"
#include "platform/objc/native_class.h"

#include <mutex>
#include <optional>
#include <string>

class NSDictionary;
class NSMutableDictionary;
struct PropertyListFile;

class NSUserDefaults : public NSObject {
  public:
    // Defaults kept in the standard file named by the program's identifier (program_identity.h),
    // found at first use.
    NSUserDefaults() = default;
    // Defaults kept in the file at `path`; an empty path keeps them in memory only, and
    // -synchronize then fails whenever there is something to write.
    explicit NSUserDefaults(std::string path);

    // The shared instance for the application's identifier, made at the first call.
    static NSUserDefaults* standardUserDefaults(Class self);

    // Autoreleased; nil when neither a stored nor a registered value exists.
    id objectForKey(id key);
    // A nil value removes the key; a value that is not a property list changes nothing (the
    // platform raises an exception).
    void setObject(id value, id key);
    void removeObjectForKey(id key);
    // A number's value (reals truncated toward zero, held within range; YES is 1), a string's
    // leading decimal integer as -[NSString integerValue] reads it ("  42abc" is 42, "abc" is 0,
    // overflow is held at the limits), and 0 for anything else or no value.
    NSInteger integerForKey(id key);
    void setInteger(NSInteger value, id key);
    // Adds the pairs to the registered defaults, replacing earlier registrations of the same
    // keys; values that are not property lists are left out.
    void registerDefaults(id defaults);
    // YES when nothing needed writing or the file was written.
    BOOL synchronize();

    // The defaults file; empty when no home folder is known. Counts as the instance's first use.
    std::string path();
    // Why the last failed -synchronize failed; empty after a success.
    std::string last_error();

  private:
    // Damaged: to be kept aside before the next write. Unusable: never written over.
    enum class FileState { Absent, Present, Damaged, Unusable };

    static FileState state_after_reading(const PropertyListFile& file);
    void load_locked();
    // Looks at what is at the path now; false, with m_last_error, when nothing may be written.
    bool check_file_before_write_locked();
    bool write_locked();
    id stored_or_registered_locked(id key);

    std::mutex m_mutex;
    bool m_loaded = false;
    bool m_changed = false;
    bool m_path_given = false; // an explicit path, even an empty one, is kept at first use
    FileState m_file_state = FileState::Absent;
    std::string m_path;
    std::string m_base_folder; // must exist; the folders between it and the file are made
    std::optional<FileVersion> m_known_version; // the file last read or written here
    std::string m_unusable_reason;
    std::string m_aside_reason; // said when a damaged or foreign file is kept aside
    std::string m_last_error;
    ObjcRef<NSMutableDictionary> m_values;
    ObjcRef<NSMutableDictionary> m_registered;
};

// <home>/Library/Preferences/<identifier>.plist; empty when no home folder is known.
std::string standard_user_defaults_path();
// Drops the shared instance, with any changes not synchronized, so that the next
// +standardUserDefaults starts afresh from the file (tests change HOME between cases). Callers
// must not use the old instance afterwards.
void reset_standard_user_defaults_for_tests();

void register_ns_user_defaults_class();
