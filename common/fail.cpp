#include "common/fail.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>
#ifndef _WIN32
#include <errno.h>  // program_invocation_short_name
#endif

namespace flakemorph {
namespace {

// The name the program was started by, without its folder or, on Windows, its extension: the
// trace tool's faults are reported under its own name.
std::string_view ProgramName() {
#ifdef _WIN32
  std::string_view name = __argv != nullptr && __argv[0] != nullptr ? __argv[0] : "flakemorph";
  name.remove_prefix(name.find_last_of("/\\") + 1);
  return name.substr(0, name.find_last_of('.'));
#else
  return program_invocation_short_name;
#endif
}

}  // namespace

void Fail(int status, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  FailWith(status, "", format, arguments);
}

// printf-style, so that no allocation is needed: a fault may come from inside a frame.
void FailWith(int status, const char* kind, const char* format, std::va_list arguments) {
  const std::string_view name = ProgramName();
  std::fprintf(stderr, "%.*s: %s", static_cast<int>(name.size()), name.data(), kind);
  std::vfprintf(stderr, format, arguments);
  std::fputc('\n', stderr);
  std::fflush(nullptr);
  std::_Exit(status);
}

}  // namespace flakemorph
