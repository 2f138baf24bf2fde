#pragma once
// Colour spaces for bitmap contexts. Only the device RGB space exists: three colour components,
// samples stored as they are drawn, no colour matching.
//
// Ownership follows the platform's rule: CGColorSpaceCreateDeviceRGB returns a reference the
// caller gives back with CGColorSpaceRelease; a bitmap context keeps its own reference.

#include <cstddef>
#include <cstdint>

struct CGColorSpace;
using CGColorSpaceRef = CGColorSpace*;

using CGColorSpaceModel = std::int32_t;
inline constexpr CGColorSpaceModel kCGColorSpaceModelUnknown = -1;
inline constexpr CGColorSpaceModel kCGColorSpaceModelRGB = 1;

// A new device RGB colour space; null when memory runs out.
CGColorSpaceRef CGColorSpaceCreateDeviceRGB();
// Both accept null; CGColorSpaceRetain returns its argument.
CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space);
void CGColorSpaceRelease(CGColorSpaceRef space);
// 0 for null.
std::size_t CGColorSpaceGetNumberOfComponents(CGColorSpaceRef space);
// kCGColorSpaceModelUnknown for null.
CGColorSpaceModel CGColorSpaceGetModel(CGColorSpaceRef space);
