#pragma once
// A dictionary made from a value and handed out again, instead of a new one, while the value
// stays equal. It is handed out again only when nobody else holds it and its entries are still
// the objects it was made with, so a caller that keeps or changes a dictionary it was given
// never finds it handed to someone else, and every caller sees what a new dictionary would hold.
// On those same terms it may instead be brought up to date in place for a new value.

#include "platform/foundation/ns_dictionary.h"

#include <optional>
#include <utility>
#include <vector>

// The key and value objects of each entry, in order.
using DictionaryEntryObjects = std::vector<std::pair<id, id>>;

// Makes `objects` list the entries of `dictionary`, in the room it already has.
void record_entry_objects(const NSDictionary& dictionary, DictionaryEntryObjects& objects);

// Nobody but the one reference of its maker holds `dictionary`, and its entries are `entries`.
bool is_untouched(const NSDictionary& dictionary, const DictionaryEntryObjects& entries);

// Not thread-safe: the owner serialises calls.
template <class Value>
class ReusedDictionary {
  public:
    // The dictionary for `value`: the kept one when it may be handed out again, else a new one
    // from make(value), which is kept from then on. Null when make gives null.
    template <class Make>
    ObjcRef<NSMutableDictionary> get(const Value& value, Make make) {
        return get(value, make, [](NSMutableDictionary&, const Value&) { return false; });
    }

    // The same, but for another value the kept dictionary, when it may be handed out again, is
    // first offered to update(dictionary, value), which makes it what make(value) would give and
    // answers true, or answers false and leaves it to be dropped.
    template <class Make, class Update>
    ObjcRef<NSMutableDictionary> get(const Value& value, Make make, Update update) {
        if (m_dictionary && is_untouched(*m_dictionary, m_entries)) {
            if (m_value == value) return m_dictionary;
            if (update(*m_dictionary, value)) return keep(value);
        }
        m_dictionary = make(value);
        return keep(value);
    }

  private:
    ObjcRef<NSMutableDictionary> keep(const Value& value) {
        m_value = value;
        if (m_dictionary)
            record_entry_objects(*m_dictionary, m_entries);
        else
            m_entries.clear();
        return m_dictionary;
    }

    std::optional<Value> m_value;
    ObjcRef<NSMutableDictionary> m_dictionary;
    DictionaryEntryObjects m_entries;
};
