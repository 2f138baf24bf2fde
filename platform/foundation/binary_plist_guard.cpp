#include "platform/foundation/binary_plist_guard.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view k_magic = "bplist00";
constexpr std::size_t k_trailer_size = 32;

std::string malformed(const std::string& what) {
    return "malformed binary property list: " + what;
}

// Bounds are checked by the caller.
std::uint64_t read_big_endian(std::span<const std::uint8_t> bytes, std::uint64_t at,
                              unsigned size) {
    std::uint64_t value = 0;
    for (unsigned i = 0; i < size; ++i)
        value = value << 8 | bytes[at + i];
    return value;
}

// The parts of the file that locate its objects: a table of object offsets, and references
// (object numbers) of a fixed width. Objects lie between the header and the table.
struct Layout {
    std::span<const std::uint8_t> bytes;
    unsigned offset_size = 0;
    unsigned ref_size = 0;
    std::uint64_t object_count = 0;
    std::uint64_t top = 0;
    std::uint64_t table_offset = 0;
};

std::string layout_refusal(std::span<const std::uint8_t> bytes, const BinaryPlistLimits& limits,
                           Layout& layout) {
    if (bytes.size() < k_magic.size() + k_trailer_size) return malformed("shorter than a trailer");
    const std::size_t trailer = bytes.size() - k_trailer_size;
    layout = {bytes,
              bytes[trailer + 6],
              bytes[trailer + 7],
              read_big_endian(bytes, trailer + 8, 8),
              read_big_endian(bytes, trailer + 16, 8),
              read_big_endian(bytes, trailer + 24, 8)};
    auto valid_size = [](unsigned size) { return size >= 1 && size <= 8; };
    if (!valid_size(layout.offset_size) || !valid_size(layout.ref_size)) {
        return malformed("offsets or references of " + std::to_string(layout.offset_size) +
                         " and " + std::to_string(layout.ref_size) + " bytes");
    }
    if (layout.object_count == 0) return malformed("no objects");
    if (layout.top >= layout.object_count) return malformed("a top object that does not exist");
    if (layout.table_offset < k_magic.size() || layout.table_offset >= trailer) {
        return malformed("an offset table outside the file");
    }
    if (layout.object_count > (trailer - layout.table_offset) / layout.offset_size) {
        return malformed("more objects than its offset table holds");
    }
    if (layout.object_count > limits.max_objects) {
        return "a binary property list of more than " + std::to_string(limits.max_objects) +
               " objects";
    }
    return {};
}

// Where an object's references start and how many there are (a dictionary's keys, then its
// values), and the bytes of text or data it holds.
struct ObjectShape {
    bool container = false;
    std::uint64_t first_ref = 0;
    std::uint64_t ref_count = 0;
    std::uint64_t key_count = 0; // the first references of a dictionary
    std::uint64_t payload = 0;
};

// The length in the marker's low four bits, or, when they are all set, in the integer object
// that follows; `at` moves past it. None when that integer does not fit before `end`.
std::optional<std::uint64_t> object_length(const Layout& layout, std::uint64_t& at,
                                           std::uint64_t end) {
    const std::uint8_t marker = layout.bytes[at++];
    if ((marker & 0xF) != 0xF) return marker & 0xF;
    if (at >= end || layout.bytes[at] >> 4 != 0x1 || (layout.bytes[at] & 0xF) > 3) {
        return std::nullopt;
    }
    const unsigned size = 1u << (layout.bytes[at] & 0xF);
    if (end - at - 1 < size) return std::nullopt;
    std::uint64_t length = read_big_endian(layout.bytes, at + 1, size);
    at += 1 + size;
    return length;
}

