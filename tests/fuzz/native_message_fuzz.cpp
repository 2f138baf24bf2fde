// The text layer of sending a native message by name: a call's texts, as the application spells
// them ("NSBundle mainBundle", "setTitle:$"), in either width.
//
// The first input byte chooses the receiver, the result buffer and the width; the rest, cut at
// each zero byte, gives the texts. Each text gets a buffer of its exact size, so that reading
// past its terminator is caught.

#include "runtime/ui/native_message_text.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace {

constexpr int k_most_pieces = rt::NativeMessageMaxPieces + 1; // one more, to be refused

struct Texts {
    std::vector<std::unique_ptr<char[]>> buffers;
    std::vector<std::unique_ptr<char16_t[]>> units;
    std::vector<const void*> pieces;
};

// An 8-bit text as the application writes it: its bytes and a zero.
void add_bytes(Texts& texts, std::string_view piece) {
    auto buffer = std::make_unique<char[]>(piece.size() + 1);
    std::memcpy(buffer.get(), piece.data(), piece.size());
    buffer[piece.size()] = 0;
    texts.pieces.push_back(buffer.get());
    texts.buffers.push_back(std::move(buffer));
}

// A runtime string: a unit for each byte, with the byte as its low byte; bytes from 0x80 get a
// high byte too, as characters beyond Latin-1 would.
void add_units(Texts& texts, std::string_view piece) {
    auto buffer = std::make_unique<char16_t[]>(piece.size() + 1);
    for (std::size_t i = 0; i < piece.size(); ++i) {
        auto byte = static_cast<unsigned char>(piece[i]);
        buffer[i] = static_cast<char16_t>(byte < 0x80 ? byte : (byte - 0x7F) << 8 | byte);
    }
    buffer[piece.size()] = 0;
    texts.pieces.push_back(buffer.get());
    texts.units.push_back(std::move(buffer));
}

bool terminated_within(const char* name) {
    return std::memchr(name, 0, rt::NativeMessageNameCapacity) != nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t flags = data[0];
    const bool utf16 = flags & 4;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    Texts texts;
    while (static_cast<int>(texts.pieces.size()) < k_most_pieces) {
        std::size_t end = rest.find('\0');
        std::string_view piece = rest.substr(0, end);
        // The width is told by the first text's second byte, so an 8-bit first text has at
        // least two characters: the application's shortest is a selector such as "new".
        if (texts.pieces.empty() && !utf16 && piece.size() < 2) return 0;
        utf16 ? add_units(texts, piece) : add_bytes(texts, piece);
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    rt::NativeMessageRequest request{texts.pieces, (flags & 1) != 0, (flags & 2) != 0};
    rt::NativeMessageText parsed;
    if (!rt::ParseNativeMessage(request, parsed)) return 0;
    if (!terminated_within(parsed.selector) || !terminated_within(parsed.class_name)) std::abort();
    if (parsed.selector[0] == 0) std::abort();
    const int pieces = static_cast<int>(texts.pieces.size());
    if (parsed.argument_count < pieces - 1 || parsed.argument_count > pieces) std::abort();
    if (parsed.has_class_name && request.has_receiver) std::abort();
    (void)rt::IsSimpleNativeCall(parsed, request.has_result_buffer);
    return 0;
}
