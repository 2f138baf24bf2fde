#include "platform/foundation/ns_user_defaults.h"

#include "platform/foundation/file_replace.h"
#include "platform/foundation/home_folder.h"
#include "platform/foundation/kept_files.h"
#include "platform/foundation/ns_dictionary.h"
#include "platform/foundation/ns_number.h"
#include "platform/foundation/ns_string.h"
#include "platform/foundation/problem_report.h"
#include "platform/foundation/program_identity.h"
#include "platform/foundation/property_list.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

constexpr mode_t k_file_mode = 0600;

constexpr const char* k_damaged_reason = "it could not be read as settings";

NSString* key_string(id key) {
    return dynamic_cast<NSString*>(key);
}

bool is_ascii_space(char16_t unit) {
    return unit == u' ' || (unit >= u'\t' && unit <= u'\r');
}

// Leading white space, an optional sign, then decimal digits up to the first other character.
NSInteger leading_integer(std::u16string_view text) {
    std::size_t at = 0;
    while (at < text.size() && is_ascii_space(text[at]))
        ++at;
    bool negative = at < text.size() && text[at] == u'-';
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) ++at;
    // Accumulated as a negative number, whose range reaches the lowest NSInteger.
    constexpr NSInteger k_lowest = std::numeric_limits<NSInteger>::min();
    NSInteger value = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
        int digit = text[at] - u'0';
        if (value < (k_lowest + digit) / 10) return negative ? k_lowest : -(k_lowest + 1);
        value = value * 10 - digit;
    }
    if (negative) return value;
    return value == k_lowest ? -(k_lowest + 1) : -value;
}

NSInteger integer_value_of(id value) {
    if (auto* number = dynamic_cast<NSNumber*>(value)) return number->integerValue();
    if (auto* string = dynamic_cast<NSString*>(value)) return leading_integer(string->units());
    return 0;
}

// Whether anything is at `path`: something that cannot be examined counts as there.
bool path_exists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 || (errno != ENOENT && errno != ENOTDIR);
}

std::string parent_folder(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The home folder without trailing slashes ("" for the root); nullopt when none is known.
std::optional<std::string> standard_home() {
    std::string home = home_folder();
    if (home.empty()) return std::nullopt;
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    if (home == "/") home.clear();
    return home;
}

std::string path_in_home(const std::string& home) {
    return home + "/Library/Preferences/" + main_program_identity().identifier + ".plist";
}

std::mutex g_standard_mutex;

// Never destroyed, so that no release runs after the runtime's own statics are gone.
ObjcRef<NSUserDefaults>& standard_instance() {
    static auto* instance = new ObjcRef<NSUserDefaults>();
    return *instance;
}

} // namespace

NSUserDefaults::NSUserDefaults(std::string path) : m_path_given(true), m_path(std::move(path)) {}

NSUserDefaults* NSUserDefaults::standardUserDefaults(Class) {
    std::lock_guard lock(g_standard_mutex);
    ObjcRef<NSUserDefaults>& instance = standard_instance();
    if (!instance) instance = make_native<NSUserDefaults>();
    return instance.get();
}

id NSUserDefaults::objectForKey(id key) {
    std::lock_guard lock(m_mutex);
    load_locked();
    return ObjcRef<>::retain(stored_or_registered_locked(key)).autorelease();
}

void NSUserDefaults::setObject(id value, id key) {
    if (!value) return removeObjectForKey(key);
    if (!key_string(key)) return;
    ObjcRef<> copy = copy_property_list(value);
    if (!copy) return;
    std::lock_guard lock(m_mutex);
    load_locked();
    m_values->setObject(copy.get(), key);
    m_changed = true;
}

void NSUserDefaults::removeObjectForKey(id key) {
    if (!key_string(key)) return;
    std::lock_guard lock(m_mutex);
    load_locked();
    if (!m_values->objectForKey(key)) return;
    m_values->removeObjectForKey(key);
    m_changed = true;
}

NSInteger NSUserDefaults::integerForKey(id key) {
    std::lock_guard lock(m_mutex);
    load_locked();
    return integer_value_of(stored_or_registered_locked(key));
}

void NSUserDefaults::setInteger(NSInteger value, id key) {
    setObject(NSNumber::make(std::int64_t{value}).get(), key);
}

void NSUserDefaults::registerDefaults(id defaults) {
    auto* dictionary = dynamic_cast<NSDictionary*>(defaults);
    if (!dictionary) return;
    std::lock_guard lock(m_mutex);
    load_locked();
    for (const auto& [key, value] : *dictionary) {
        ObjcRef<> copy = key_string(key.get()) ? copy_property_list(value.get()) : nullptr;
        if (copy) m_registered->setObject(copy.get(), key.get());
    }
}

BOOL NSUserDefaults::synchronize() {
    std::lock_guard lock(m_mutex);
    load_locked();
    if (!m_changed) {
        m_last_error.clear();
        return YES;
    }
    if (!write_locked()) {
        std::string where = m_path.empty() ? "" : " in " + m_path;
        report_problem("cannot store settings" + where + ": " + m_last_error);
        return NO;
    }
    m_changed = false;
    m_last_error.clear();
    return YES;
}

std::string NSUserDefaults::path() {
    std::lock_guard lock(m_mutex);
    load_locked();
    return m_path;
}

