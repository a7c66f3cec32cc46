// Ending the program with one line on stderr, the program's name and what went wrong, and a status
// that says what kind of end it was (see the manual's table).
#pragma once

#include <cstdarg>

#include "common/printf_format.h"

namespace flakemorph {

[[noreturn]] void Fail(int status, const char* format, ...) FLAKEMORPH_PRINTF_FORMAT(2, 3);
// The same with `kind` before the message ("run-time error: ", or nothing).
[[noreturn]] void FailWith(int status, const char* kind, const char* format,
                           std::va_list arguments);

}  // namespace flakemorph
