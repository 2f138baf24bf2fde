#pragma once
// A Core Foundation object held with a reference of its own, or nothing. While it is held the
// object cannot be freed, so no other object can be given its address: an address equal to the
// held object's is that object.

#include "platform/foundation/core_foundation.h"

#include <utility>

namespace battery {

class HeldObject {
  public:
    HeldObject() = default;
    HeldObject(const HeldObject& other) : m_object(other.m_object) { retain(); }
    HeldObject(HeldObject&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    HeldObject& operator=(const HeldObject& other) {
        hold(other.m_object);
        return *this;
    }
    HeldObject& operator=(HeldObject&& other) noexcept {
        std::swap(m_object, other.m_object);
        return *this;
    }
    ~HeldObject() { release(); }

    // Holds `object`, which may be null, instead of the one held.
    void hold(CFTypeRef object) {
        if (object == m_object) return;
        release();
        m_object = object;
        retain();
    }
    // True when `object` is the held one; never for null.
    bool is(CFTypeRef object) const { return m_object && object == m_object; }
    bool holds_the_same(const HeldObject& other) const { return is(other.m_object); }

  private:
    void retain() const {
        if (m_object) CFRetain(m_object);
    }
    void release() const {
        if (m_object) CFRelease(m_object);
    }

    CFTypeRef m_object = nullptr;
};

} // namespace battery
