#include "platform/objc/objc_class.h"

#include "platform/objc/method.h"
#include "platform/objc/native_class_list.h"

#include <cstring>
#include <mutex>

namespace {

constexpr std::size_t k_indexed_alignment = 16;
constexpr std::uint8_t k_max_log2_alignment = 4;

std::size_t align_up(std::size_t value, std::size_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

// Bumped under the runtime lock whenever a method is added; caches of an older generation are
// stale. It starts at 1 so that a new class's cache (generation 0) starts stale.
std::atomic<std::uint64_t> g_method_generation{1};

std::size_t cache_slot(SEL selector, std::size_t slots) {
    auto bits = reinterpret_cast<std::uintptr_t>(selector);
    return ((bits >> 4) ^ (bits >> 12)) & (slots - 1);
}

// Instance variables and extra bytes are placed from the start of the whole C++ object, which
// is also the start of its block.
std::byte* object_start(id object) {
    return static_cast<std::byte*>(dynamic_cast<void*>(object));
}

} // namespace

std::shared_mutex& runtime_lock() {
    static auto* lock = new std::shared_mutex;
    return *lock;
}

objc_class::objc_class(const char* name, Class superclass, bool is_metaclass,
                       const NativeLayout& layout, std::size_t instance_size)
    : m_name(name), m_superclass(superclass), m_is_metaclass(is_metaclass), m_layout(layout),
      m_instance_size(instance_size) {
    ObjectHeader::make_immortal(*this);
}

objc_class::~objc_class() = default;

std::size_t objc_class::indexed_offset() const {
    return align_up(m_instance_size, k_indexed_alignment);
}

// A method holds its own selector, so a slot read without the lock never pairs a selector with
// another selector's method.
Method objc_class::find_method(SEL selector) const {
    bool current = m_cache_generation.load(std::memory_order_acquire) ==
                   g_method_generation.load(std::memory_order_acquire);
    if (current) {
        Method cached =
            m_cache[cache_slot(selector, k_cache_slots)].load(std::memory_order_acquire);
        if (cached && cached->selector == selector) return cached;
    }
    return find_method_slowly(selector);
}

// The generation cannot change while the shared lock is held, so entries stored here belong to
// the generation the cache is marked with.
Method objc_class::find_method_slowly(SEL selector) const {
    std::shared_lock lock(runtime_lock());
    std::uint64_t generation = g_method_generation.load(std::memory_order_relaxed);
    if (m_cache_generation.load(std::memory_order_acquire) != generation) {
        for (auto& entry : m_cache)
            entry.store(nullptr, std::memory_order_relaxed);
        m_cache_generation.store(generation, std::memory_order_release);
    }
    Method method = find_method_unlocked(selector);
    if (method)
        m_cache[cache_slot(selector, k_cache_slots)].store(method, std::memory_order_release);
    return method;
}

Method objc_class::find_method_unlocked(SEL selector) const {
    for (const objc_class* cls = this; cls; cls = cls->m_superclass) {
        auto found = cls->m_methods.find(selector);
        if (found != cls->m_methods.end()) return found->second.get();
    }
    return nullptr;
}

bool objc_class::add_method(SEL selector, IMP imp, const char* types,
                            const void* implementation_type) {
    std::unique_lock lock(runtime_lock());
    auto [entry, inserted] = m_methods.try_emplace(selector);
    if (!inserted) return false;
    entry->second = std::make_unique<objc_method>();
    entry->second->selector = selector;
    entry->second->implementation = imp;
    entry->second->types = types;
    entry->second->implementation_type = implementation_type;
    g_method_generation.fetch_add(1, std::memory_order_release);
    return true;
}

bool objc_class::add_ivar(const char* name, std::size_t size, std::uint8_t log2_alignment,
                          const char* types) {
    if (m_is_metaclass || is_registered() || log2_alignment > k_max_log2_alignment) return false;
    std::unique_lock lock(runtime_lock());
    if (find_ivar_unlocked(name)) return false;
    std::size_t offset = align_up(m_instance_size, std::size_t{1} << log2_alignment);
    m_ivars.push_back(std::make_unique<objc_ivar>(
        objc_ivar{name, types ? types : "", static_cast<std::ptrdiff_t>(offset), size}));
    m_instance_size = offset + size;
    return true;
}

Ivar objc_class::find_ivar(const char* name) const {
    std::shared_lock lock(runtime_lock());
    return find_ivar_unlocked(name);
}

Ivar objc_class::find_ivar_unlocked(const char* name) const {
    for (const objc_class* cls = this; cls; cls = cls->m_superclass) {
        for (const auto& ivar : cls->m_ivars) {
            if (ivar->name == name) return ivar.get();
        }
    }
    return nullptr;
}

id objc_class::create_instance(std::size_t extra_bytes) {
    if (m_is_metaclass || !is_registered() || !m_layout.construct) return nil;
    NSObject* object = m_layout.construct(indexed_offset() - m_layout.native_size + extra_bytes);
    if (!object) return nil;
    ObjectHeader::set_class(*object, this);
    return object;
}

// A constant string made during static initialisation has no class until the native classes
// are registered; asking for its class registers them.
Class object_getClass(id object) {
    if (!object) return nil;
    if (!object->isa()) ensure_native_classes();
    return object->isa();
}

const char* object_getClassName(id object) {
    return class_getName(object_getClass(object));
}

void* object_getIndexedIvars(id object) {
    if (!object) return nullptr;
    return object_start(object) + object->isa()->indexed_offset();
}

// Classes are immortal, whatever a caller asks.
id object_dispose(id object) {
    if (!object || object->isa()->is_metaclass()) return nil;
    delete object;
    return nil;
}

const char* class_getName(Class cls) {
    return cls ? cls->name() : "nil";
}

Class class_getSuperclass(Class cls) {
    return cls ? cls->super_class() : nil;
}

BOOL class_isMetaClass(Class cls) {
    return cls && cls->is_metaclass() ? YES : NO;
}

std::size_t class_getInstanceSize(Class cls) {
    return cls ? cls->instance_size() : 0;
}

Method class_getInstanceMethod(Class cls, SEL selector) {
    if (!cls || !selector) return nullptr;
    return cls->find_method(selector);
}

Method class_getClassMethod(Class cls, SEL selector) {
    return class_getInstanceMethod(object_getClass(cls), selector);
}

BOOL class_respondsToSelector(Class cls, SEL selector) {
    return class_getInstanceMethod(cls, selector) ? YES : NO;
}

BOOL class_addMethod(Class cls, SEL selector, IMP imp, const char* types) {
    if (!cls || !selector || !imp || !types) return NO;
    return cls->add_method(selector, imp, types) ? YES : NO;
}

BOOL class_addIvar(Class cls, const char* name, std::size_t size, std::uint8_t alignment,
                   const char* types) {
    if (!cls || !name) return NO;
    return cls->add_ivar(name, size, alignment, types) ? YES : NO;
}

Ivar class_getInstanceVariable(Class cls, const char* name) {
    if (!cls || !name) return nullptr;
    return cls->find_ivar(name);
}

const char* ivar_getName(Ivar ivar) {
    return ivar ? ivar->name.c_str() : nullptr;
}

const char* ivar_getTypeEncoding(Ivar ivar) {
    return ivar ? ivar->types.c_str() : nullptr;
}

std::ptrdiff_t ivar_getOffset(Ivar ivar) {
    return ivar ? ivar->offset : 0;
}

id class_createInstance(Class cls, std::size_t extra_bytes) {
    return cls ? cls->create_instance(extra_bytes) : nil;
}