std::string NSUserDefaults::last_error() {
    std::lock_guard lock(m_mutex);
    return m_last_error;
}

void NSUserDefaults::load_locked() {
    if (m_loaded) return;
    m_loaded = true;
    m_values = NSMutableDictionary::make();
    m_registered = NSMutableDictionary::make();
    m_aside_reason = k_damaged_reason;
    if (!m_path_given) {
        std::optional<std::string> home = standard_home();
        m_path = home ? path_in_home(*home) : std::string();
        m_base_folder = home && !home->empty() ? *home : "/";
    } else if (!m_path.empty()) {
        m_base_folder = parent_folder(m_path);
    }
    if (m_path.empty()) {
        m_file_state = FileState::Unusable;
        m_unusable_reason = m_path_given ? "no file to keep them in" : "no home folder is known";
        return;
    }
    // Taken before reading: a change made meanwhile then shows as a change at the next write.
    m_known_version = file_version_at(m_path);
    PropertyListFile file = load_property_list_file(m_path);
    m_file_state = state_after_reading(file);
    if (m_file_state == FileState::Unusable) {
        m_unusable_reason = file.error;
        report_problem("cannot read settings from " + m_path + ": " + file.error +
                       "; using the defaults, and storing none there");
    }
    if (m_file_state != FileState::Present) return;
    for (const auto& [key, value] : *static_cast<NSDictionary*>(file.root.get()))
        m_values->setObject(value.get(), key.get());
}

NSUserDefaults::FileState NSUserDefaults::state_after_reading(const PropertyListFile& file) {
    switch (file.status) {
    case PropertyListFileStatus::Missing:
        return FileState::Absent;
    case PropertyListFileStatus::NotRegularFile:
    case PropertyListFileStatus::Unreadable:
        return FileState::Unusable;
    case PropertyListFileStatus::Read:
        return dynamic_cast<NSDictionary*>(file.root.get()) ? FileState::Present
                                                            : FileState::Damaged;
    case PropertyListFileStatus::NotAPropertyList:
        return FileState::Damaged;
    }
    return FileState::Damaged;
}

bool NSUserDefaults::check_file_before_write_locked() {
    // Whatever was in the way at first use may have gone since.
    if (m_file_state == FileState::Unusable && !m_path.empty() && !path_exists(m_path))
        m_file_state = FileState::Absent;
    if (m_file_state == FileState::Unusable) {
        m_last_error = m_path.empty() ? m_unusable_reason
                                      : "it could not be read (" + m_unusable_reason +
                                            ") and is left as it is";
        return false;
    }
    std::optional<FileVersion> now = file_version_at(m_path);
    if (!now) {
        m_file_state = FileState::Absent;
        return true;
    }
    if (now == m_known_version) return true;
    // Someone else wrote the file since it was last read or written here: it is kept aside,
    // damaged or not, rather than lost under these values.
    PropertyListFile file = load_property_list_file(m_path);
    m_file_state = state_after_reading(file);
    if (m_file_state == FileState::Absent) return true;
    if (m_file_state == FileState::Unusable) {
        m_unusable_reason = file.error;
        m_last_error = "it was changed and cannot be read (" + file.error + ")";
        return false;
    }
    m_aside_reason = m_file_state == FileState::Damaged
                         ? "it was changed by another program and is damaged"
                         : "it was changed by another program";
    m_file_state = FileState::Damaged;
    return true;
}

bool NSUserDefaults::write_locked() {
    if (!check_file_before_write_locked()) return false;
    if (!create_folders(m_base_folder, parent_folder(m_path), m_last_error)) return false;
    if (m_file_state == FileState::Damaged) {
        std::string aside;
        if (!keep_file_aside(m_path, aside, m_last_error)) return false;
        if (!aside.empty())
            report_problem("kept " + m_path + " aside as " + aside + ": " + m_aside_reason);
        m_file_state = FileState::Absent;
        m_aside_reason = k_damaged_reason;
    }
    std::string text = format_property_list(m_values.get());
    if (text.empty()) {
        m_last_error = "the values cannot be written as a property list";
        return false;
    }
    FileVersion written;
    if (SystemCall replaced = replace_file_atomically(m_path, text, k_file_mode, &written);
        !replaced.ok()) {
        m_last_error = replaced.message();
        return false;
    }
    m_known_version = written;
    m_file_state = FileState::Present;
    return true;
}

id NSUserDefaults::stored_or_registered_locked(id key) {
    if (!key_string(key)) return nil;
    if (id value = m_values->objectForKey(key)) return value;
    return m_registered->objectForKey(key);
}

std::string standard_user_defaults_path() {
    std::optional<std::string> home = standard_home();
    return home ? path_in_home(*home) : std::string();
}

void reset_standard_user_defaults_for_tests() {
    ObjcRef<NSUserDefaults> dropped;
    std::lock_guard lock(g_standard_mutex);
    dropped.swap(standard_instance());
}

void register_ns_user_defaults_class() {
    register_native_class<NSUserDefaults>(
        "NSUserDefaults", "NSObject",
        {
            class_method<&NSUserDefaults::standardUserDefaults>("standardUserDefaults"),
            instance_method<&NSUserDefaults::integerForKey>("integerForKey:"),
            instance_method<&NSUserDefaults::setInteger>("setInteger:forKey:"),
            instance_method<&NSUserDefaults::synchronize>("synchronize"),
        });
}
