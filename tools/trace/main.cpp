// flakemorph-trace: the animation without a window, for tests, pictures and measurements.
#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
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

// Puts /dev/null on each of the descriptors 0, 1 and 2 that is closed, so that no file the
// run opens (a picture above all) takes the place of standard output and receives the log.
// Gives whether standard output was closed.
bool OpenClosedStandardStreams() {
  bool output_closed = false;
#ifndef _WIN32
  for (int descriptor = 0; descriptor <= STDERR_FILENO; ++descriptor) {
    if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
    output_closed = output_closed || descriptor == STDOUT_FILENO;
    // open() takes the lowest free descriptor, which is this one.
    open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
  }
#endif
  return output_closed;
}

// The help or the version on standard output: status 1, and a word on stderr, when it cannot
// be written (a full disk, a closed pipe or stream).
int WriteOut(const char* what, bool output_closed, void (*write)()) {
  if (output_closed) {
    std::fprintf(stderr, "flakemorph-trace: cannot write the %s: standard output is closed\n",
                 what);
    return flakemorph::trace::kRunFailedStatus;
  }
  write();
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
  std::fprintf(stderr, "flakemorph-trace: cannot write the %s: %s\n", what, std::strerror(errno));
  return flakemorph::trace::kRunFailedStatus;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace flakemorph::trace;
#ifdef _WIN32
  // The logs are the same bytes as everywhere: "\n", not "\r\n".
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  const bool output_closed = OpenClosedStandardStreams();
  const ParsedOptions parsed = ParseOptions(argc, argv);
  if (!parsed.error.empty()) return FailUsage(parsed.error);
  if (parsed.options.help) {
    return WriteOut("help", output_closed, [] { PrintUsage(stdout); });
  }
  if (parsed.options.version) {
    return WriteOut("version", output_closed,
                    [] { std::fputs("flakemorph-trace " FLAKEMORPH_VERSION "\n", stdout); });
  }
  const std::string problem = CheckEnvironment(parsed.options);
  if (!problem.empty()) return FailUsage(problem);
  if (output_closed && (parsed.options.ops || parsed.options.state)) {
    std::fputs("flakemorph-trace: cannot write the log: standard output is closed\n", stderr);
    return kRunFailedStatus;
  }
  return RunTrace(parsed.options);
}
