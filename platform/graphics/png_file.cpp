#include "platform/graphics/png_file.h"

#include <png.h>

#include <cstring>
#include <new>

namespace {

// Frees libpng's reading state on every path out of read_png_file.
class PngImageScope {
  public:
    PngImageScope() {
        std::memset(&m_image, 0, sizeof m_image);
        m_image.version = PNG_IMAGE_VERSION;
    }
    ~PngImageScope() { png_image_free(&m_image); }
    PngImageScope(const PngImageScope&) = delete;
    PngImageScope& operator=(const PngImageScope&) = delete;

    png_image& image() { return m_image; }

  private:
    png_image m_image;
};

bool within_limits(const png_image& image, std::size_t samples_per_pixel) {
    if (image.width == 0 || image.height == 0) return false;
    if (image.width > PngMaxExtent || image.height > PngMaxExtent) return false;
    std::size_t bytes = std::size_t{image.width} * image.height * samples_per_pixel;
    return bytes <= PngMaxPixelBytes;
}

} // namespace

std::optional<PngPicture> read_png_file(const std::string& path) {
    PngImageScope scope;
    png_image& image = scope.image();
    if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
    PngPicture picture;
    picture.has_alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    picture.samples_per_pixel = picture.has_alpha ? 4 : 3;
    if (!within_limits(image, picture.samples_per_pixel)) return std::nullopt;
    image.format = picture.has_alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    picture.width = image.width;
    picture.height = image.height;
    try {
        picture.pixels.resize(picture.bytes_per_row() * picture.height);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    auto row_stride = static_cast<png_int_32>(picture.bytes_per_row());
    if (!png_image_finish_read(&image, nullptr, picture.pixels.data(), row_stride, nullptr)) {
        return std::nullopt;
    }
    return picture;
}
