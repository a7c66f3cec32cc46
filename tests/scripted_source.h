// A random stream of chosen values, for tests that must see given numbers.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "figures/numbers.h"
#include "figures/random_source.h"

namespace flakemorph {

// Returns given values in order, for runs and tests that must see chosen numbers.
class ScriptedSource final : public RandomSource {
 public:
  // Every value must lie in [0, 1).
  explicit ScriptedSource(std::vector<float> values) : values_(std::move(values)) {
    for (std::size_t n = 0; n < values_.size(); ++n) {
      if (values_[n] < 0.0F || values_[n] >= 1.0F) {
        FailRuntime("scripted value %zu (%.9g) is outside [0, 1)", n + 1,
                    static_cast<double>(values_[n]));
      }
    }
  }
  // A scripted stream is the same whatever the time of day.
  void Reseed() override {}
  // Running out of values ends the program, naming the number of draws taken.
  float Next() override {
    if (drawCount_ >= values_.size()) {
      FailRuntime("random stream exhausted after %zu draws", drawCount_);
    }
    return values_[drawCount_++];
  }
  std::size_t DrawCount() const { return drawCount_; }

 private:
  std::vector<float> values_;
  std::size_t drawCount_ = 0;
};

}  // namespace flakemorph
