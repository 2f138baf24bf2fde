#pragma once
// NSGraphicsContext: the drawing destination that image representations draw into, wrapping a
// bitmap context (its graphics port). Each thread has a current context and a stack of saved ones:
// +saveGraphicsState pushes the current context, +restoreGraphicsState makes the most recently
// saved one current again.
//
// For the model, a context also remembers the file name of the last picture read from a file that
// was drawn into it, so that the image owning the pixels can tell a display what it shows.

#include "platform/graphics/cg_bitmap_context.h"
#include "platform/objc/native_class.h"

#include <string>

class NSGraphicsContext : public NSObject {
  public:
    NSGraphicsContext() = default;
    ~NSGraphicsContext() override;

    // An autoreleased context over `port` (a CGContextRef, retained by the context); nil for a
    // null port.
    static NSGraphicsContext* graphicsContextWithGraphicsPort(Class self, void* port, BOOL flipped);
    // This thread's current context, or nil.
    static NSGraphicsContext* currentContext(Class self);
    // Retains `context` (nil allowed) as this thread's current context.
    static void setCurrentContext(Class self, NSGraphicsContext* context);
    static void saveGraphicsState(Class self);
    // Without a saved context the current one stays.
    static void restoreGraphicsState(Class self);

    CGContextRef CGContext() const { return m_port; }
    BOOL isFlipped() const { return m_flipped; }

    // For the model:
    static NSGraphicsContext* current();
    // How many contexts this thread has saved and not yet restored.
    static std::size_t saved_count();
    void note_drawn_file(std::string name) { m_drawn_file = std::move(name); }
    // Empty when no picture read from a file was drawn into this context.
    const std::string& drawn_file() const { return m_drawn_file; }

  private:
    CGContextRef m_port = nullptr;
    BOOL m_flipped = NO;
    std::string m_drawn_file;
};

void register_ns_graphics_context_class();
