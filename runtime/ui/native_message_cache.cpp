#include "runtime/ui/native_message_cache.h"

#include "platform/objc/program_constants.h"

#include <algorithm>
#include <cstring>

namespace rt {
namespace {

std::size_t unit_size(TextWidth width) {
    return width == TextWidth::Utf16 ? 2 : 1;
}

bool is_terminator(const unsigned char* unit, std::size_t size) {
    return unit[0] == 0 && (size == 1 || unit[1] == 0);
}

// The text's units up to and including its terminator.
void append_units(std::vector<unsigned char>& contents, const void* text, TextWidth width) {
    const auto* bytes = static_cast<const unsigned char*>(text);
    const std::size_t size = unit_size(width);
    for (std::size_t at = 0;; at += size) {
        contents.insert(contents.end(), bytes + at, bytes + at + size);
        if (is_terminator(bytes + at, size)) return;
    }
}

template <class Unit>
bool same_units_of(const unsigned char*& stored, const void* text) {
    const auto* units = static_cast<const Unit*>(text);
    for (std::size_t i = 0;; ++i) {
        Unit kept;
        std::memcpy(&kept, stored + i * sizeof(Unit), sizeof(Unit));
        if (kept != units[i]) return false;
        if (kept == 0) {
            stored += (i + 1) * sizeof(Unit);
            return true;
        }
    }
}

// Compares `text` with the copy at `stored`, unit by unit, never past either terminator; moves
// `stored` past the copy's terminator.
bool same_units(const unsigned char*& stored, const void* text, TextWidth width) {
    if (width == TextWidth::Utf16) return same_units_of<char16_t>(stored, text);
    return same_units_of<unsigned char>(stored, text);
}

} // namespace

CachedNativeMessage* NativeMessageCache::parse(const NativeMessageRequest& request) {
    ++m_clock;
    std::size_t& hint = hint_for(request.pieces.empty() ? nullptr : request.pieces[0]);
    if (matches(m_entries[hint], request)) {
        m_entries[hint].last_use = m_clock;
        return &m_entries[hint].message;
    }
    for (Entry& entry : m_entries) {
        if (!matches(entry, request)) continue;
        entry.last_use = m_clock;
        hint = static_cast<std::size_t>(&entry - m_entries.data());
        return &entry.message;
    }
    ++m_parse_count;
    Entry& entry = entry_to_replace();
    if (!ParseNativeMessage(request, entry.message.text)) {
        entry = Entry{};
        return nullptr;
    }
    remember(entry, request);
    return &entry.message;
}

bool NativeMessageCache::matches(const Entry& entry, const NativeMessageRequest& request) const {
    const auto count = static_cast<int>(request.pieces.size());
    if (request.pieces.empty() || entry.pieces[0] != request.pieces[0]) return false;
    if (entry.piece_count == 0 || entry.piece_count != count) return false;
    if (entry.has_receiver != request.has_receiver) return false;
    if (entry.has_result_buffer != request.has_result_buffer) return false;
    if (!std::equal(request.pieces.begin(), request.pieces.end(), entry.pieces.begin())) {
        return false;
    }
    if (entry.constant_texts) return true;
    const TextWidth width = DetectTextWidth(request.pieces[0]);
    if (width != entry.message.text.width) return false;
    const unsigned char* stored = entry.contents.data();
    return std::all_of(request.pieces.begin(), request.pieces.end(),
                       [&](const void* piece) { return same_units(stored, piece, width); });
}

std::size_t& NativeMessageCache::hint_for(const void* first_text) {
    // Literal texts are at least 2-byte aligned; the low bit carries nothing.
    return m_hints[(reinterpret_cast<std::uintptr_t>(first_text) >> 1) % m_hints.size()];
}

NativeMessageCache::Entry& NativeMessageCache::entry_to_replace() {
    return *std::min_element(
        m_entries.begin(), m_entries.end(),
        [](const Entry& a, const Entry& b) { return a.last_use < b.last_use; });
}

void NativeMessageCache::remember(Entry& entry, const NativeMessageRequest& request) {
    entry.message.selector = nullptr;
    entry.message.named_class = nullptr;
    entry.last_use = m_clock;
    // A missing later piece reads as an empty text; such a call is parsed every time.
    const bool complete = std::all_of(request.pieces.begin(), request.pieces.end(),
                                      [](const void* piece) { return piece != nullptr; });
    entry.piece_count = complete ? static_cast<int>(request.pieces.size()) : 0;
    if (!complete) return;
    std::copy(request.pieces.begin(), request.pieces.end(), entry.pieces.begin());
    entry.has_receiver = request.has_receiver;
    entry.has_result_buffer = request.has_result_buffer;
    entry.constant_texts =
        std::all_of(request.pieces.begin(), request.pieces.end(),
                    [](const void* piece) { return is_program_constant(piece); });
    entry.contents.clear();
    if (entry.constant_texts) return;
    for (const void* piece : request.pieces)
        append_units(entry.contents, piece, entry.message.text.width);
}

} // namespace rt
