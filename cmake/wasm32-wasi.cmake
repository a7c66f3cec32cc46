# Builds for WebAssembly (wasm32-wasi) with Debian's own clang, lld, wasi-libc and libc++ for
# wasm32, no other SDK:
#   cmake -S . -B build-web -DCMAKE_TOOLCHAIN_FILE=cmake/wasm32-wasi.cmake
# The page's module and the trace tool come out as .wasm files; CTest runs the tool under node's
# WASI.
set(CMAKE_SYSTEM_NAME WASI)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
# What CMake knows of WASI: cmake/Platform/WASI.cmake.
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
set(FLAKEMORPH_WASM_TARGET wasm32-wasi)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${FLAKEMORPH_WASM_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${FLAKEMORPH_WASM_TARGET})
set(CMAKE_AR llvm-ar CACHE FILEPATH "")
set(CMAKE_RANLIB llvm-ranlib CACHE FILEPATH "")
# No program of the host, no library or header outside the wasm32 sysroot.
set(CMAKE_FIND_ROOT_PATH /usr/lib/wasm32-wasi /usr/include/wasm32-wasi)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# SIMD and bulk memory (memory.fill and memory.copy for the clears and copies of whole pages),
# which every browser of the last years and node 18 have. clang 14 crashes on wasi-libc's
# thread-local errno under -mbulk-memory unless thread-locals take the one model a module of
# one thread needs anyway.
set(CMAKE_C_FLAGS_INIT "-msimd128 -mbulk-memory -ftls-model=local-exec")
set(CMAKE_CXX_FLAGS_INIT "-msimd128 -mbulk-memory -ftls-model=local-exec")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--strip-all")
# CTest runs the .wasm programs through node's WASI.
find_program(FLAKEMORPH_NODE node nodejs REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${FLAKEMORPH_NODE} --no-warnings
    --experimental-wasi-unstable-preview1 ${CMAKE_CURRENT_LIST_DIR}/../tools/wasi_run.mjs)
