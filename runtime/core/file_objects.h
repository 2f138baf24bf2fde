#pragma once
// Numbered file objects for writing text files. Each object is a record in the file table of the
// object registry, around a standard FILE stream; texts are written in a chosen encoding through
// a write-behind buffer of file_buffer_size bytes, which is written out only when a write would
// fill it, and when the file is closed.
//
// A write that cannot reach the file marks the object failed: from then on every write is refused
// with 0, so that nothing is reported written after bytes have been lost, and CloseFileObject
// answers 0. The descriptors are closed on exec, so started programs do not inherit them.
//
// File objects are used from one thread; there is no lock.

#include "runtime/core/object_table.h"
#include "runtime/core/rt_string.h"
#include "runtime/core/string_conversions.h"

#include <cstdint>
#include <cstdio>

namespace rt {

// Text formats: the low 5 bits of the open flags and of WriteFileText's format.
inline constexpr int FormatUTF8 = text_format_utf8;   // UTF-8, no byte-order mark
inline constexpr int FormatUTF16 = text_format_utf16; // the units as in memory, no byte-order mark
// Any other value writes one byte per unit below 256 and drops the other units.
inline constexpr int FormatASCII = 24;

// Open modes.
inline constexpr int file_mode_read = 1;   // an existing regular file, read only
inline constexpr int file_mode_update = 2; // read and write, created when missing, kept otherwise
inline constexpr int file_mode_create = 3; // emptied or created, read and write; any other mode too

// Open flags beside the text format.
inline constexpr int file_flag_unbuffered = 0x80000; // every write goes to the file at once
inline constexpr int file_flag_append = 0x100000;    // with file_mode_update: write at the end

inline constexpr int32_t file_buffer_size = 4096;

struct FileRecord {
    FILE* stream;          // non-null while the object is live (the registry's liveness mark)
    unsigned char* buffer; // write-behind buffer, a runtime heap block; null when unbuffered
    int32_t buffer_size;
    int32_t free_space; // write state: bytes still free; read state: read-ahead bytes not consumed
    int32_t read_state; // 1 until the first buffered write
    int32_t text_format;
    int32_t read_only;
    int32_t write_failed; // a write fell short; further writes are refused
};
static_assert(sizeof(FileRecord) == 40);

// Creates the file table; 1 when it exists (also when it already did), 0 when it cannot be made.
// Every other operation fails with 0 before it.
int InitFiles();
// Closes every open file, writing out its buffer.
void EndFiles();

// Opens `path` in `mode` under `number`: the FILE pointer for a fixed number, the new number for
// AutoNumber, 0 on failure (which leaves no object under the number; an object that was live
// under it has been closed).
int64_t OpenFileObject(ObjectNumber number, const char16_t* path, int mode, int flags);
int64_t CreateFileObject(ObjectNumber number, const char16_t* path);
int64_t CreateFileObjectFlags(ObjectNumber number, const char16_t* path, int flags);
int64_t UpdateFileObject(ObjectNumber number, const char16_t* path);
int64_t UpdateFileObjectFlags(ObjectNumber number, const char16_t* path, int flags);
int64_t ReadFileObject(ObjectNumber number, const char16_t* path);
int64_t ReadFileObjectFlags(ObjectNumber number, const char16_t* path, int flags);

// The record of a live file object, or null.
FileRecord* FileObjectValid(ObjectNumber number);

// Bytes written or taken into the buffer; format 0 means the file's own format. 0 for an unknown
// number, a null or empty text, a text that gives no bytes, a read-only or failed file. No
// newline and no byte-order mark are added.
int64_t WriteFileText(ObjectNumber number, const char16_t* text, int format);
int64_t WriteFileTextDefault(ObjectNumber number, const char16_t* text);

// Writes out what the buffer holds; the bytes that reached the stream. 0 in read state, for an
// unbuffered file and for null.
int64_t FlushFileObject(FileRecord* record);

// Writes out the buffer, closes the stream and releases the number; AutoNumber closes every file.
// 1 when everything written reached the file and the stream closed cleanly; 0 otherwise, and for
// a number that is no open file.
int CloseFileObject(ObjectNumber number);

// The same operations for C++ code.
inline int64_t CreateFileObject(ObjectNumber number, TextArg path) {
    return CreateFileObject(number, path.get());
}
inline int64_t WriteFileText(ObjectNumber number, TextArg text, int format) {
    return WriteFileText(number, text.get(), format);
}

} // namespace rt
