#include "platform/graphics/cg_color_space.h"

#include <atomic>
#include <new>

struct CGColorSpace {
    std::atomic<std::int32_t> retain_count{1};
    CGColorSpaceModel model = kCGColorSpaceModelRGB;
    std::size_t components = 3;
};

CGColorSpaceRef CGColorSpaceCreateDeviceRGB() {
    return new (std::nothrow) CGColorSpace();
}

CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space) {
    if (space) space->retain_count.fetch_add(1, std::memory_order_relaxed);
    return space;
}

void CGColorSpaceRelease(CGColorSpaceRef space) {
    if (!space) return;
    if (space->retain_count.fetch_sub(1, std::memory_order_acq_rel) == 1) delete space;
}

std::size_t CGColorSpaceGetNumberOfComponents(CGColorSpaceRef space) {
    return space ? space->components : 0;
}

CGColorSpaceModel CGColorSpaceGetModel(CGColorSpaceRef space) {
    return space ? space->model : kCGColorSpaceModelUnknown;
}
