#pragma once
// A premultiplied RGBA bitmap context over a test's buffer, made the current graphics context for
// the life of the scope (saved and restored as drawing targets do).

#include "platform/appkit/ns_graphics_context.h"
#include "platform/graphics/cg_color_space.h"
#include "platform/objc/autorelease_pool.h"

#include <cstdint>
#include <vector>

class CurrentContextScope {
  public:
    CurrentContextScope(std::uint8_t* pixels, std::size_t width, std::size_t height) {
        AutoreleasePoolScope pool;
        CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
        m_port = CGBitmapContextCreate(pixels, width, height, 8, width * 4, space,
                                       kCGImageAlphaPremultipliedLast);
        CGColorSpaceRelease(space);
        Class cls = objc_lookUpClass("NSGraphicsContext");
        m_context = NSGraphicsContext::graphicsContextWithGraphicsPort(cls, m_port, NO);
        NSGraphicsContext::saveGraphicsState(cls);
        NSGraphicsContext::setCurrentContext(cls, m_context);
    }
    ~CurrentContextScope() {
        NSGraphicsContext::restoreGraphicsState(objc_lookUpClass("NSGraphicsContext"));
        CGContextRelease(m_port);
    }
    CurrentContextScope(const CurrentContextScope&) = delete;
    CurrentContextScope& operator=(const CurrentContextScope&) = delete;

    // Valid while the scope lasts (the current context holds it).
    NSGraphicsContext* context() const { return m_context; }

  private:
    CGContextRef m_port = nullptr;
    NSGraphicsContext* m_context = nullptr;
};
