#include "tools/record/random_file.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <utility>

#include "common/text.h"
#include "figures/decimal_text.h"
#include "figures/quoted_text.h"

namespace flakemorph {
namespace {

bool IsInUnitInterval(float value) {
  return value >= 0.0F && value < 1.0F;
}

// Only plain decimal notation counts as a number: no hexadecimal, "inf" or "nan".
bool LooksDecimal(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789.eE+-") == std::string_view::npos;
}

enum class LineFault { kNone, kNotPlainDecimal, kOutside, kRoundsToOne };

// The value of a decimal in double precision, or, past a double's range, 0 for a tiny one
// (a negative exponent) and infinity for a huge one.
double WideValue(std::string_view text) {
  double wide = 0;
  const auto [stop, error] = ReadReal(text.data(), text.data() + text.size(), wide);
  if (error == std::errc()) return wide;
  const std::size_t exponent = text.find_first_of("eE");
  const bool tiny =
      exponent != std::string_view::npos && exponent + 1 < text.size() && text[exponent + 1] == '-';
  const double sign = text.front() == '-' ? -1 : 1;
  return tiny ? 0.0 : sign * HUGE_VAL;
}

LineFault ReadLine(std::string_view text, float& value) {
  if (!LooksDecimal(text)) return LineFault::kNotPlainDecimal;
  if (text.front() == '+') text.remove_prefix(1);
  const char* end = text.data() + text.size();
  const auto [stop, error] = ReadReal(text.data(), end, value);
  if (text.empty() || stop != end) return LineFault::kNotPlainDecimal;
  if (error == std::errc::result_out_of_range) {
    // Too small for a single rounds to 0, which is a fine value unless the decimal is negative.
    const double wide = WideValue(text);
    if (std::abs(wide) >= 1 || text.front() == '-') return LineFault::kOutside;
    value = 0;
    return LineFault::kNone;
  }
  if (error != std::errc()) return LineFault::kNotPlainDecimal;
  if (value == 1.0F && WideValue(text) < 1) return LineFault::kRoundsToOne;
  return IsInUnitInterval(value) ? LineFault::kNone : LineFault::kOutside;
}

float ParseScriptLine(const std::string& path, std::size_t lineNumber, std::string_view line) {
  const std::string_view text = Trimmed(line);
  float value = 0;
  const LineFault fault = ReadLine(text, value);
  if (fault == LineFault::kNone) return value;
  const char* what = fault == LineFault::kNotPlainDecimal ? "is not a plain decimal"
                     : fault == LineFault::kRoundsToOne
                         ? "is outside [0, 1) as a single (it rounds to 1)"
                         : "is outside [0, 1)";
  throw RandomFileError(path + ":" + std::to_string(lineNumber) + ": " +
                        QuotedText(text, "a line") + " " + what);
}

// Lines are read a byte at a time; the stream is not shared, so it needs no lock.
int NextByte(std::FILE* file) {
#ifdef _WIN32
  return _getc_nolock(file);
#else
  return getc_unlocked(file);
#endif
}

}  // namespace

RandomFile::RandomFile(std::string path)
    : path_(std::move(path)), file_(std::fopen(path_.c_str(), "rb")) {
  if (file_ == nullptr) FailReading();
}

RandomFile::~RandomFile() {
  std::fclose(file_);
}

float RandomFile::Next() {
  if (!ReadLine()) {
    throw RandomFileError(path_ + ": random stream exhausted after " + std::to_string(drawCount_) +
                          " draws");
  }
  const float value =
      ParseScriptLine(path_, lineNumber_, std::string_view(line_.data(), lineLength_));
  ++drawCount_;
  return value;
}

bool RandomFile::ReadLine() {
  lineLength_ = 0;
  int byte = NextByte(file_);
  if (byte == EOF) {
    if (std::ferror(file_)) FailReading();
    return false;
  }
  ++lineNumber_;
  for (; byte != EOF && byte != '\n'; byte = NextByte(file_)) {
    if (lineLength_ == line_.size()) {
      throw RandomFileError(path_ + ":" + std::to_string(lineNumber_) + ": a line longer than " +
                            std::to_string(kLongestLine) + " bytes");
    }
    line_[lineLength_++] = static_cast<char>(byte);
  }
  if (std::ferror(file_)) FailReading();
  return true;
}

void RandomFile::FailReading() const {
  throw RandomFileError("cannot read " + path_ + ": " + std::strerror(errno));
}

}  // namespace flakemorph
