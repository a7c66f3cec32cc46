# Cross-builds the Windows programs with Debian's mingw-w64 compiler for 64-bit Windows:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(FLAKEMORPH_MINGW x86_64-w64-mingw32)
# The posix thread model brings winpthreads: std::thread, std::mutex and clock_gettime. The
# win32 model, Debian's default, has none of them in GCC 12.
set(CMAKE_C_COMPILER ${FLAKEMORPH_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FLAKEMORPH_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${FLAKEMORPH_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${FLAKEMORPH_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# libstdc++, libgcc and winpthreads linked in: the programs run on a Windows with nothing
# installed, with no compiler DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(ZLIB_USE_STATIC_LIBS ON)
# printf and friends from MinGW's own C99 formatting rather than msvcrt.dll's: %zu, %lld and
# two-digit exponents as glibc prints them, whatever Windows version runs the program.
add_compile_definitions(__USE_MINGW_ANSI_STDIO=1)
# CTest runs the .exe files through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
