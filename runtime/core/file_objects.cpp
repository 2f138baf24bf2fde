#include "runtime/core/file_objects.h"

#include "runtime/core/file_system.h"
#include "runtime/core/memory.h"
#include "runtime/core/object_table_of.h"
#include "runtime/core/text_encoding.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <span>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace rt {
namespace {

ObjectTableOf<FileRecord> file_table;

using Bytes = std::span<const unsigned char>;

FileRecord* live_record(ObjectNumber number) {
    return file_table.lookup(number);
}

FILE* stream_on(int descriptor, const char* stdio_mode) {
    if (descriptor < 0) return nullptr;
    FILE* stream = ::fdopen(descriptor, stdio_mode);
    if (!stream) ::close(descriptor);
    return stream;
}

bool is_regular_descriptor(int descriptor) {
    struct stat info {};
    return ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
}

bool is_regular_path(const char* path) {
    struct stat info {};
    return ::stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

// The kind is checked before opening, so that no device or pipe is opened, and again on the
// descriptor, in case the path changed in between. O_NONBLOCK keeps such an open from waiting.
FILE* open_for_reading(const char* path) {
    if (!is_regular_path(path)) return nullptr;
    const int descriptor = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor >= 0 && !is_regular_descriptor(descriptor)) {
        ::close(descriptor);
        return nullptr;
    }
    return stream_on(descriptor, "r");
}

// Update creates a missing file in the same call that opens it: there is no second attempt that
// could empty a file another process made in between.
FILE* open_stream(const char* path, int mode) {
    constexpr int common = O_RDWR | O_CREAT | O_CLOEXEC;
    switch (mode) {
    case file_mode_read:
        return open_for_reading(path);
    case file_mode_update:
        return stream_on(::open(path, common, 0666), "r+");
    default:
        return stream_on(::open(path, common | O_TRUNC, 0666), "w+");
    }
}

// Buffered objects collect their small writes themselves; without a second buffer inside the
// stream, each write-out reaches the system at once and its count tells whether it arrived.
bool prepare_stream(FILE* stream, int mode, int flags) {
    if (!(flags & file_flag_unbuffered) && ::setvbuf(stream, nullptr, _IONBF, 0) != 0) return false;
    if (mode == file_mode_update && (flags & file_flag_append))
        return ::fseeko(stream, 0, SEEK_END) == 0;
    return true;
}

int text_format_of_flags(int flags) {
    const int format = flags & text_format_mask;
    return format ? format : FormatUTF8;
}

ObjectNumber number_of(const FileRecord* record) {
    return static_cast<ObjectNumber>(reinterpret_cast<uintptr_t>(record));
}

// An open that failed after AllocateObject leaves nothing behind under the number.
int64_t give_up(ObjectNumber number, FileRecord* record) {
    file_table.release(number == AutoNumber ? number_of(record) : number);
    return 0;
}

// Writes of 1, 2 or 4 bytes are the common case of texts written a character at a time.
void copy_into(unsigned char* to, const unsigned char* from, size_t n) {
    switch (n) {
    case 1:
        *to = *from;
        return;
    case 2:
        std::memcpy(to, from, 2);
        return;
    case 4:
        std::memcpy(to, from, 4);
        return;
    default:
        std::memcpy(to, from, n);
    }
}

// fwrite that marks the object failed when the stream takes fewer bytes than offered.
int64_t write_to_stream(FileRecord* record, Bytes bytes) {
    const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), record->stream);
    if (written < bytes.size()) record->write_failed = 1;
    return static_cast<int64_t>(written);
}

bool enter_write_state(FileRecord* record) {
    // Bytes read ahead and not consumed belong after the position where writing starts.
    if (record->free_space > 0 && ::fseeko(record->stream, -record->free_space, SEEK_CUR) != 0) {
        record->write_failed = 1;
        return false;
    }
    record->read_state = 0;
    record->free_space = record->buffer_size;
    return true;
}

int64_t buffered_write(FileRecord* record, Bytes bytes) {
    if (record->read_state && !enter_write_state(record)) return 0;
    const auto n = static_cast<int64_t>(bytes.size());
    if (record->free_space <= n) {
        FlushFileObject(record);
        if (record->write_failed) return 0;
        if (n >= record->buffer_size) return write_to_stream(record, bytes);
    }
    const int64_t held = record->buffer_size - record->free_space;
    copy_into(record->buffer + held, bytes.data(), bytes.size());
    record->free_space -= static_cast<int32_t>(n);
    return n;
}

int64_t unbuffered_write(FileRecord* record, Bytes bytes) {
    const int64_t written = write_to_stream(record, bytes);
    if (std::fflush(record->stream) != 0) {
        record->write_failed = 1;
        return 0;
    }
    return written;
}

int64_t write_bytes(FileRecord* record, Bytes bytes) {
    if (record->read_only || record->write_failed || bytes.empty()) return 0;
    if (!record->buffer) return unbuffered_write(record, bytes);
    return buffered_write(record, bytes);
}

