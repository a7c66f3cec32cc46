#include "figures/numbers.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace flakemorph {

void FailRuntime(const char* format, ...) {
  std::fputs("flakemorph: run-time error: ", stderr);
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stderr, format, arguments);
  va_end(arguments);
  std::fputc('\n', stderr);
  std::fflush(nullptr);
  std::_Exit(kRuntimeFailureStatus);
}

}  // namespace flakemorph
