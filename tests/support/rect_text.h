#pragma once
// A rectangle as "(x, y, width, height)", for messages of failed checks.

#include "platform/appkit/ns_geometry.h"

#include <string>

inline std::string rect_text(NSRect rect) {
    return "(" + std::to_string(rect.origin.x) + ", " + std::to_string(rect.origin.y) + ", " +
           std::to_string(rect.size.width) + ", " + std::to_string(rect.size.height) + ")";
}