// None when the object, its length or its references do not fit between its offset and the
// offset table. Kinds this check does not know hold nothing; the parser refuses them.
std::optional<ObjectShape> object_shape(const Layout& layout, std::uint64_t index) {
    const std::uint64_t end = layout.table_offset;
    const std::uint64_t offset = read_big_endian(
        layout.bytes, layout.table_offset + index * layout.offset_size, layout.offset_size);
    if (offset < k_magic.size() || offset >= end) return std::nullopt;
    const unsigned kind = layout.bytes[offset] >> 4;
    const unsigned low_bits = layout.bytes[offset] & 0xF;
    std::uint64_t at = offset;
    auto fits = [&](std::uint64_t size) { return end - at >= size; };
    switch (kind) {
    case 0x1: // integer, real, date: 2^n bytes
    case 0x2:
    case 0x3:
        ++at;
        if (low_bits > 4 || !fits(std::uint64_t{1} << low_bits)) return std::nullopt;
        return ObjectShape{};
    case 0x8: // UID: n + 1 bytes
        ++at;
        if (!fits(low_bits + 1)) return std::nullopt;
        return ObjectShape{};
    case 0x4: // data, ASCII text, UTF-16 text, UTF-8 text
    case 0x5:
    case 0x6:
    case 0x7: {
        std::optional<std::uint64_t> length = object_length(layout, at, end);
        if (!length || (kind == 0x6 && *length > end / 2)) return std::nullopt;
        std::uint64_t size = kind == 0x6 ? *length * 2 : *length;
        if (!fits(size)) return std::nullopt;
        return ObjectShape{.payload = size};
    }
    case 0xA: // array, set, dictionary
    case 0xC:
    case 0xD: {
        std::optional<std::uint64_t> count = object_length(layout, at, end);
        if (!count || *count > end) return std::nullopt;
        std::uint64_t keys = kind == 0xD ? *count : 0;
        if (*count + keys > (end - at) / layout.ref_size) return std::nullopt;
        return ObjectShape{
            .container = true, .first_ref = at, .ref_count = *count + keys, .key_count = keys};
    }
    default:
        return ObjectShape{};
    }
}

// The parser keeps a dictionary key as a C string, and asserts that its length is the string's:
// a key must be text, and UTF-16 text without U+0000 (which ASCII text drops on its own).
std::string key_refusal(const Layout& layout, std::uint64_t index) {
    std::uint64_t at = read_big_endian(
        layout.bytes, layout.table_offset + index * layout.offset_size, layout.offset_size);
    const unsigned kind = layout.bytes[at] >> 4;
    if (kind == 0x5) return {};
    if (kind != 0x6) return malformed("a dictionary key that is not text");
    // The shape of the object has been checked: its length and units fit.
    const std::uint64_t units = *object_length(layout, at, layout.table_offset);
    for (std::uint64_t unit = 0; unit < units; ++unit, at += 2) {
        if (layout.bytes[at] == 0 && layout.bytes[at + 1] == 0) {
            return malformed("a dictionary key holding U+0000");
        }
    }
    return {};
}

// What an object expands to: itself and everything below it, every reference counted.
struct Measure {
    std::uint64_t objects = 0;
    std::uint64_t payload = 0;
    std::size_t depth = 0; // containers on the deepest path; 0 for a scalar
};

// Walks the references depth first without recursion, so that no input can exhaust the stack,
// and measures each object once: a shared object's measure is added again at every reference
// without walking below it again.
class TreeWalk {
  public:
    TreeWalk(const Layout& layout, const BinaryPlistLimits& limits)
        : m_layout(layout), m_limits(limits), m_measures(layout.object_count),
          m_states(layout.object_count, State::unknown), m_key_checked(layout.object_count) {}

    std::string run() {
        std::optional<Measure> top;
        std::string refusal = visit(m_layout.top, top);
        while (refusal.empty() && !m_stack.empty())
            refusal = step(top);
        if (!refusal.empty()) return refusal;
        Measure nothing;
        return add(nothing, *top, 0);
    }

  private:
    enum class State : std::uint8_t { unknown, visiting, measured };
    struct Frame {
        std::uint64_t index;
        ObjectShape shape;
        std::uint64_t next = 0;
        Measure sum; // the container itself and the children measured so far
    };

