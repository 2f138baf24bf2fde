#pragma once
// NSDictionary and NSMutableDictionary: maps from keys to objects that keep the order in which
// keys were first added. Keys compare with isEqual: and hash (called as C++ members), and are
// retained rather than copied, which is the same thing for the immutable keys used here.
// Neither keys nor values are ever nil: a nil key or value changes nothing (the platform
// raises an exception).
//
// C++ code iterates the entries in order: `for (const auto& [key, value] : *dictionary)`.

#include "platform/objc/native_class.h"

#include <cstddef>
#include <span>
#include <unordered_map>
#include <vector>

class NSArray;

struct DictionaryEntry {
    ObjcRef<> key;
    ObjcRef<> value;
};

class NSDictionary : public NSObject {
  public:
    NSDictionary() = default;

    // A new dictionary holding one reference; later duplicates of a key replace the value in the
    // key's first position. Pairs with a nil key or value are left out.
    static ObjcRef<NSDictionary> make(std::span<const id> keys, std::span<const id> values);

    const std::vector<DictionaryEntry>& entries() const { return m_entries; }
    auto begin() const { return m_entries.begin(); }
    auto end() const { return m_entries.end(); }

    // Class methods; each returns an autoreleased instance of the receiving class.
    static NSDictionary* dictionary(Class self);
    // Nil for null arrays with a non-zero count.
    static NSDictionary* dictionaryWithObjects(Class self, const id* objects, const id* keys,
                                               NSUInteger count);
    // Nil for a nil object or key.
    static NSDictionary* dictionaryWithObjectForKey(Class self, id object, id key);

    NSUInteger count() const { return m_entries.size(); }
    // Nil when absent.
    id objectForKey(id key) const;
    // Same keys with equal values, in any order.
    BOOL isEqual(id other) const override;
    NSUInteger hash() const override { return m_entries.size(); }

  protected:
    // A new key goes last; an existing key keeps its position and gets the new value.
    void set(id value, id key);
    void remove(id key);
    void clear();
    void set_value_at(std::size_t position, id value);

  private:
    std::size_t find(id key) const; // m_entries.size() when absent
    void rebuild_index();

    std::vector<DictionaryEntry> m_entries;
    // The positions in m_entries of the keys with each hash.
    std::unordered_multimap<NSUInteger, std::size_t> m_index;
};

class NSMutableDictionary : public NSDictionary {
  public:
    NSMutableDictionary() = default;

    // A new, empty mutable dictionary holding one reference.
    static ObjcRef<NSMutableDictionary> make();

    void setObject(id object, id key) { set(object, key); }
    void removeObjectForKey(id key) { remove(key); }
    void removeAllObjects() { clear(); }
    // Replaces the value of the entry at `position` (below count()), keeping its key and place;
    // a nil value changes nothing.
    void replace_value_at(std::size_t position, id value) { set_value_at(position, value); }
};

void register_ns_dictionary_class();
void register_ns_mutable_dictionary_class();
