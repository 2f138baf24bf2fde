#include "runtime/ui/native_message_text.h"

#include <cstring>

namespace rt {
namespace {

// Reads the units of one text, whichever its width, as the low bytes that names are made of.
class TextCursor {
  public:
    TextCursor(const void* text, TextWidth width)
        : m_bytes(static_cast<const unsigned char*>(text)), m_width(width) {}

    unsigned char peek() const {
        if (!m_bytes) return 0;
        return m_width == TextWidth::Utf16 ? read_unit_low_byte() : m_bytes[m_index];
    }
    void advance() { ++m_index; }

  private:
    unsigned char read_unit_low_byte() const {
        char16_t unit;
        std::memcpy(&unit, m_bytes + 2 * m_index, sizeof unit);
        return static_cast<unsigned char>(unit & 0xFF);
    }

    const unsigned char* m_bytes;
    TextWidth m_width;
    size_t m_index = 0;
};

// Appends characters to a fixed name buffer; remembers when they did not fit.
class NameBuffer {
  public:
    explicit NameBuffer(char* buffer) : m_buffer(buffer) { m_buffer[0] = 0; }

    void append(unsigned char c) {
        if (m_length + 1 >= NativeMessageNameCapacity) {
            m_overflowed = true;
            return;
        }
        m_buffer[m_length++] = static_cast<char>(c);
        m_buffer[m_length] = 0;
    }
    void drop_last() { m_buffer[--m_length] = 0; }
    unsigned char last() const { return m_length ? m_buffer[m_length - 1] : 0; }
    int length() const { return m_length; }
    bool overflowed() const { return m_overflowed; }

  private:
    char* m_buffer;
    int m_length = 0;
    bool m_overflowed = false;
};

ArgumentKind kind_of_suffix(unsigned char c) {
    if (c == '$') return ArgumentKind::Text;
    if (c == '@') return ArgumentKind::ByAddress;
    return ArgumentKind::Plain;
}

// Copies the class name in front of the first space; leaves the cursor after the space. Without
// a space there is no class name and the cursor goes back to the start.
bool read_class_name(const void* first_text, NativeMessageText& parsed, TextCursor& cursor) {
    NameBuffer name(parsed.class_name);
    TextCursor scan = cursor;
    while (scan.peek() != 0 && scan.peek() != ' ') {
        name.append(scan.peek());
        scan.advance();
    }
    if (scan.peek() != ' ') {
        parsed.class_name[0] = 0;
        cursor = TextCursor(first_text, parsed.width);
        return true;
    }
    if (name.overflowed()) return false;
    scan.advance();
    cursor = scan;
    parsed.has_class_name = true;
    return true;
}

void append_piece(NameBuffer& selector, TextCursor cursor, NativeMessageText& parsed, int index) {
    const int start = selector.length();
    for (; cursor.peek() != 0; cursor.advance())
        selector.append(cursor.peek());
    const ArgumentKind kind = kind_of_suffix(selector.last());
    parsed.kinds[index] = kind;
    if (kind == ArgumentKind::Plain || selector.length() == start) return;
    selector.drop_last();
    parsed.any_suffix = true;
}

// With one piece and no argument, a suffix was part of the name, not a mark.
void restore_lone_suffix(NameBuffer& selector, NativeMessageText& parsed) {
    if (parsed.kinds[0] == ArgumentKind::Text) selector.append('$');
    if (parsed.kinds[0] == ArgumentKind::ByAddress) selector.append('@');
    parsed.kinds[0] = ArgumentKind::Plain;
    parsed.any_suffix = false;
}

} // namespace

TextWidth DetectTextWidth(const void* first_text) {
    const auto* bytes = static_cast<const unsigned char*>(first_text);
    if (!bytes || bytes[0] == 0) return TextWidth::Utf16;
    return bytes[1] == 0 ? TextWidth::Utf16 : TextWidth::Bytes;
}

bool ParseNativeMessage(const NativeMessageRequest& request, NativeMessageText& parsed) {
    parsed = NativeMessageText{};
    const auto piece_count = static_cast<int>(request.pieces.size());
    if (piece_count < 1 || piece_count > NativeMessageMaxPieces) return false;
    if (!request.pieces[0]) return false;

    parsed.width = DetectTextWidth(request.pieces[0]);
    TextCursor first(request.pieces[0], parsed.width);
    if (!request.has_receiver && !read_class_name(request.pieces[0], parsed, first)) return false;

    NameBuffer selector(parsed.selector);
    append_piece(selector, first, parsed, 0);
    for (int i = 1; i < piece_count; ++i)
        append_piece(selector, TextCursor(request.pieces[i], parsed.width), parsed, i);

    parsed.argument_count = selector.last() == ':' ? piece_count : piece_count - 1;
    if (piece_count == 1 && parsed.argument_count == 0) restore_lone_suffix(selector, parsed);
    return !selector.overflowed() && selector.length() > 0;
}

bool IsSimpleNativeCall(const NativeMessageText& parsed, bool has_result_buffer) {
    return !has_result_buffer && !parsed.any_suffix && parsed.argument_count <= 4;
}

} // namespace rt
