#pragma once
// Autoreleased objects made in one call, for tests that build collections and property lists.
// They live until the innermost autorelease pool ends.

#include "platform/foundation/ns_number.h"
#include "platform/foundation/ns_string.h"

#include <cstdint>
#include <string_view>

inline NSString* string(std::u16string_view units) {
    return NSString::make(units).autorelease();
}

inline NSNumber* integer(std::int64_t value) {
    return NSNumber::make(value).autorelease();
}
