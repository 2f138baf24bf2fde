#pragma once
// The view that shows a window's direct drawing: a bitmap over the window's output buffer, laid
// on top of the content view.

#include "platform/appkit/ns_bitmap_image_rep.h"
#include "platform/appkit/ns_view.h"

class KXWindowOutputView : public NSView {
  public:
    KXWindowOutputView() = default;

    // Null until the first set_bitmap.
    NSBitmapImageRep* bitmap() const { return m_bitmap.get(); }
    // Retains the new bitmap and lets go of the old one.
    void set_bitmap(NSBitmapImageRep* bitmap) {
        m_bitmap = ObjcRef<NSBitmapImageRep>::retain(bitmap);
    }

    // Draws the bitmap into `dirty`.
    void drawRect(NSRect dirty);

  private:
    ObjcRef<NSBitmapImageRep> m_bitmap;
};

// Registers the class once; later calls do nothing.
void register_kx_window_output_view_class();
