#pragma once
// ObjcRef<T>: one counted reference to a platform object, so that C++ code never pairs retain
// and release by hand. Copying retains, destruction releases. adopt() takes over a reference the
// caller already owns (the results of alloc, new, copy and make_native); retain() takes a new
// one to a borrowed object (any other method's result, a parameter).

#include "platform/objc/autorelease_pool.h"
#include "platform/objc/ns_object.h"

#include <cstddef>
#include <type_traits>
#include <utility>

template <class T = NSObject>
class ObjcRef {
  public:
    ObjcRef() = default;
    ObjcRef(std::nullptr_t) {}

    [[nodiscard]] static ObjcRef adopt(T* object) {
        ObjcRef handle;
        handle.m_object = object;
        return handle;
    }
    [[nodiscard]] static ObjcRef retain(T* object) {
        objc_retain(object);
        return adopt(object);
    }

    ObjcRef(const ObjcRef& other) : m_object(other.m_object) { objc_retain(m_object); }
    ObjcRef(ObjcRef&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    template <class U>
    requires std::is_convertible_v<U*, T*> ObjcRef(const ObjcRef<U>& other)
        : m_object(other.get()) {
        objc_retain(m_object);
    }
    template <class U>
    requires std::is_convertible_v<U*, T*> ObjcRef(ObjcRef<U>&& other)
    noexcept : m_object(other.take()) {}

    ObjcRef& operator=(ObjcRef other) noexcept {
        std::swap(m_object, other.m_object);
        return *this;
    }
    ~ObjcRef() { objc_release(m_object); }

    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }

    // Gives the reference to the caller, who must release it; the handle becomes empty.
    [[nodiscard]] T* take() { return std::exchange(m_object, nullptr); }
    // Hands the reference to the current autorelease pool; the object stays valid until the pool
    // is popped. For returning an object that the caller does not own.
    T* autorelease() {
        objc_autorelease(m_object);
        return take();
    }
    void reset() { ObjcRef().swap(*this); }
    void swap(ObjcRef& other) noexcept { std::swap(m_object, other.m_object); }

    friend bool operator==(const ObjcRef& a, const ObjcRef& b) { return a.m_object == b.m_object; }

  private:
    T* m_object = nullptr;
};
