#pragma once
// The registry of classes by name. The platform's native classes are registered on the first
// lookup by name (native_class_list.h), so objc_lookUpClass("NSObject") needs no set-up.

#include "platform/objc/objc_class.h"

#include <string_view>

// Makes a class and its metaclass, not yet registered. A class made at run time (`native` null)
// builds its instances as its superclass does; a native class brings its own layout. Nil when
// the name is null, empty or in use (registered or not), or the superclass is a metaclass or not
// registered. `extra_bytes` are zeroed bytes after the class and metaclass objects.
Class make_class_pair(Class superclass, const char* name, const NativeLayout* native,
                      std::size_t extra_bytes);

// A registered class, without registering the native classes first; Nil if none.
Class find_registered_class(std::string_view name);

extern "C" {
// Nil when no registered class has the name.
Class objc_lookUpClass(const char* name);
Class objc_getClass(const char* name);
// The superclass may be Nil (a new root class). Nil when the name is in use.
Class objc_allocateClassPair(Class superclass, const char* name, std::size_t extra_bytes);
// Makes the class visible by name and able to make instances; a second call does nothing.
void objc_registerClassPair(Class cls);
}
