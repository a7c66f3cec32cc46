#include "figures/random_source.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string_view>
#include <utility>

#include "figures/decimal_text.h"
#include "figures/numbers.h"
#include "figures/quoted_text.h"

namespace flakemorph {

namespace {

constexpr std::uint64_t kNanosecondsPerSecond = 1'000'000'000;
constexpr std::uint64_t kPcgMultiplier = 6364136223846793005ULL;

// splitmix64's finaliser: spreads nearby clock readings and counts over all 64 bits.
std::uint64_t SplitMix64(std::uint64_t value) {
  value += 0x9E3779B97F4A7C15ULL;
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ULL;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBULL;
  return value ^ (value >> 31);
}

bool IsInUnitInterval(float value) {
  return value >= 0.0F && value < 1.0F;
}

std::string_view Trimmed(std::string_view text) {
  constexpr std::string_view kSpace = " \t\r\n\f\v";
  const std::size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(kSpace);
  return text.substr(first, last - first + 1);
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

std::uint64_t LocalNanosecondsSinceMidnight() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
#ifdef _WIN32
  localtime_s(&local, &now.tv_sec);
#else
  localtime_r(&now.tv_sec, &local);
#endif
  const auto seconds =
      static_cast<std::uint64_t>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);
  return seconds * kNanosecondsPerSecond + static_cast<std::uint64_t>(now.tv_nsec);
}

TimeSeededGenerator::TimeSeededGenerator(TimeOfDayClock clock, std::uint64_t stream)
    : clock_(std::move(clock)), stream_(stream) {
  Reseed();
}

void TimeSeededGenerator::Reseed() {
  Seed(clock_(), reseedCount_);
  ++reseedCount_;
}

// The clock picks the starting state and the count picks the stream (PCG's increment), so
// re-seeds at one clock reading run on distinct streams. The stream number moves the starting
// state, and with it the increment, by a hash of its own; stream 0 adds nothing.
void TimeSeededGenerator::Seed(std::uint64_t clockReading, std::uint64_t reseedCount) {
  const std::uint64_t streamHash = stream_ == 0 ? 0 : SplitMix64(~stream_);
  const std::uint64_t clockHash = SplitMix64(clockReading) ^ streamHash;
  state_ = 0;
  increment_ = (SplitMix64(clockHash + reseedCount) << 1U) | 1U;
  NextBits();
  state_ += clockHash;
  NextBits();
}

std::uint32_t TimeSeededGenerator::NextBits() {
  const std::uint64_t old = state_;
  state_ = old * kPcgMultiplier + increment_;
  const auto shifted = static_cast<std::uint32_t>(((old >> 18U) ^ old) >> 27U);
  const auto rotation = static_cast<std::uint32_t>(old >> 59U);
  return (shifted >> rotation) | (shifted << ((32U - rotation) & 31U));
}

float TimeSeededGenerator::Next() {
  constexpr float kUnit = 0x1p-24F;
  return static_cast<float>(NextBits() >> 8U) * kUnit;
}

ScriptedSource::ScriptedSource(std::vector<float> values) : values_(std::move(values)) {
  for (std::size_t n = 0; n < values_.size(); ++n) {
    if (!IsInUnitInterval(values_[n])) {
      FailRuntime("scripted value %zu (%.9g) is outside [0, 1)", n + 1,
                  static_cast<double>(values_[n]));
    }
  }
}

float ScriptedSource::Next() {
  if (drawCount_ >= values_.size()) {
    FailRuntime("random stream exhausted after %zu draws", drawCount_);
  }
  return values_[drawCount_++];
}

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
