#include "runtime/core/temp_area.h"

#include "platform/foundation/problem_report.h"

#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace rt {
namespace {

constexpr int64_t initial_capacity = 16;
constexpr int64_t growth_slack = 16384;
constexpr int64_t shrink_target = 1048576;
// Room beyond the capacity for the terminator written at the position.
constexpr int64_t block_extra = 10;
// Keeps every size computed from a capacity far away from int64_t overflow.
constexpr int64_t largest_capacity = INT64_MAX / 4;
constexpr int64_t initial_stack_size = 100;

struct TempArea {
    unsigned char* base = nullptr;
    int64_t capacity = 0;
    int64_t position = 0;
};

struct TempPositionStack {
    int64_t* entries = nullptr;
    int64_t size = 0;
    int64_t depth = 0;
};

TempArea g_area;
TempPositionStack g_stack;

// Continuing after a failed allocation would write outside the area, so the process stops.
[[noreturn]] void out_of_memory(const char* what) {
    say_line({"temporary string area: out of memory (", what, ")"});
    std::abort();
}

void resize_area(int64_t capacity) {
    if (capacity > largest_capacity) out_of_memory("size too large");
    void* block = std::realloc(g_area.base, static_cast<size_t>(capacity + block_extra));
    if (!block) out_of_memory("realloc");
    g_area.base = static_cast<unsigned char*>(block);
    g_area.capacity = capacity;
}

// Every entry point works on an area, even one called before InitStrings.
void ensure_area() {
    if (g_area.base) return;
    resize_area(initial_capacity);
    g_area.position = 0;
    std::memset(g_area.base, 0, static_cast<size_t>(initial_capacity + block_extra));
}

void write_terminator_at(int64_t offset) {
    const char16_t zero = 0;
    std::memcpy(g_area.base + offset, &zero, sizeof zero);
}

char16_t* address_of(int64_t offset) {
    ensure_area();
    return reinterpret_cast<char16_t*>(g_area.base + offset);
}

void push_position(int64_t offset) {
    if (g_stack.depth == g_stack.size) {
        const int64_t size = g_stack.size ? g_stack.size * 2 : initial_stack_size;
        void* entries = std::realloc(g_stack.entries, static_cast<size_t>(size) * sizeof(int64_t));
        if (!entries) out_of_memory("position stack");
        g_stack.entries = static_cast<int64_t*>(entries);
        g_stack.size = size;
    }
    g_stack.entries[g_stack.depth++] = offset;
}

// Popping more than was pushed is a fault of the calling code; release builds answer offset 0.
int64_t pop_position() {
    assert(g_stack.depth > 0 && "temporary string area: pop from an empty position stack");
    if (g_stack.depth <= 0) return 0;
    return g_stack.entries[--g_stack.depth];
}

int64_t clamp_offset(int64_t offset) {
    if (offset < 0) return 0;
    return offset > g_area.position ? g_area.position : offset;
}

} // namespace

void InitStrings() {
    std::free(g_area.base);
    g_area = TempArea{};
    ensure_area();
    g_stack.depth = 0;
}

void SaveTempPosition() {
    ensure_area();
    push_position(g_area.position);
}

TempOffset PopTempPosition() {
    return pop_position();
}

TempOffset RestoreTempPosition() {
    ensure_area();
    const int64_t offset = pop_position();
    g_area.position = offset;
    return offset;
}

char16_t* RestoreTempPointer() {
    return address_of(RestoreTempPosition());
}

char16_t* PopTempPointer() {
    return address_of(pop_position());
}

void AppendTemp(const char16_t* text) {
    ensure_area();
    if (!text) {
        write_terminator_at(g_area.position);
        return;
    }
    const int64_t units = UnitCount(text);
    const int64_t in_area = TempOffsetOf(text);
    char16_t* destination = ReserveTemp(units, g_area.position);
    // A text that lies in the area may have moved with the reservation.
    const char16_t* source = in_area ? TempAddress(in_area) : text;
    std::memmove(destination, source, static_cast<size_t>(units) * sizeof(char16_t));
    destination[units] = 0;
}

