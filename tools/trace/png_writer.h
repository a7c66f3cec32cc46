// Writes a page as an 8-bit RGB PNG image. Our own few lines on zlib rather than libpng, which
// is not there for every system the tool is built for (Debian has zlib, and no libpng, for
// Windows): the same writer, and so the same bytes, everywhere.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "display/page.h"

namespace flakemorph::trace {

class PngWriter {
 public:
  // Returns "" on success, else what went wrong.
  std::string Write(const Page& page, const std::string& path);

 private:
  std::string Compress(const Page& page);
  static bool WriteChunk(std::FILE* file, std::string_view type,
                         const std::vector<unsigned char>& data, std::size_t size);

  // Kept between pictures, so that a run allocates them once.
  std::vector<unsigned char> rows_;        // a filter byte (0, none) and the RGB bytes per row
  std::vector<unsigned char> compressed_;  // the zlib stream of rows_
  std::size_t compressed_size_ = 0;
};

}  // namespace flakemorph::trace
