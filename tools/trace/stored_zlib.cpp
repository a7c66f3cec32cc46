#include "tools/trace/stored_zlib.h"

#include <algorithm>
#include <cstring>

namespace flakemorph::trace {
namespace {

constexpr uLong kLargestStoredBlock = 65535;
// Two bytes of header, five for every block (a block may be empty), four of checksum.
constexpr uLong kBlockOverhead = 5;
constexpr uLong kStreamOverhead = 2 + 4;
constexpr uLong kAdlerModulus = 65521;

std::uint32_t Adler32(const Bytef* bytes, uLong length) {
  std::uint32_t low = 1;
  std::uint32_t high = 0;
  for (uLong i = 0; i < length; ++i) {
    low = (low + bytes[i]) % kAdlerModulus;
    high = (high + low) % kAdlerModulus;
  }
  return (high << 16) | low;
}

Bytef* PutBigEndian(Bytef* out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) *out++ = static_cast<Bytef>(value >> shift);
  return out;
}

}  // namespace

uLong compressBound(uLong source_length) {
  return kStreamOverhead + source_length +
         kBlockOverhead * (source_length / kLargestStoredBlock + 1);
}

int compress2(Bytef* destination, uLongf* destination_length, const Bytef* source,
              uLong source_length, int /*level*/) {
  if (*destination_length < compressBound(source_length)) return Z_BUF_ERROR;
  Bytef* out = destination;
  // Deflate with a 32 KiB window, no dictionary: 0x7801 is a multiple of 31, as the header
  // must be.
  *out++ = 0x78;
  *out++ = 0x01;
  uLong done = 0;
  do {
    const uLong length = std::min(source_length - done, kLargestStoredBlock);
    const bool last = done + length == source_length;
    *out++ = last ? 1 : 0;  // BFINAL, then BTYPE 00: stored
    *out++ = static_cast<Bytef>(length & 0xFF);
    *out++ = static_cast<Bytef>(length >> 8);
    *out++ = static_cast<Bytef>(~length & 0xFF);
    *out++ = static_cast<Bytef>((~length >> 8) & 0xFF);
    std::memcpy(out, source + done, length);
    out += length;
    done += length;
  } while (done < source_length);
  out = PutBigEndian(out, Adler32(source, source_length));
  *destination_length = static_cast<uLongf>(out - destination);
  return Z_OK;
}

uLong crc32(uLong crc, const Bytef* bytes, uInt length) {
  constexpr std::uint32_t kPolynomial = 0xEDB88320U;
  std::uint32_t value = static_cast<std::uint32_t>(crc) ^ 0xFFFFFFFFU;
  for (uInt i = 0; i < length; ++i) {
    value ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) value = (value >> 1) ^ (kPolynomial & (0U - (value & 1U)));
  }
  return value ^ 0xFFFFFFFFU;
}

}  // namespace flakemorph::trace
