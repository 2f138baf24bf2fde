#include "platform/objc/selector.h"

#include "platform/objc/text_hash.h"

#include <functional>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

// Nodes of an unordered_map never move, so each selector and the name it points to stay put.
struct SelectorTable {
    std::shared_mutex lock;
    std::unordered_map<std::string, objc_selector, TextHash, std::equal_to<>> selectors;
};

SelectorTable& selector_table() {
    static auto* table = new SelectorTable;
    return *table;
}

} // namespace

SEL sel_registerName(const char* name) {
    if (!name) return nullptr;
    SelectorTable& table = selector_table();
    std::string_view key(name);
    {
        std::shared_lock lock(table.lock);
        auto found = table.selectors.find(key);
        if (found != table.selectors.end()) return &found->second;
    }
    std::unique_lock lock(table.lock);
    auto [entry, inserted] = table.selectors.try_emplace(std::string(key), objc_selector{nullptr});
    if (inserted) entry->second.name = entry->first.c_str();
    return &entry->second;
}

SEL sel_getUid(const char* name) {
    return sel_registerName(name);
}

const char* sel_getName(SEL selector) {
    return selector ? selector->name : "<null selector>";
}

BOOL sel_isEqual(SEL a, SEL b) {
    return a == b ? YES : NO;
}
