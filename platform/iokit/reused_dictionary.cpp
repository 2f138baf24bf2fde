#include "platform/iokit/reused_dictionary.h"

void record_entry_objects(const NSDictionary& dictionary, DictionaryEntryObjects& objects) {
    objects.clear();
    for (const DictionaryEntry& entry : dictionary)
        objects.emplace_back(entry.key.get(), entry.value.get());
}

bool is_untouched(const NSDictionary& dictionary, const DictionaryEntryObjects& entries) {
    if (dictionary.retainCount() != 1) return false;
    if (dictionary.count() != entries.size()) return false;
    std::size_t i = 0;
    for (const DictionaryEntry& entry : dictionary) {
        if (entry.key.get() != entries[i].first || entry.value.get() != entries[i].second) {
            return false;
        }
        ++i;
    }
    return true;
}
