#include "platform/foundation/ns_dictionary.h"

#include "platform/foundation/instance_of.h"
#include "platform/foundation/ns_array.h"

#include <algorithm>
#include <cassert>

namespace {

bool are_equal(id a, id b) {
    return a == b || (a && a->isEqual(b));
}

} // namespace

ObjcRef<NSDictionary> NSDictionary::make(std::span<const id> keys, std::span<const id> values) {
    ObjcRef<NSDictionary> dictionary = make_native<NSDictionary>();
    if (!dictionary) return {};
    std::size_t count = std::min(keys.size(), values.size());
    for (std::size_t i = 0; i < count; ++i)
        dictionary->set(values[i], keys[i]);
    return dictionary;
}

NSDictionary* NSDictionary::dictionary(Class self) {
    return make_instance_of<NSDictionary>(self).autorelease();
}

NSDictionary* NSDictionary::dictionaryWithObjectForKey(Class self, id object, id key) {
    if (!object || !key) return nil;
    return dictionaryWithObjects(self, &object, &key, 1);
}

NSDictionary* NSDictionary::dictionaryWithObjects(Class self, const id* objects, const id* keys,
                                                  NSUInteger count) {
    if ((!objects || !keys) && count > 0) return nil;
    ObjcRef<NSDictionary> dictionary = make_instance_of<NSDictionary>(self);
    if (!dictionary) return nil;
    for (NSUInteger i = 0; i < count; ++i)
        dictionary->set(objects[i], keys[i]);
    return dictionary.autorelease();
}

id NSDictionary::objectForKey(id key) const {
    std::size_t position = find(key);
    return position < m_entries.size() ? m_entries[position].value.get() : nil;
}

BOOL NSDictionary::isEqual(id other) const {
    if (other == this) return YES;
    auto* dictionary = dynamic_cast<NSDictionary*>(other);
    if (!dictionary || dictionary->count() != count()) return NO;
    for (const DictionaryEntry& entry : m_entries) {
        if (!are_equal(entry.value.get(), dictionary->objectForKey(entry.key.get()))) return NO;
    }
    return YES;
}

void NSDictionary::set(id value, id key) {
    if (!value || !key) return;
    std::size_t position = find(key);
    if (position < m_entries.size()) {
        m_entries[position].value = ObjcRef<>::retain(value);
        return;
    }
    m_entries.push_back({ObjcRef<>::retain(key), ObjcRef<>::retain(value)});
    m_index.emplace(key->hash(), position);
}

void NSDictionary::remove(id key) {
    std::size_t position = find(key);
    if (position >= m_entries.size()) return;
    // Keep the entry alive until the tables are consistent again: its release may run -dealloc
    // code that reads this dictionary.
    DictionaryEntry removed = std::move(m_entries[position]);
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(position));
    rebuild_index();
}

void NSDictionary::set_value_at(std::size_t position, id value) {
    assert(position < m_entries.size() && "set_value_at: no entry at this position");
    if (!value) return;
    m_entries[position].value = ObjcRef<>::retain(value);
}

void NSDictionary::clear() {
    std::vector<DictionaryEntry> removed;
    removed.swap(m_entries);
    m_index.clear();
}

std::size_t NSDictionary::find(id key) const {
    if (!key) return m_entries.size();
    auto [first, last] = m_index.equal_range(key->hash());
    for (auto it = first; it != last; ++it) {
        if (are_equal(m_entries[it->second].key.get(), key)) return it->second;
    }
    return m_entries.size();
}

void NSDictionary::rebuild_index() {
    m_index.clear();
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        m_index.emplace(m_entries[i].key->hash(), i);
    }
}

ObjcRef<NSMutableDictionary> NSMutableDictionary::make() {
    return make_native<NSMutableDictionary>();
}

void register_ns_dictionary_class() {
    register_native_class<NSDictionary>("NSDictionary", "NSObject",
                                        {
                                            class_method<&NSDictionary::dictionary>("dictionary"),
                                            class_method<&NSDictionary::dictionaryWithObjects>(
                                                "dictionaryWithObjects:forKeys:count:"),
                                            instance_method<&NSDictionary::count>("count"),
                                        });
}

void register_ns_mutable_dictionary_class() {
    register_native_class<NSMutableDictionary>("NSMutableDictionary", "NSDictionary", {});
}
