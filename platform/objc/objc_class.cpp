#include "platform/objc/objc_class.h"

#include "platform/objc/method.h"
#include "platform/objc/native_class_list.h"

#include <cstring>
#include <mutex>

namespace {

constexpr std::size_t k_indexed_alignment = 16;

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
                            const void* implementation_type, IMP word_entry) {
    std::unique_lock lock(runtime_lock());
    auto [entry, inserted] = m_methods.try_emplace(selector);
    if (!inserted) return false;
    entry->second = std::make_unique<objc_method>();
    entry->second->selector = selector;
    entry->second->implementation = imp;
    entry->second->types = types;
    entry->second->implementation_type = implementation_type;
    entry->second->word_entry = word_entry;
    g_method_generation.fetch_add(1, std::memory_order_release);
    return true;
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

const char* class_getName(Class cls) {
    return cls ? cls->name() : "nil";
}

Method class_getInstanceMethod(Class cls, SEL selector) {
    if (!cls || !selector) return nullptr;
    return cls->find_method(selector);
}

BOOL class_respondsToSelector(Class cls, SEL selector) {
    return class_getInstanceMethod(cls, selector) ? YES : NO;
}

BOOL class_addMethod(Class cls, SEL selector, IMP imp, const char* types) {
    if (!cls || !selector || !imp || !types) return NO;
    return cls->add_method(selector, imp, types) ? YES : NO;
}

id class_createInstance(Class cls, std::size_t extra_bytes) {
    return cls ? cls->create_instance(extra_bytes) : nil;
}