void TakeTempString(char16_t** variable, TempOffset start) {
    ensure_area();
    start = clamp_offset(start);
    const int64_t bytes = g_area.position - start;
    void* block = std::realloc(*variable, static_cast<size_t>(bytes + block_extra));
    if (!block) out_of_memory("string variable");
    *variable = static_cast<char16_t*>(block);
    std::memcpy(*variable, g_area.base + start, static_cast<size_t>(bytes));
    (*variable)[bytes / 2] = 0;
    g_area.position = start;
}

void CopyStringArgument(char16_t** variable, const char16_t* text) {
    if (!text) return;
    const int64_t units = UnitCount(text);
    void* block = std::malloc(static_cast<size_t>(units + 5) * sizeof(char16_t));
    if (!block) out_of_memory("string argument");
    *variable = static_cast<char16_t*>(block);
    std::memcpy(*variable, text, static_cast<size_t>(units + 1) * sizeof(char16_t));
}

int64_t AssignString(char16_t** variable, const char16_t* text) {
    if (!text) {
        std::free(*variable);
        *variable = nullptr;
        return 2;
    }
    const int64_t units = UnitCount(text);
    // The text may be (a tail of) the variable's own block, which realloc can move.
    const char16_t* old_block = *variable;
    const bool own_text =
        old_block && text >= old_block && text <= old_block + UnitCount(old_block);
    const int64_t own_offset = own_text ? text - old_block : 0;
    void* block = std::realloc(*variable, static_cast<size_t>(units + 5) * sizeof(char16_t));
    if (!block) out_of_memory("string variable");
    *variable = static_cast<char16_t*>(block);
    const char16_t* source = own_text ? *variable + own_offset : text;
    std::memmove(*variable, source, static_cast<size_t>(units) * sizeof(char16_t));
    (*variable)[units] = 0;
    return (units + 1) * 2;
}

int StringEqual(const char16_t* a, const char16_t* b) {
    if (!a) a = u"";
    if (!b) b = u"";
    for (; *a == *b; ++a, ++b) {
        if (*a == 0) return 1;
    }
    return 0;
}

char16_t* ReserveTemp(int64_t units, TempOffset p) {
    ensure_area();
    if (units < 0) units = 0;
    p = clamp_offset(p);
    if (units > (largest_capacity - g_area.position) / 2) out_of_memory("size too large");
    const int64_t need = g_area.position + 2 * units;
    if (need >= g_area.capacity - 4) {
        resize_area(need + growth_slack);
    } else if (g_area.capacity > shrink_target) {
        resize_area(need > shrink_target ? need : shrink_target);
    }
    g_area.position = p + 2 * units;
    return reinterpret_cast<char16_t*>(g_area.base + p);
}

void ShrinkTemp(int64_t units) {
    ensure_area();
    if (units < 0) return;
    g_area.position = units * 2 > g_area.position ? 0 : g_area.position - units * 2;
}

char16_t* SetEmptyResult(TempOffset p) {
    ensure_area();
    g_area.position = clamp_offset(p);
    write_terminator_at(g_area.position);
    return address_of(g_area.position);
}

int64_t TempOffsetOf(const void* address) {
    if (!g_area.base || !address) return 0;
    const auto at = reinterpret_cast<uintptr_t>(address);
    const auto base = reinterpret_cast<uintptr_t>(g_area.base);
    if (at < base || at > base + static_cast<uintptr_t>(g_area.position)) return 0;
    return static_cast<int64_t>(at - base) + 1;
}

char16_t* TempAddress(int64_t offset_plus_one) {
    return address_of(offset_plus_one - 1);
}

StableArgument::StableArgument(const void* data, int64_t bytes) : m_data(data) {
    if (!data || bytes <= 0 || !TempOffsetOf(data)) return;
    m_copy = std::malloc(static_cast<size_t>(bytes));
    if (!m_copy) out_of_memory("argument copy");
    std::memcpy(m_copy, data, static_cast<size_t>(bytes));
    m_data = m_copy;
}

StableArgument::~StableArgument() {
    std::free(m_copy);
}

TempAreaStats GetTempAreaStats() {
    return TempAreaStats{g_area.capacity, g_area.position, g_stack.depth};
}

int64_t UnitCount(const char16_t* text) {
    if (!text) return 0;
    return static_cast<int64_t>(std::char_traits<char16_t>::length(text));
}

} // namespace rt
