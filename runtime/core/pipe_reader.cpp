#include "runtime/core/pipe_reader.h"

#include "runtime/core/memory.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <fcntl.h>

namespace rt {
namespace {

constexpr long poll_interval_ns = 5'000'000;

unsigned char* ring_end(PipeReader* reader) {
    return reader->ring_start + pipe_ring_size;
}

bool stream_ended(const PipeReader* reader) {
    return reader->failed || std::feof(reader->stream);
}

// A short read on the non-blocking descriptor usually means "nothing more yet", which stdio
// records as an error; that is forgotten so the next fill reads again. Any other failure ends
// the stream for good, instead of leaving ReadPipeBytes to poll a broken descriptor forever.
void settle_short_read(PipeReader* reader, int read_error) {
    if (!std::ferror(reader->stream) || std::feof(reader->stream)) return;
    if (read_error == EAGAIN || read_error == EWOULDBLOCK || read_error == EINTR) {
        std::clearerr(reader->stream);
        return;
    }
    reader->failed = true;
}

// Reads what the pipe holds into the free part of the ring, without waiting.
void fill_ring(PipeReader* reader) {
    while (!stream_ended(reader) && reader->count < pipe_ring_size) {
        unsigned char* const write = reader->write_pointer;
        const size_t span = write < reader->read_pointer
                                ? static_cast<size_t>(reader->read_pointer - write)
                                : static_cast<size_t>(ring_end(reader) - write);
        errno = 0;
        const size_t got = std::fread(write, 1, span, reader->stream);
        const int read_error = errno;
        reader->count += got;
        reader->write_pointer = write + got == ring_end(reader) ? reader->ring_start : write + got;
        if (got < span) {
            settle_short_read(reader, read_error);
            return;
        }
    }
}

// Copies up to `n` held bytes from the read pointer, as far as they lie in one piece.
uint64_t take_held_bytes(PipeReader* reader, unsigned char* destination, uint64_t n) {
    const auto contiguous = static_cast<uint64_t>(ring_end(reader) - reader->read_pointer);
    const uint64_t length = std::min({n, reader->count, contiguous});
    std::memcpy(destination, reader->read_pointer, length);
    reader->read_pointer += length;
    if (reader->read_pointer == ring_end(reader)) reader->read_pointer = reader->ring_start;
    reader->count -= length;
    return length;
}

void wait_for_bytes(PipeReader* reader) {
    fill_ring(reader);
    while (reader->count == 0 && !stream_ended(reader)) {
        const timespec interval{0, poll_interval_ns};
        nanosleep(&interval, nullptr);
        fill_ring(reader);
    }
}

bool read_continuation(PipeReader* reader, uint32_t* code_point) {
    const uint32_t byte = ReadPipeByte(reader);
    if (byte == pipe_no_byte) return false;
    *code_point = (*code_point << 6) | (byte & 0x3F);
    return true;
}

struct LeadForm {
    uint32_t mask;
    uint32_t value;
    int continuations;
};

// The lead bytes of multi-byte characters; the bits outside `mask` are the payload.
constexpr LeadForm lead_forms[] = {{0xE0, 0xC0, 1}, {0xF0, 0xE0, 2}, {0xF8, 0xF0, 3}};

const LeadForm* lead_form_of(uint32_t lead) {
    for (const LeadForm& form : lead_forms) {
        if ((lead & form.mask) == form.value) return &form;
    }
    return nullptr;
}

uint32_t packed_surrogates(uint32_t code_point) {
    if (code_point < 0x10000 || code_point > 0x10FFFF) return 0xFFFD;
    const uint32_t offset = code_point - 0x10000;
    const uint32_t high = 0xD800 + (offset >> 10);
    const uint32_t low = 0xDC00 + (offset & 0x3FF);
    return high | (low << 16);
}

} // namespace

PipeReader* OpenPipeReader(int descriptor, const char* mode) {
    int status_flags = fcntl(descriptor, F_GETFL);
    if (status_flags == -1) status_flags = 0;
    if (fcntl(descriptor, F_SETFL, status_flags | O_NONBLOCK) == -1) return nullptr;
    auto* reader = static_cast<PipeReader*>(AllocateBlock(sizeof(PipeReader)));
    if (!reader) return nullptr;
    reader->stream = fdopen(descriptor, mode);
    if (!reader->stream) {
        FreeBlock(reader);
        return nullptr;
    }
    reader->ring_start = reader->data;
    reader->read_pointer = reader->data;
    reader->write_pointer = reader->data;
    return reader;
}

int ClosePipeReader(PipeReader* reader) {
    if (!reader) return EOF;
    const int result = std::fclose(reader->stream);
    FreeBlock(reader);
    return result;
}

uint64_t PipeBytesAvailable(PipeReader* reader) {
    if (!reader) return 0;
    if (reader->count == 0) fill_ring(reader);
    return reader->count;
}

int PipeAtEnd(PipeReader* reader) {
    if (!reader) return 1;
    fill_ring(reader);
    if (reader->count != 0) return 0;
    return stream_ended(reader) ? 1 : 0;
}

uint64_t ReadPipeBytes(PipeReader* reader, void* destination, uint64_t n) {
    if (!reader || !destination) return 0;
    auto* out = static_cast<unsigned char*>(destination);
    uint64_t copied = 0;
    while (copied < n) {
        if (reader->count != 0) {
            copied += take_held_bytes(reader, out + copied, n - copied);
            continue;
        }
        if (stream_ended(reader)) return copied;
        wait_for_bytes(reader);
    }
    return copied;
}

uint32_t ReadPipeByte(PipeReader* reader) {
    unsigned char byte = 0;
    if (ReadPipeBytes(reader, &byte, 1) != 1) return pipe_no_byte;
    return byte;
}

uint64_t ReadPipeItems(void* destination, uint64_t size, uint64_t count, PipeReader* reader) {
    if (size == 0 || count == 0) return 0;
    if (count > UINT64_MAX / size) return 0;
    return ReadPipeBytes(reader, destination, size * count) / size;
}

uint32_t ReadPipeCharacter(PipeReader* reader) {
    const uint32_t lead = ReadPipeByte(reader);
    if (lead == pipe_no_byte || lead < 0x80) return lead;
    const LeadForm* form = lead_form_of(lead);
    if (!form) return ' ';
    uint32_t code_point = lead & ~form->mask & 0xFF;
    for (int i = 0; i < form->continuations; ++i) {
        if (!read_continuation(reader, &code_point)) return pipe_no_byte;
    }
    return form->continuations == 3 ? packed_surrogates(code_point) : code_point;
}

int SetPipeByteMode(PipeReader* reader, int mode) {
    if (!reader) return 0;
    return fwide(reader->stream, mode);
}

} // namespace rt
