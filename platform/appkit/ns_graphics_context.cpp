#include "platform/appkit/ns_graphics_context.h"

#include <vector>

namespace {

// Both hold one reference to each context. They are plain pointers, not handles, so that nothing
// is released while the thread's storage is torn down at exit.
thread_local NSGraphicsContext* t_current = nullptr;
thread_local std::vector<NSGraphicsContext*> t_saved;

void replace_current(NSGraphicsContext* context) {
    NSGraphicsContext* old = t_current;
    t_current = context;
    objc_release(old);
}

} // namespace

NSGraphicsContext::~NSGraphicsContext() {
    CGContextRelease(m_port);
}

NSGraphicsContext* NSGraphicsContext::graphicsContextWithGraphicsPort(Class, void* port,
                                                                      BOOL flipped) {
    if (!port) return nil;
    ObjcRef<NSGraphicsContext> context = make_native<NSGraphicsContext>();
    if (!context) return nil;
    context->m_port = CGContextRetain(static_cast<CGContextRef>(port));
    context->m_flipped = flipped ? YES : NO;
    return context.autorelease();
}

NSGraphicsContext* NSGraphicsContext::currentContext(Class) {
    return t_current;
}

NSGraphicsContext* NSGraphicsContext::current() {
    return t_current;
}

void NSGraphicsContext::setCurrentContext(Class, NSGraphicsContext* context) {
    objc_retain(context);
    replace_current(context);
}

void NSGraphicsContext::saveGraphicsState(Class) {
    t_saved.push_back(static_cast<NSGraphicsContext*>(objc_retain(t_current)));
}

void NSGraphicsContext::restoreGraphicsState(Class) {
    if (t_saved.empty()) return;
    NSGraphicsContext* saved = t_saved.back();
    t_saved.pop_back();
    replace_current(saved);
}

std::size_t NSGraphicsContext::saved_count() {
    return t_saved.size();
}

void register_ns_graphics_context_class() {
    register_native_class<NSGraphicsContext>(
        "NSGraphicsContext", "NSObject",
        {
            class_method<&NSGraphicsContext::graphicsContextWithGraphicsPort>(
                "graphicsContextWithGraphicsPort:flipped:"),
            class_method<&NSGraphicsContext::currentContext>("currentContext"),
            class_method<&NSGraphicsContext::setCurrentContext>("setCurrentContext:"),
            class_method<&NSGraphicsContext::saveGraphicsState>("saveGraphicsState"),
            class_method<&NSGraphicsContext::restoreGraphicsState>("restoreGraphicsState"),
            instance_method<&NSGraphicsContext::isFlipped>("isFlipped"),
        });
}
