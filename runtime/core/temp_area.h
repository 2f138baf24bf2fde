#pragma once
// The string manager. A runtime string is a zero-terminated array of UTF-16 code units; a null
// pointer is the empty string. String values that an expression produces are built in one
// process-wide temporary area instead of separate heap blocks, so that evaluating an expression
// costs no allocation in the common case.
//
// Every operation that produces a string takes a result offset (a byte offset into the area) as
// its last argument, writes its result there, leaves the position at the end of the result with a
// zero unit at the position, and returns the result's address. The caller saves positions on the
// position stack around each value, and gives the area back by restoring them. Offsets, not
// addresses, identify temporaries: the area moves when it grows, so an address into it stays valid
// only until the next ReserveTemp.
//
// String variables are plain malloc blocks holding one runtime string, or null; the variable owns
// its block and frees it with FreeIfSet.
//
// The position stack grows as deep as expressions nest. Popping more than was pushed is a fault
// of the calling code: debug builds stop with a message, release builds answer offset 0. When the
// area or a variable cannot get the memory it needs, the process stops with a message instead of
// writing outside a block. The area is used by one thread only.

#include <cstdint>

namespace rt {

using TempOffset = int64_t; // byte offset into the temporary area

// Allocates the area (capacity 16 bytes, position 0). Called once at start-up; calling it again
// empties the area and the position stack.
void InitStrings();

void SaveTempPosition();
TempOffset PopTempPosition();
TempOffset RestoreTempPosition();
char16_t* RestoreTempPointer();
char16_t* PopTempPointer();

// Appends the string's units at the position; null writes only a terminator.
void AppendTemp(const char16_t* text);
// Moves the temporary from `start` to the position into the variable, and sets the position back
// to `start`.
void TakeTempString(char16_t** variable, TempOffset start);
// Stores a fresh copy of a non-null string into the variable (whose old block is not freed: the
// variable is expected to be empty); a null string leaves the variable unchanged.
void CopyStringArgument(char16_t** variable, const char16_t* text);
// Replaces the variable's text; null frees the block and sets the variable to null. Returns the
// byte size of the text with its terminator (2 for null).
int64_t AssignString(char16_t** variable, const char16_t* text);
// 1 when both have the same code units (null equals empty), else 0.
int StringEqual(const char16_t* a, const char16_t* b);

// Ensures room for n units at result offset p (p is never above the position), sets the position
// to p + 2n and returns the address of p.
char16_t* ReserveTemp(int64_t units, TempOffset p);
// Gives back reserved units that a result did not use.
void ShrinkTemp(int64_t units);
// An empty result at p: position = p and a zero unit there.
char16_t* SetEmptyResult(TempOffset p);
// Non-zero (offset + 1) when the address lies in the area between base and base + position,
// inclusive; 0 otherwise.
int64_t TempOffsetOf(const void* address);
// The current address of an argument that lies in the area, from TempOffsetOf's answer.
char16_t* TempAddress(int64_t offset_plus_one);

// An argument that a function still reads after it has started writing its result: the bytes
// themselves, or a private malloc copy of them when they lie in the area, where the result may
// overwrite them or a reservation may move them.
class StableArgument {
  public:
    StableArgument(const void* data, int64_t bytes);
    ~StableArgument();
    StableArgument(const StableArgument&) = delete;
    StableArgument& operator=(const StableArgument&) = delete;
    const void* get() const { return m_data; }

  private:
    const void* m_data;
    void* m_copy = nullptr;
};

// Introspection for tests and benchmarks.
struct TempAreaStats {
    int64_t capacity;
    int64_t position;
    int64_t stack_depth;
};
TempAreaStats GetTempAreaStats();

// Number of code units before the terminator; 0 for null.
int64_t UnitCount(const char16_t* text);

} // namespace rt