    // Measures a scalar or a container measured before into `measured`; opens a frame for a
    // container met for the first time.
    std::string visit(std::uint64_t index, std::optional<Measure>& measured) {
        if (index >= m_layout.object_count) return malformed("a reference to a missing object");
        if (m_states[index] == State::visiting) {
            return "circular binary property list: an object holds itself";
        }
        if (m_states[index] == State::measured) {
            measured = m_measures[index];
            return {};
        }
        std::optional<ObjectShape> shape = object_shape(m_layout, index);
        if (!shape) return malformed("an object that does not fit in the file");
        if (!shape->container) {
            measured = finish(index, {1, shape->payload, 0});
            return {};
        }
        if (m_stack.size() >= m_limits.max_depth) return too_deep();
        m_states[index] = State::visiting;
        m_stack.push_back({index, *shape, 0, {1, 0, 0}});
        return {};
    }

    // Follows the next reference of the innermost open container, or closes it.
    std::string step(std::optional<Measure>& top) {
        Frame& frame = m_stack.back();
        if (frame.next == frame.shape.ref_count) {
            Measure closed = frame.sum;
            ++closed.depth;
            closed = finish(frame.index, closed);
            m_stack.pop_back();
            if (m_stack.empty()) {
                top = closed;
                return {};
            }
            return add(m_stack.back().sum, closed, m_stack.size());
        }
        const bool is_key = frame.next < frame.shape.key_count;
        const std::uint64_t child = read_big_endian(
            m_layout.bytes, frame.shape.first_ref + frame.next++ * m_layout.ref_size,
            m_layout.ref_size);
        std::optional<Measure> measured;
        std::string refusal = visit(child, measured);
        if (refusal.empty() && is_key && !m_key_checked[child]) {
            refusal = key_refusal(m_layout, child);
            m_key_checked[child] = true;
        }
        if (!refusal.empty() || !measured) return refusal;
        return add(m_stack.back().sum, *measured, m_stack.size());
    }

    // Adds a child's measure to its container's, which lies `depth` containers deep.
    std::string add(Measure& sum, const Measure& child, std::size_t depth) {
        if (child.depth > m_limits.max_depth - depth) return too_deep();
        if (child.objects > m_limits.max_objects - std::min(sum.objects, m_limits.max_objects)) {
            return "a binary property list that expands to more than " +
                   std::to_string(m_limits.max_objects) +
                   " objects (a shared object counts at every reference)";
        }
        if (child.payload >
            m_limits.max_payload_bytes - std::min(sum.payload, m_limits.max_payload_bytes)) {
            return "a binary property list that expands to more than " +
                   std::to_string(m_limits.max_payload_bytes) + " bytes of text and data";
        }
        sum.objects += child.objects;
        sum.payload += child.payload;
        sum.depth = std::max(sum.depth, child.depth);
        return {};
    }

    Measure finish(std::uint64_t index, Measure measure) {
        m_measures[index] = measure;
        m_states[index] = State::measured;
        return measure;
    }

    std::string too_deep() const {
        return "nested deeper than " + std::to_string(m_limits.max_depth) + " levels";
    }

    const Layout& m_layout;
    const BinaryPlistLimits& m_limits;
    std::vector<Measure> m_measures;
    std::vector<State> m_states;
    std::vector<bool> m_key_checked;
    std::vector<Frame> m_stack;
};

} // namespace

bool is_binary_plist(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= k_magic.size() &&
           std::equal(k_magic.begin(), k_magic.end(), bytes.begin());
}

std::string binary_plist_refusal(std::span<const std::uint8_t> bytes,
                                 const BinaryPlistLimits& limits) {
    if (!is_binary_plist(bytes)) return malformed("no \"bplist00\" header");
    Layout layout;
    std::string refusal = layout_refusal(bytes, limits, layout);
    if (!refusal.empty()) return refusal;
    return TreeWalk(layout, limits).run();
}
