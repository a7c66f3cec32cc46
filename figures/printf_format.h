// printf-style checking of a function's format string against its arguments. GCC checks them
// against GNU's printf, which glibc and the Windows build's C99 stdio both follow (%zu, %lld);
// clang, which builds for WebAssembly, has no gnu_printf and checks the same rules as printf.
#pragma once

#if defined(__clang__)
#define FLAKEMORPH_PRINTF_FORMAT(format_index, first_argument) \
  __attribute__((format(printf, format_index, first_argument)))
#else
#define FLAKEMORPH_PRINTF_FORMAT(format_index, first_argument) \
  __attribute__((format(gnu_printf, format_index, first_argument)))
#endif
