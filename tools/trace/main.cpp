// flakemorph-trace: the animation without a window, for tests, pictures and measurements.
#include <cstdio>
#include <string>

#include "tools/trace/options.h"
#include "tools/trace/run.h"

namespace {

constexpr int kUsageStatus = 2;

int FailUsage(const std::string& message) {
  std::fprintf(stderr, "flakemorph-trace: %s\n\n", message.c_str());
  flakemorph::trace::PrintUsage(stderr);
  return kUsageStatus;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace flakemorph::trace;
  const ParsedOptions parsed = ParseOptions(argc, argv);
  if (!parsed.error.empty()) return FailUsage(parsed.error);
  if (parsed.options.help) {
    PrintUsage(stdout);
    return 0;
  }
  if (parsed.options.version) {
    std::puts("flakemorph-trace " FLAKEMORPH_VERSION);
    return 0;
  }
  const std::string problem = CheckEnvironment(parsed.options);
  if (!problem.empty()) return FailUsage(problem);
  return RunTrace(parsed.options);
}
