#include "platform/objc/class_registry.h"

#include "platform/objc/native_class_list.h"
#include "platform/objc/text_hash.h"

#include <mutex>
#include <string>
#include <unordered_map>

namespace {

constexpr std::size_t k_indexed_alignment = 16;

using ClassMap = std::unordered_map<std::string, Class, TextHash, std::equal_to<>>;

// Guarded by runtime_lock(); holds unregistered pairs too, so that their names stay reserved.
ClassMap& class_map() {
    static auto* classes = new ClassMap;
    return *classes;
}

NSObject* construct_root_object(std::size_t extra_bytes) {
    return new (ExtraBytes{extra_bytes}) NSObject();
}

// The room a class object needs after itself so that object_getIndexedIvars finds its extra
// bytes where it finds every object's: after its class's instance size, 16-byte aligned.
ExtraBytes class_object_room(std::size_t extra_bytes) {
    std::size_t size = sizeof(objc_class);
    std::size_t aligned =
        (size + k_indexed_alignment - 1) / k_indexed_alignment * k_indexed_alignment;
    return ExtraBytes{aligned - size + extra_bytes};
}

NativeLayout layout_for(Class superclass, const NativeLayout* native) {
    if (native) return *native;
    if (superclass) return superclass->layout();
    return NativeLayout{&construct_root_object, sizeof(NSObject)};
}

std::size_t instance_size_for(Class superclass, const NativeLayout* native) {
    if (native) return native->native_size;
    return superclass ? superclass->instance_size() : sizeof(NSObject);
}

bool can_subclass(Class superclass) {
    return !superclass || (!superclass->is_metaclass() && superclass->is_registered());
}

// The root metaclass inherits from the root class itself, so classes answer the root's instance
// methods; every metaclass is an instance of the root metaclass, which is an instance of itself.
Class allocate_metaclass(Class cls, ExtraBytes room) {
    Class superclass = cls->super_class();
    NativeLayout meta_layout{nullptr, sizeof(objc_class)};
    Class meta_superclass = superclass ? superclass->isa() : cls;
    Class meta =
        new (room) objc_class(cls->name(), meta_superclass, true, meta_layout, sizeof(objc_class));
    if (!meta) return nil;
    ObjectHeader::set_class(*meta, superclass ? superclass->isa()->isa() : meta);
    return meta;
}

} // namespace

Class make_class_pair(Class superclass, const char* name, const NativeLayout* native,
                      std::size_t extra_bytes) {
    if (!name || !*name || !can_subclass(superclass)) return nil;
    std::unique_lock lock(runtime_lock());
    if (class_map().contains(std::string_view(name))) return nil;
    ExtraBytes room = class_object_room(extra_bytes);
    Class cls = new (room) objc_class(name, superclass, false, layout_for(superclass, native),
                                      instance_size_for(superclass, native));
    if (!cls) return nil;
    Class meta = allocate_metaclass(cls, room);
    if (!meta) {
        delete cls;
        return nil;
    }
    ObjectHeader::set_class(*cls, meta);
    class_map().emplace(name, cls);
    return cls;
}

Class find_registered_class(std::string_view name) {
    std::shared_lock lock(runtime_lock());
    auto found = class_map().find(name);
    if (found == class_map().end() || !found->second->is_registered()) return nil;
    return found->second;
}

Class objc_lookUpClass(const char* name) {
    if (!name) return nil;
    ensure_native_classes();
    return find_registered_class(name);
}

Class objc_getClass(const char* name) {
    return objc_lookUpClass(name);
}

Class objc_allocateClassPair(Class superclass, const char* name, std::size_t extra_bytes) {
    ensure_native_classes();
    return make_class_pair(superclass, name, nullptr, extra_bytes);
}

void objc_registerClassPair(Class cls) {
    if (!cls || cls->is_metaclass()) return;
    std::unique_lock lock(runtime_lock());
    cls->isa()->mark_registered();
    cls->mark_registered();
}
