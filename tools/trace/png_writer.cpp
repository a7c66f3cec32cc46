#include "tools/trace/png_writer.h"

#include <png.h>

#include <cstddef>
#include <cstdint>

namespace flakemorph::trace {

std::string PngWriter::Write(const Page& page, const std::string& path) {
  const std::size_t width = static_cast<std::size_t>(page.Width());
  const std::size_t height = static_cast<std::size_t>(page.Height());
  if (width == 0 || height == 0) return "an empty page cannot be a PNG image";
  rgb_.resize(width * height * 3);
  // A colour value holds red in its lowest byte, green next, then blue.
  const std::uint32_t* pixels = page.Pixels();
  for (std::size_t i = 0; i < width * height; ++i) {
    rgb_[3 * i] = static_cast<unsigned char>(pixels[i] & 0xFFU);
    rgb_[3 * i + 1] = static_cast<unsigned char>((pixels[i] >> 8) & 0xFFU);
    rgb_[3 * i + 2] = static_cast<unsigned char>((pixels[i] >> 16) & 0xFFU);
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  const bool written = png_image_write_to_file(&image, path.c_str(), 0, rgb_.data(),
                                               static_cast<png_int_32>(width * 3), nullptr) != 0;
  const std::string error = written ? "" : std::string(image.message);
  png_image_free(&image);
  return error;
}

}  // namespace flakemorph::trace
