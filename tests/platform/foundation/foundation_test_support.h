#pragma once
// Helpers shared by the Foundation tests.

#include "platform/foundation/ns_string.h"
#include "platform/objc/objc.h"
#include "tests/support/environment_scope.h"

#include <string>

// The string's text as UTF-8, or "<nil>" / "<not a string>", for readable failures.
inline std::string text_of(id object) {
    if (!object) return "<nil>";
    auto* string = dynamic_cast<NSString*>(object);
    return string ? string->utf8() : "<not a string>";
}

inline Class class_named(const char* name) {
    return objc_lookUpClass(name);
}
