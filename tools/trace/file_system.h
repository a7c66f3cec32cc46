// The few file-system calls of the trace tool: through <filesystem> where the C++ library has
// it, through the POSIX calls it stands on where it has not (libc++ for WebAssembly).
#pragma once

#include <string>

namespace flakemorph::trace {

bool IsDirectory(const std::string& path);
// Every folder on the way, parents first; what fails shows when the last is looked at.
void CreateDirectories(const std::string& path);
// The last part of `path`, the file's own name.
std::string FileNameOf(const std::string& path);
// A file called `name` in the folder of `path`.
std::string Beside(const std::string& path, const std::string& name);
// Puts the file `from` in the place of `to`, in one step, replacing whatever is there; gives
// what went wrong, or "".
std::string ReplaceWith(const std::string& to, const std::string& from);

}  // namespace flakemorph::trace
