#pragma once
// The parsed texts of recent native-message calls. Most calls pass the same literal texts again
// and again, so a call whose texts sit at the same addresses, read the same and come with the
// same receiver and result-buffer flags as a remembered one takes that parse (and the selector
// registered for it) instead of parsing again. An entry keeps a copy of its texts: a text changed
// in place no longer matches and is parsed anew. Texts among the program's constants (its
// literals) cannot change, so for them the addresses are enough.

#include "runtime/ui/native_message_text.h"

#include <array>
#include <cstddef>
#include <vector>

namespace rt {

struct CachedNativeMessage {
    NativeMessageText text;
    // The call layer's registered selector for `text`, set by it on first use; null until then.
    const void* selector = nullptr;
    // The class the text names, set by the call layer once it is found (classes stay registered
    // for the life of the process); null until then.
    void* named_class = nullptr;
};

class NativeMessageCache {
  public:
    static constexpr std::size_t k_entries = 16;

    // The parse of the request: remembered, or parsed now and remembered in place of the entry
    // used least recently. Null when the texts cannot be parsed (ParseNativeMessage); failures
    // are not remembered. The result stays valid until the next call.
    CachedNativeMessage* parse(const NativeMessageRequest& request);

    // How many requests were parsed rather than found.
    std::size_t parse_count() const { return m_parse_count; }

  private:
    struct Entry {
        std::array<const void*, NativeMessageMaxPieces> pieces{};
        int piece_count = 0;
        bool has_receiver = false;
        bool has_result_buffer = false;
        // Every text lies in the program's constants and cannot change: the addresses alone
        // match, and no copy is kept.
        bool constant_texts = false;
        // Each piece's units in the text width, its terminator included, one after the other.
        std::vector<unsigned char> contents;
        std::size_t last_use = 0;
        CachedNativeMessage message;
    };

    bool matches(const Entry& entry, const NativeMessageRequest& request) const;
    Entry& entry_to_replace();
    void remember(Entry& entry, const NativeMessageRequest& request);

    // The entry each first-text address last matched, by a hash of the address: most calls
    // find their entry at the first try instead of testing every entry.
    std::size_t& hint_for(const void* first_text);

    std::array<Entry, k_entries> m_entries{};
    std::array<std::size_t, 2 * k_entries> m_hints{};
    std::size_t m_clock = 0;
    std::size_t m_parse_count = 0;
};

} // namespace rt
