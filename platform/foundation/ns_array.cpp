#include "platform/foundation/ns_array.h"

#include "platform/foundation/instance_of.h"

namespace {

std::vector<ObjcRef<>> retained_objects(std::span<const id> objects) {
    std::vector<ObjcRef<>> retained;
    retained.reserve(objects.size());
    for (id object : objects) {
        if (object) retained.push_back(ObjcRef<>::retain(object));
    }
    return retained;
}

bool are_equal(id a, id b) {
    return a == b || (a && a->isEqual(b));
}

} // namespace

ObjcRef<NSArray> NSArray::make(std::span<const id> objects) {
    ObjcRef<NSArray> array = make_native<NSArray>();
    if (array) array->m_objects = retained_objects(objects);
    return array;
}

NSArray* NSArray::array(Class self) {
    return make_instance_of<NSArray>(self).autorelease();
}

id NSArray::objectAtIndex(NSUInteger index) const {
    return index < m_objects.size() ? m_objects[index].get() : nil;
}

id NSArray::firstObject() const {
    return m_objects.empty() ? nil : m_objects.front().get();
}

id NSArray::lastObject() const {
    return m_objects.empty() ? nil : m_objects.back().get();
}

NSUInteger NSArray::indexOfObject(id object) const {
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        if (are_equal(m_objects[i].get(), object)) return i;
    }
    return NSNotFound;
}

BOOL NSArray::isEqual(id other) const {
    if (other == this) return YES;
    auto* array = dynamic_cast<NSArray*>(other);
    if (!array || array->count() != count()) return NO;
    for (std::size_t i = 0; i < m_objects.size(); ++i) {
        if (!are_equal(m_objects[i].get(), array->m_objects[i].get())) return NO;
    }
    return YES;
}

ObjcRef<NSMutableArray> NSMutableArray::make() {
    return make_native<NSMutableArray>();
}

void NSMutableArray::addObject(id object) {
    if (object) m_objects.push_back(ObjcRef<>::retain(object));
}

void NSMutableArray::removeObjectAtIndex(NSUInteger index) {
    if (index >= m_objects.size()) return;
    m_objects.erase(m_objects.begin() + static_cast<std::ptrdiff_t>(index));
}

void register_ns_array_class() {
    register_native_class<NSArray>("NSArray", "NSObject",
                                   {
                                       class_method<&NSArray::array>("array"),
                                       instance_method<&NSArray::count>("count"),
                                       instance_method<&NSArray::objectAtIndex>("objectAtIndex:"),
                                   });
}

void register_ns_mutable_array_class() {
    register_native_class<NSMutableArray>("NSMutableArray", "NSArray", {});
}
