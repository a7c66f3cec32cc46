#include "tools/trace/png_writer.h"

#include <fcntl.h>
#ifdef FLAKEMORPH_STORED_DEFLATE
#include "tools/trace/stored_zlib.h"
#else
#include <zlib.h>
#endif
#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <memory>

#include "tools/trace/file_system.h"

namespace flakemorph::trace {
namespace {

constexpr std::array<unsigned char, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr unsigned char kBitDepth = 8;
constexpr unsigned char kColourTypeRgb = 2;
// The compression most writers use by default: small files, quickly.
constexpr int kCompressionLevel = 6;

std::array<unsigned char, 4> BigEndian(std::uint32_t value) {
  return {static_cast<unsigned char>(value >> 24), static_cast<unsigned char>(value >> 16),
          static_cast<unsigned char>(value >> 8), static_cast<unsigned char>(value)};
}

// Names tried for a new file before giving up: another program that creates them first can
// only make the write fail, never receive it.
constexpr int kNewFileAttempts = 100;

#ifdef _WIN32
int CreateNew(const std::string& path) {
  return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
std::FILE* StreamOf(int descriptor) {
  return _fdopen(descriptor, "wb");
}
void CloseDescriptor(int descriptor) {
  _close(descriptor);
}
int ProcessId() {
  return _getpid();
}
#else
int CreateNew(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
std::FILE* StreamOf(int descriptor) {
  return fdopen(descriptor, "wb");
}
void CloseDescriptor(int descriptor) {
  close(descriptor);
}
int ProcessId() {
#ifdef __wasi__
  // WASI has no process ids: the clock's salt, and O_EXCL, keep the names apart.
  return 0;
#else
  return getpid();
#endif
}
#endif

// A file that did not exist before, beside `path` and hidden from a listing of the pictures,
// opened for writing; its name goes into `created`. O_EXCL refuses whatever is there already,
// a symbolic link above all, so nothing but our own new file is ever written.
std::FILE* OpenNewFileBeside(const std::string& path, std::string& created) {
  const auto salt =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (int attempt = 0; attempt < kNewFileAttempts; ++attempt) {
    // Appended piece by piece: g++ 12 warns falsely on chains of string + string.
    std::string name = ".";
    name.append(FileNameOf(path)).append(".").append(std::to_string(ProcessId()));
    name.append("-").append(std::to_string((salt + attempt) % 1000000));
    created = Beside(path, name);
    const int descriptor = CreateNew(created);
    if (descriptor >= 0) {
      std::FILE* file = StreamOf(descriptor);
      if (file == nullptr) CloseDescriptor(descriptor);
      return file;
    }
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}

}  // namespace

std::string PngWriter::Write(const Page& page, const std::string& path) {
  const std::size_t width = static_cast<std::size_t>(page.Width());
  const std::size_t height = static_cast<std::size_t>(page.Height());
  if (width == 0 || height == 0) return "an empty page cannot be a PNG image";
  const std::string problem = Compress(page);
  if (!problem.empty()) return problem;

  std::vector<unsigned char> header(13);
  const auto w = BigEndian(static_cast<std::uint32_t>(width));
  const auto h = BigEndian(static_cast<std::uint32_t>(height));
  std::copy(w.begin(), w.end(), header.begin());
  std::copy(h.begin(), h.end(), header.begin() + 4);
  header[8] = kBitDepth;
  header[9] = kColourTypeRgb;  // compression, filter method and interlace stay 0

  // Written whole into a file of its own, then put in place in one step: whoever looks (or a
  // full disk) never finds a picture cut short, and a link planted under the picture's name
  // is replaced, its target left alone.
  std::string part;
  std::FILE* file = OpenNewFileBeside(path, part);
  if (file == nullptr) return std::strerror(errno);
  const bool written =
      std::fwrite(kSignature.data(), 1, kSignature.size(), file) == kSignature.size() &&
      WriteChunk(file, "IHDR", header, header.size()) &&
      WriteChunk(file, "IDAT", compressed_, compressed_size_) &&
      WriteChunk(file, "IEND", header, 0) && std::fflush(file) == 0;
  int error = errno;
  const bool closed = std::fclose(file) == 0;
  if (written && !closed) error = errno;
  std::string renamed;
  if (written && closed) renamed = ReplaceWith(path, part);
  if (written && closed && renamed.empty()) return "";
  std::remove(part.c_str());
  return !renamed.empty() ? renamed : std::strerror(error);
}

// The rows, each behind its filter byte, deflated in one go.
std::string PngWriter::Compress(const Page& page) {
  const std::size_t width = static_cast<std::size_t>(page.Width());
  const std::size_t height = static_cast<std::size_t>(page.Height());
  const std::size_t row_bytes = 1 + 3 * width;
  rows_.resize(row_bytes * height);
  // A colour value holds red in its lowest byte, green next, then blue.
  const std::uint32_t* pixels = page.Pixels();
  for (std::size_t y = 0; y < height; ++y) {
    unsigned char* row = &rows_[y * row_bytes];
    row[0] = 0;
    for (std::size_t x = 0; x < width; ++x) {
      const std::uint32_t pixel = pixels[y * width + x];
      row[1 + 3 * x] = static_cast<unsigned char>(pixel & 0xFFU);
      row[2 + 3 * x] = static_cast<unsigned char>((pixel >> 8) & 0xFFU);
      row[3 + 3 * x] = static_cast<unsigned char>((pixel >> 16) & 0xFFU);
    }
  }
  if (rows_.size() > std::numeric_limits<uLong>::max()) return "the page is too large for zlib";
  const uLong source_size = static_cast<uLong>(rows_.size());
  compressed_.resize(compressBound(source_size));
  uLongf size = static_cast<uLongf>(compressed_.size());
  if (compress2(compressed_.data(), &size, rows_.data(), source_size, kCompressionLevel) != Z_OK) {
    return "zlib cannot compress the page";
  }
  compressed_size_ = size;
  return "";
}

// Length, type, data and the CRC of type and data.
bool PngWriter::WriteChunk(std::FILE* file, std::string_view type,
                           const std::vector<unsigned char>& data, std::size_t size) {
  const auto length = BigEndian(static_cast<std::uint32_t>(size));
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type.data()), static_cast<uInt>(type.size()));
  crc = crc32(crc, data.data(), static_cast<uInt>(size));
  const auto check = BigEndian(static_cast<std::uint32_t>(crc));
  return std::fwrite(length.data(), 1, 4, file) == 4 &&
         std::fwrite(type.data(), 1, type.size(), file) == type.size() &&
         std::fwrite(data.data(), 1, size, file) == size &&
         std::fwrite(check.data(), 1, 4, file) == 4;
}

}  // namespace flakemorph::trace
