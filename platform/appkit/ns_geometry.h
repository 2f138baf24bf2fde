#pragma once
// The window system's names for the geometry types: the same structures as Core Graphics'.

#include "platform/graphics/cg_geometry.h"

using NSPoint = CGPoint;
using NSSize = CGSize;
using NSRect = CGRect;

constexpr NSRect NSMakeRect(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
    return CGRectMake(x, y, width, height);
}
constexpr NSPoint NSMakePoint(CGFloat x, CGFloat y) {
    return {x, y};
}
constexpr NSSize NSMakeSize(CGFloat width, CGFloat height) {
    return {width, height};
}
