// Writes a page as an 8-bit RGB PNG image.
#pragma once

#include <string>
#include <vector>

#include "display/page.h"

namespace flakemorph::trace {

class PngWriter {
 public:
  // Returns "" on success, else what went wrong.
  std::string Write(const Page& page, const std::string& path);

 private:
  std::vector<unsigned char> rgb_;  // kept between pictures, so a run allocates it once
};

}  // namespace flakemorph::trace
