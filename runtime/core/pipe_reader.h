#pragma once
// Pipe readers: the reading end of a pipe behind a 10,240-byte ring. The descriptor is made
// non-blocking, so filling the ring never waits; only ReadPipeBytes waits for more bytes, by
// polling every 5 ms until they come or the writer has closed the pipe. A reader is used by one
// thread at a time.

#include <cstdint>
#include <cstdio>

namespace rt {

inline constexpr uint64_t pipe_ring_size = 10240;

// One contiguous runtime heap block; the ring pointers point into its own data.
struct PipeReader {
    FILE* stream;
    unsigned char* ring_start;
    unsigned char* read_pointer;  // next byte to hand out
    unsigned char* write_pointer; // next byte to fill
    uint64_t count;               // bytes held
    bool failed;                  // a read failed for a reason other than "nothing yet": the end
    unsigned char data[pipe_ring_size];
};

// The value ReadPipeByte and ReadPipeCharacter give when no byte is left.
inline constexpr uint32_t pipe_no_byte = 0xFFFFFFFF;

// A reader over `descriptor`, opened as a stream with fdopen `mode`, which then owns the
// descriptor; null when the descriptor cannot be made non-blocking or memory or the stream cannot
// be had, and the descriptor then stays the caller's.
PipeReader* OpenPipeReader(int descriptor, const char* mode);
// Closes the stream (and its descriptor) and frees the reader: the result of fclose; EOF for null.
int ClosePipeReader(PipeReader* reader);
// Bytes that can be read without waiting (at most the ring's size).
uint64_t PipeBytesAvailable(PipeReader* reader);
// Non-zero when no byte is held and the writer has closed the pipe.
int PipeAtEnd(PipeReader* reader);
// Reads n bytes, waiting for them as long as the pipe is open: n, or fewer when it ended.
uint64_t ReadPipeBytes(PipeReader* reader, void* destination, uint64_t n);
// The next byte, or pipe_no_byte at the end.
uint32_t ReadPipeByte(PipeReader* reader);
// Reads size × count bytes as ReadPipeBytes does: the number of whole items read. 0 when the
// product is 0 or does not fit in 64 bits.
uint64_t ReadPipeItems(void* destination, uint64_t size, uint64_t count, PipeReader* reader);
// The next UTF-8 character: a code point below 0x10000 as it is; one above as its two UTF-16
// units, the first in the low half. A lead byte that starts no character gives 32 (a space); a
// four-byte sequence for no valid code point above 0xFFFF gives U+FFFD. Continuation bytes are
// not checked; their low six bits are used. pipe_no_byte when a byte is missing.
uint32_t ReadPipeCharacter(PipeReader* reader);
// fwide on the reader's stream with `mode`; 0 for null.
int SetPipeByteMode(PipeReader* reader, int mode);

} // namespace rt
