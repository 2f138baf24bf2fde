#pragma once
// A dictionary made from a value and handed out again, instead of a new one, while the value
// stays equal. It is handed out again only when nobody else holds it and its entries are still
// the objects it was made with, so a caller that keeps or changes a dictionary it was given
// never finds it handed to someone else, and every caller sees what a new dictionary would hold.

#include "platform/foundation/ns_dictionary.h"

#include <optional>
#include <utility>
#include <vector>

// The key and value objects of each entry, in order.
using DictionaryEntryObjects = std::vector<std::pair<id, id>>;

DictionaryEntryObjects entry_objects(const NSDictionary& dictionary);

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
        if (m_dictionary && m_value == value && is_untouched(*m_dictionary, m_entries)) {
            return m_dictionary;
        }
        m_dictionary = make(value);
        m_value = value;
        m_entries = m_dictionary ? entry_objects(*m_dictionary) : DictionaryEntryObjects{};
        return m_dictionary;
    }

  private:
    std::optional<Value> m_value;
    ObjcRef<NSMutableDictionary> m_dictionary;
    DictionaryEntryObjects m_entries;
};
