#include "tools/trace/file_system.h"

#include <version>
// libc++ announces <filesystem> even where it was built without it (for WebAssembly).
#if defined(__cpp_lib_filesystem) && !defined(_LIBCPP_HAS_NO_FILESYSTEM_LIBRARY)
#define FLAKEMORPH_HAS_FILESYSTEM 1
#include <filesystem>
#include <system_error>
#else
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#endif

namespace flakemorph::trace {

#ifdef FLAKEMORPH_HAS_FILESYSTEM

bool IsDirectory(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

void CreateDirectories(const std::string& path) {
  std::error_code error;
  std::filesystem::create_directories(path, error);
}

std::string FileNameOf(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

std::string Beside(const std::string& path, const std::string& name) {
  return (std::filesystem::path(path).parent_path() / name).string();
}

// std::rename would not replace a file on Windows.
std::string ReplaceWith(const std::string& to, const std::string& from) {
  std::error_code error;
  std::filesystem::rename(from, to, error);
  return error ? error.message() : "";
}

#else

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void CreateDirectories(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0777);
    if (slash == std::string::npos) return;
  }
}

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Beside(const std::string& path, const std::string& name) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? name : path.substr(0, slash + 1) + name;
}

std::string ReplaceWith(const std::string& to, const std::string& from) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? "" : std::strerror(errno);
}

#endif

}  // namespace flakemorph::trace
