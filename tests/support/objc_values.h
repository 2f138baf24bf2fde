#pragma once
// Autoreleased objects made in one call, for tests that build collections and property lists
// (they live until the innermost autorelease pool ends), and objects as text for comparisons.

#include "platform/foundation/ns_array.h"
#include "platform/foundation/ns_data.h"
#include "platform/foundation/ns_date.h"
#include "platform/foundation/ns_dictionary.h"
#include "platform/foundation/ns_number.h"
#include "platform/foundation/ns_string.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

inline NSString* string(std::u16string_view units) {
    return NSString::make(units).autorelease();
}

inline NSNumber* integer(std::int64_t value) {
    return NSNumber::make(value).autorelease();
}

// Kind and value of the object and of everything in it, in order ("int 5", "real 2.5", "true",
// "'text'", "data 00ff", "date 100.250000", "[int 1,]", "{'key':int 1,}", "nil"), so that a
// changed kind (an integer read back as a real), a lost element or reordered keys shows.
inline std::string describe(id object) {
    if (!object) return "nil";
    char text[48];
    if (auto* number = dynamic_cast<NSNumber*>(object)) {
        if (number->is_boolean()) return number->integer() ? "true" : "false";
        if (!number->is_floating()) return "int " + std::to_string(number->integer());
        std::snprintf(text, sizeof text, "real %.17g", number->floating());
        return text;
    }
    if (auto* string = dynamic_cast<NSString*>(object)) return "'" + string->utf8() + "'";
    if (auto* bytes = dynamic_cast<NSData*>(object)) {
        std::string hex = "data ";
        for (std::uint8_t byte : bytes->span())
            hex += std::string{"0123456789abcdef"[byte >> 4], "0123456789abcdef"[byte & 15]};
        return hex;
    }
    if (auto* moment = dynamic_cast<NSDate*>(object)) {
        std::snprintf(text, sizeof text, "date %.6f", moment->timeIntervalSince1970());
        return text;
    }
    std::string all;
    if (auto* list = dynamic_cast<NSArray*>(object)) {
        for (const ObjcRef<>& item : *list)
            all += describe(item.get()) + ",";
        return "[" + all + "]";
    }
    if (auto* map = dynamic_cast<NSDictionary*>(object)) {
        for (const auto& [key, value] : *map)
            all += describe(key.get()) + ":" + describe(value.get()) + ",";
        return "{" + all + "}";
    }
    return std::string("object of class ") + object_getClassName(object);
}
