#pragma once
// NSBundle: the folder a program runs from. An executable at X.app/Contents/MacOS/name (any
// folder laid out so, whatever its extension) belongs to the bundle X.app, whose resources are
// in X.app/Contents/Resources and whose Info.plist is X.app/Contents/Info.plist. Any other
// executable (a unit test, a helper in Contents/Helpers) is its own bundle: its folder is both
// the bundle path and the resource path, and it has no Info.plist.

#include "platform/objc/native_class.h"

#include <string>
#include <string_view>

class NSDictionary;
class NSString;

// Where the bundle of an executable lies; `info_plist_path` is empty outside a bundle.
struct BundleLocation {
    std::string bundle_path;
    std::string resource_path;
    std::string info_plist_path;
};

// Works on the text of the path alone (the file system is not asked). An executable with no
// folder in its path is taken to be in ".".
BundleLocation bundle_location_for_executable(std::string_view executable_path);

class NSBundle : public NSObject {
  public:
    NSBundle() = default;

    // A new bundle holding one reference, for the executable at `executable_path`; its
    // Info.plist is read now, and one that is missing or not a dictionary counts as empty.
    static ObjcRef<NSBundle> make_for_executable(std::string_view executable_path);

    // The bundle of this process's executable (/proc/self/exe), made once and immortal; nil
    // when the executable's path cannot be read.
    static NSBundle* mainBundle(Class self);

    // Strings and dictionaries below live as long as the bundle.
    NSString* bundlePath() const { return m_bundle_path.get(); }
    NSString* resourcePath() const { return m_resource_path.get(); }
    NSString* executablePath() const { return m_executable_path.get(); }
    // Info.plist's dictionary; empty outside a bundle.
    NSDictionary* infoDictionary() const { return m_info.get(); }

  private:
    ObjcRef<NSString> m_bundle_path;
    ObjcRef<NSString> m_resource_path;
    ObjcRef<NSString> m_executable_path;
    ObjcRef<NSDictionary> m_info;
};

void register_ns_bundle_class();
