// The few zlib calls of the PNG writer, for a build that has no zlib (Debian packages none for
// WebAssembly). Its streams hold the rows in stored deflate blocks, uncompressed: valid PNG
// pictures that every reader decodes to the same pixels as zlib's, only three times larger.
#pragma once

#include <cstdint>

namespace flakemorph::trace {

using uLong = unsigned long;
using uLongf = unsigned long;
using uInt = unsigned int;
using Bytef = unsigned char;
inline constexpr int Z_OK = 0;
inline constexpr int Z_BUF_ERROR = -5;

uLong compressBound(uLong source_length);
// `level` is ignored: stored blocks have none.
int compress2(Bytef* destination, uLongf* destination_length, const Bytef* source,
              uLong source_length, int level);
uLong crc32(uLong crc, const Bytef* bytes, uInt length);

}  // namespace flakemorph::trace
