#pragma once
// Classes and metaclasses. A class is an object whose isa is its metaclass; the metaclass holds
// the class methods, its isa is the root metaclass and its superclass is the superclass's
// metaclass, up to the root metaclass, whose superclass is the root class (so classes also answer
// the root's instance methods). Every class knows how to make its instances: the C++ constructor
// of its nearest native ancestor, with room after the C++ object for extra bytes.
//
// Method tables and the class registry change under one runtime-wide lock; classes and methods
// are never freed. Lookups go through a small cache per
// class that is read without the lock; adding a method anywhere empties every cache.

#include "platform/objc/ns_object.h"

#include <array>
#include <atomic>
#include <memory>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <vector>

// How the instances of a class are built: by the C++ class of its nearest native ancestor.
struct NativeLayout {
    // A new C++ object followed by `extra_bytes` zeroed bytes; null when the C++ class cannot be
    // default-constructed (its classes then make no instances through +alloc).
    NSObject* (*construct)(std::size_t extra_bytes) = nullptr;
    std::size_t native_size = 0;
};

struct objc_class final : NSObject {
  public:
    // Use make_class_pair (class_registry.h); this only fills the record. `instance_size` is the
    // size of the nearest native ancestor's C++ object.
    objc_class(const char* name, Class superclass, bool is_metaclass, const NativeLayout& layout,
               std::size_t instance_size);
    ~objc_class() override;

    const char* name() const { return m_name.c_str(); }
    Class super_class() const { return m_superclass; }
    bool is_metaclass() const { return m_is_metaclass; }
    bool is_registered() const { return m_registered.load(std::memory_order_acquire); }
    void mark_registered() { m_registered.store(true, std::memory_order_release); }
    const NativeLayout& layout() const { return m_layout; }
    std::size_t instance_size() const { return m_instance_size; }
    // Where the extra bytes of class_createInstance start in every instance.
    std::size_t indexed_offset() const;

    // The method for `selector` in this class or its nearest ancestor that has one; null if none.
    Method find_method(SEL selector) const;
    // False when this class itself already has a method for `selector`. `implementation_type`
    // is implementation_type_of the IMP's real C++ type, or null; `word_entry` the method's word
    // entry (method.h), or null.
    bool add_method(SEL selector, IMP imp, const char* types,
                    const void* implementation_type = nullptr, IMP word_entry = nullptr);
    // A new instance holding one reference; nil for a metaclass, an unregistered class or a class
    // whose native ancestor cannot be default-constructed.
    id create_instance(std::size_t extra_bytes);

  private:
    static constexpr std::size_t k_cache_slots = 64;

    Method find_method_unlocked(SEL selector) const;
    Method find_method_slowly(SEL selector) const;

    std::string m_name;
    Class m_superclass;
    bool m_is_metaclass;
    std::atomic<bool> m_registered{false};
    NativeLayout m_layout;
    std::size_t m_instance_size;
    std::unordered_map<SEL, std::unique_ptr<objc_method>> m_methods;
    // Methods found for this class, inherited ones included, valid while m_cache_generation
    // equals the runtime's method generation.
    mutable std::atomic<std::uint64_t> m_cache_generation{0};
    mutable std::array<std::atomic<Method>, k_cache_slots> m_cache{};
};

// The lock under which classes, their methods and the class registry change.
std::shared_mutex& runtime_lock();

extern "C" {
// Nil for nil; for a class, its metaclass.
Class object_getClass(id object);
const char* object_getClassName(id object);
// The extra bytes asked for in class_createInstance (or objc_allocateClassPair, for a class).
void* object_getIndexedIvars(id object);

// "nil" for Nil; a metaclass has its class's name.
const char* class_getName(Class cls);
// Searches the superclasses too; a metaclass gives class methods.
Method class_getInstanceMethod(Class cls, SEL selector);
BOOL class_respondsToSelector(Class cls, SEL selector);
// NO when the class itself already has a method for the selector (an inherited one is
// overridden); `types` is copied and parsed on the first call of the method.
BOOL class_addMethod(Class cls, SEL selector, IMP imp, const char* types);
// An instance with one reference and `extra_bytes` zeroed bytes after its C++ object;
// it is not sent -init. Nil for an unregistered class or one that cannot make instances.
id class_createInstance(Class cls, std::size_t extra_bytes);
}
