#include "common/fail.h"

#include <cstdio>
#include <cstdlib>

namespace flakemorph {

void Fail(int status, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  FailWith(status, "", format, arguments);
}

// printf-style, so that no allocation is needed: a fault may come from inside a frame.
void FailWith(int status, const char* kind, const char* format, std::va_list arguments) {
  std::fputs("flakemorph: ", stderr);
  std::fputs(kind, stderr);
  std::vfprintf(stderr, format, arguments);
  std::fputc('\n', stderr);
  std::fflush(nullptr);
  std::_Exit(status);
}

}  // namespace flakemorph
