#include "runtime/core/image_files.h"

#include "platform/foundation/file_replace.h"
#include "runtime/core/file_system.h"
#include "runtime/core/image_codecs.h"
#include "runtime/core/images.h"
#include "runtime/core/object_table.h"

#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace rt {
namespace {

constexpr mode_t k_file_mode = 0644;

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// The whole content of a regular file; nullopt when it cannot be read whole.
std::optional<std::string> read_file_bytes(const char* path) {
    Descriptor file{::open(path, O_RDONLY | O_CLOEXEC)};
    struct stat status {};
    if (file.fd < 0 || ::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t count = ::read(file.fd, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return std::nullopt;
        done += static_cast<std::size_t>(count);
    }
    return bytes;
}

} // namespace

int64_t LoadImage(int64_t number, const char16_t* path) {
    NativePath native = native_path(path);
    if (!native) return 0;
    std::optional<std::string> bytes = read_file_bytes(native.get());
    if (!bytes) return 0;
    const DecodedImage* picture =
        DecodeImage(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size());
    if (!picture) return 0;
    int64_t made = NewImage(number, picture->width, picture->height, picture->depth == 32 ? 32 : 24,
                            ImageBackgroundClear);
    if (made) {
        std::memcpy(ImagePixels(number == AutoNumber ? made : number), picture->pixels,
                    static_cast<std::size_t>(picture->width * picture->height * 4));
    }
    ReleaseDecodedImage();
    return made;
}

int SaveImage(int64_t number, const char16_t* path, uint32_t format, int64_t bits_per_pixel) {
    uint8_t* pixels = ImagePixels(number);
    NativePath native = native_path(path);
    std::string bytes;
    if (!pixels || !native ||
        !EncodeImage(format, pixels, ImagePixelWidth(number), ImagePixelHeight(number),
                     bits_per_pixel, &bytes))
        return 0;
    SystemCall written = replace_file_atomically(native.get(), bytes, k_file_mode);
    if (written.ok()) return 1;
    errno = written.error;
    return 0;
}

} // namespace rt