// A text in a one-byte-based encoding, held inline when short.
class EncodedText {
  public:
    EncodedText(std::span<const char16_t> units, int format) {
        const bool utf8 = format == FormatUTF8;
        const int64_t size = utf8 ? utf8_length_of_utf16(units) : one_byte_length_of_utf16(units);
        unsigned char* out = m_inline.data();
        if (size > static_cast<int64_t>(m_inline.size())) {
            m_heap = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(size)));
            if (!m_heap) return;
            out = m_heap;
        }
        const int64_t written = utf8 ? encode_utf8(units, out) : encode_one_byte(units, out);
        m_bytes = Bytes(out, static_cast<size_t>(written));
    }
    ~EncodedText() { std::free(m_heap); }
    EncodedText(const EncodedText&) = delete;
    EncodedText& operator=(const EncodedText&) = delete;

    // Empty when the text gives no bytes or there was no memory for them.
    Bytes bytes() const { return m_bytes; }

  private:
    std::array<unsigned char, 256> m_inline;
    unsigned char* m_heap = nullptr;
    Bytes m_bytes;
};

int close_failures = 0;

// The table's free procedure: CloseFileObject for one number, counting what did not close cleanly.
void close_for_table(ObjectNumber number) {
    if (!CloseFileObject(number)) ++close_failures;
}

int close_every_file() {
    close_failures = 0;
    file_table.free_all();
    return close_failures == 0 ? 1 : 0;
}

} // namespace

int InitFiles() {
    return file_table.create_once(16, close_for_table) ? 1 : 0;
}

void EndFiles() {
    if (file_table.table()) close_every_file();
}

int64_t OpenFileObject(ObjectNumber number, const char16_t* path, int mode, int flags) {
    if (!file_table.table()) return 0;
    FileRecord* record = file_table.allocate(number);
    if (!record) return 0;
    const NativePath native = native_path(path);
    FILE* stream = native ? open_stream(native.get(), mode) : nullptr;
    if (!stream) return give_up(number, record);
    const bool buffered = !(flags & file_flag_unbuffered);
    auto* buffer =
        buffered ? static_cast<unsigned char*>(AllocateBlock(file_buffer_size)) : nullptr;
    if ((buffered && !buffer) || !prepare_stream(stream, mode, flags)) {
        FreeBlock(buffer);
        std::fclose(stream);
        return give_up(number, record);
    }
    *record = FileRecord{stream,
                         buffer,
                         file_buffer_size,
                         0,
                         1,
                         text_format_of_flags(flags),
                         mode == file_mode_read ? 1 : 0,
                         0};
    if (number == AutoNumber) return number_of(record);
    return static_cast<int64_t>(reinterpret_cast<uintptr_t>(stream));
}

int64_t CreateFileObject(ObjectNumber number, const char16_t* path) {
    return OpenFileObject(number, path, file_mode_create, 0);
}

int64_t CreateFileObjectFlags(ObjectNumber number, const char16_t* path, int flags) {
    return OpenFileObject(number, path, file_mode_create, flags);
}

int64_t UpdateFileObject(ObjectNumber number, const char16_t* path) {
    return OpenFileObject(number, path, file_mode_update, 0);
}

int64_t UpdateFileObjectFlags(ObjectNumber number, const char16_t* path, int flags) {
    return OpenFileObject(number, path, file_mode_update, flags);
}

int64_t ReadFileObject(ObjectNumber number, const char16_t* path) {
    return OpenFileObject(number, path, file_mode_read, 0);
}

int64_t ReadFileObjectFlags(ObjectNumber number, const char16_t* path, int flags) {
    return OpenFileObject(number, path, file_mode_read, flags);
}

FileRecord* FileObjectValid(ObjectNumber number) {
    return file_table.validate(number);
}

int64_t WriteFileText(ObjectNumber number, const char16_t* text, int format) {
    FileRecord* record = live_record(number);
    if (!record) return 0;
    const std::span<const char16_t> units(text ? text : u"", static_cast<size_t>(UnitCount(text)));
    if (units.empty()) return 0;
    const int chosen =
        (format & text_format_mask) ? format & text_format_mask : record->text_format;
    if (chosen == FormatUTF16)
        return write_bytes(record, Bytes(reinterpret_cast<const unsigned char*>(units.data()),
                                         units.size_bytes()));
    const EncodedText encoded(units, chosen);
    return write_bytes(record, encoded.bytes());
}

int64_t WriteFileTextDefault(ObjectNumber number, const char16_t* text) {
    return WriteFileText(number, text, 0);
}

int64_t FlushFileObject(FileRecord* record) {
    if (!record || !record->stream || !record->buffer || record->read_state) return 0;
    const int64_t held = record->buffer_size - record->free_space;
    record->free_space = record->buffer_size;
    if (held <= 0) return 0;
    return write_to_stream(record, Bytes(record->buffer, static_cast<size_t>(held)));
}

int CloseFileObject(ObjectNumber number) {
    if (!file_table.table()) return 0;
    if (number == AutoNumber) return close_every_file();
    FileRecord* record = live_record(number);
    if (!record) return 0;
    if (record->buffer) {
        FlushFileObject(record);
        FreeBlock(record->buffer);
    }
    const bool closed = std::fclose(record->stream) == 0;
    const bool clean = closed && !record->write_failed;
    file_table.release(number);
    return clean ? 1 : 0;
}

} // namespace rt
