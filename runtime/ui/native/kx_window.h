#pragma once
// KXWindow: the native window of every runtime window. It knows its window record, whose
// disabled field decides whether it may become key or main; unlike a plain window, a borderless
// runtime window may become key.

#include "platform/appkit/ns_window.h"

namespace rt {
struct WindowRecord;
}

class KXWindow : public NSWindow {
  public:
    KXWindow() = default;

    // Null before NewWindow stores it and after the window's close has released the record.
    rt::WindowRecord* window_record() const { return m_record; }
    void set_window_record(rt::WindowRecord* record) { m_record = record; }

    BOOL canBecomeKeyWindow() const;
    BOOL canBecomeMainWindow() const;

  private:
    bool is_enabled() const;

    rt::WindowRecord* m_record = nullptr; // borrowed: the window table owns it
};

// Registers the class once; later calls do nothing.
void register_kx_window_class();
