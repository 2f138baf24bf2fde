#pragma once
// NSObject: the root class, and the header every platform object starts with (its class and its
// reference count). Instances live in zero-filled malloc blocks, with room after the C++ object
// for the extra bytes of class_createInstance.
//
// Reference counting: an object starts with one reference, held by whoever made it (+alloc, +new,
// make_native, class_createInstance); retain adds one, release drops one, and the last release
// sends -dealloc, whose root implementation destroys the object through its virtual destructor.
// Classes are immortal: retain and release leave them alone.
//
// Calls from C++ (`object->retain()`) run the C++ member directly; a method that a class made at
// run time adds under the same selector is reached only by message (msg_send, objc_msgSend).

#include "platform/objc/objc_types.h"

#include <atomic>
#include <climits>
#include <cstddef>

// Zeroed bytes allocated after a C++ object: the placement form of NSObject's operator new.
struct ExtraBytes {
    std::size_t count;
};

class NSObject {
  public:
    NSObject() = default;
    NSObject(const NSObject&) = delete;
    NSObject& operator=(const NSObject&) = delete;
    virtual ~NSObject() = default;

    // Null when memory runs out; the new-expression then yields null without constructing.
    static void* operator new(std::size_t size) noexcept;
    static void* operator new(std::size_t size, ExtraBytes extra) noexcept;
    static void operator delete(void* block) noexcept;
    static void operator delete(void* block, ExtraBytes extra) noexcept;

    // Class methods; `self` is the receiving class.
    static id alloc(Class self);          // nil when the class cannot make instances
    static id newObject(Class self);      // +new: alloc, then -init by message
    static Class classObject(Class self); // +class

    // Instance methods, registered under their own names.
    id init();
    id retain();
    void release();
    id autorelease();
    void dealloc();
    NSUInteger retainCount() const;
    id self();
    Class objectClass() const; // -class
    BOOL respondsToSelector(SEL selector) const;
    // Identity; a subclass with a value overrides both together.
    virtual BOOL isEqual(id other) const;
    virtual NSUInteger hash() const;

    // The object's class without a message; for a class, its metaclass.
    Class isa() const { return m_isa; }

  private:
    friend struct ObjectHeader;
    static constexpr std::int32_t k_immortal = INT32_MAX;

    Class m_isa = nullptr;
    std::atomic<std::int32_t> m_retain_count{1};
};

// Access to an object's header, for the object runtime, and for a native class that keeps shared
// instances of its own: such an object, never freed, gets its class with set_class and then
// make_immortal, after which retain and release leave it alone.
struct ObjectHeader {
    static void set_class(NSObject& object, Class cls) { object.m_isa = cls; }
    static void make_immortal(NSObject& object) {
        object.m_retain_count.store(NSObject::k_immortal, std::memory_order_relaxed);
    }
};

extern "C" {
// Both accept nil; objc_retain returns its argument.
id objc_retain(id object);
void objc_release(id object);
}

void register_ns_object_class();
