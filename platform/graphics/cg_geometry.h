#pragma once
// Points, sizes and rectangles in points, as every drawing and window operation takes them. A
// rectangle's origin is its corner nearest the coordinate system's origin: bottom-left in the
// window system's coordinates, top-left in a flipped view's.

#include "platform/objc/cpp_encoding.h"

#include <string_view>

using CGFloat = double;

struct CGPoint {
    CGFloat x = 0;
    CGFloat y = 0;
    bool operator==(const CGPoint&) const = default;
};

struct CGSize {
    CGFloat width = 0;
    CGFloat height = 0;
    bool operator==(const CGSize&) const = default;
};

struct CGRect {
    CGPoint origin;
    CGSize size;
    bool operator==(const CGRect&) const = default;
};

constexpr CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
    return {{x, y}, {width, height}};
}

template <>
struct ObjcStructEncoding<CGPoint> {
    static constexpr std::string_view value = "{CGPoint=dd}";
};
template <>
struct ObjcStructEncoding<CGSize> {
    static constexpr std::string_view value = "{CGSize=dd}";
};
template <>
struct ObjcStructEncoding<CGRect> {
    static constexpr std::string_view value = "{CGRect={CGPoint=dd}{CGSize=dd}}";
};
