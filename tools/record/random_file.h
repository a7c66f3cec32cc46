// The random stream of a headless run, read from a file: the values a run of another build
// drew, so that both runs can be compared draw for draw.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "figures/random_source.h"

namespace flakemorph {

// What is wrong with a random file, as a message that names the file (and the line).
class RandomFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Values read from a file one decimal number a line, each rounded to the nearest single, as
// they are drawn: a file or pipe without end costs one line of memory, and only as much of it
// is read as the run needs. A file that cannot be read, a line that is not a number in [0, 1)
// or is too long, and the end of the file throw RandomFileError.
class RandomFile final : public RandomSource {
 public:
  // Longer lines are refused: no decimal needs that many digits to name a single.
  static constexpr std::size_t kLongestLine = 4096;

  explicit RandomFile(std::string path);
  ~RandomFile() override;
  RandomFile(const RandomFile&) = delete;
  RandomFile& operator=(const RandomFile&) = delete;

  void Reseed() override {}
  float Next() override;
  std::size_t DrawCount() const { return drawCount_; }

 private:
  // The next line, without its line break, in line_; false at the end of the file.
  bool ReadLine();
  [[noreturn]] void FailReading() const;

  std::string path_;
  std::FILE* file_;
  std::array<char, kLongestLine> line_{};
  std::size_t lineLength_ = 0;
  std::size_t lineNumber_ = 0;
  std::size_t drawCount_ = 0;
};

}  // namespace flakemorph
