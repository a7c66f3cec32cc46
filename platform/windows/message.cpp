#include "platform/windows/message.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace flakemorph {
namespace {

// Where the text after a tab starts on a console; a message box, whose font is no
// typewriter's, gets a colon instead.
constexpr std::size_t kConsoleColumn = 20;

bool Usable(DWORD stream) {
  const HANDLE handle = GetStdHandle(stream);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// Each tab pads its line to the column, or to one blank past it when the line is longer.
std::string ForConsole(std::string_view text) {
  std::string lines;
  std::size_t line_start = 0;
  for (const char c : text) {
    if (c == '\t') {
      const std::size_t used = lines.size() - line_start;
      lines.append(used < kConsoleColumn ? kConsoleColumn - used : 1, ' ');
      continue;
    }
    lines.push_back(c);
    if (c == '\n') line_start = lines.size();
  }
  return lines;
}

bool ListItem(std::string_view line) {
  return line.starts_with("  ");
}

// A box wraps its lines itself: the lines of a paragraph become one, list items stay lines.
std::wstring ForMessageBox(std::string_view text) {
  std::string lines;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    for (const char c : line) {
      if (c == '\t') {
        lines += ": ";
      } else {
        lines.push_back(c);
      }
    }
    const std::string_view next = text.substr(0, text.find('\n'));
    if (text.empty()) break;
    const bool prose = !line.empty() && !next.empty() && !ListItem(line) && !ListItem(next);
    lines.push_back(prose ? ' ' : '\n');
  }
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, lines.data(), static_cast<int>(lines.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, lines.data(), static_cast<int>(lines.size()), wide.data(),
                      length);
  return wide;
}

}  // namespace

void SayToUser(std::string_view text, MessageKind kind, BoxUse box) {
  if (Usable(STD_ERROR_HANDLE)) {
    const std::string lines = ForConsole(text);
    std::fprintf(stderr, "%s%s%s", kind == MessageKind::kError ? "flakemorph: " : "", lines.c_str(),
                 lines.ends_with('\n') ? "" : "\n");
    std::fflush(stderr);
  }
  if (box == BoxUse::kNone) return;
  // Top-most and in front: a screen saver's windows may cover everything else.
  const UINT style = MB_OK | MB_TOPMOST | MB_SETFOREGROUND |
                     (kind == MessageKind::kError ? MB_ICONERROR : MB_ICONINFORMATION);
  MessageBoxW(nullptr, ForMessageBox(text).c_str(), L"flakemorph", style);
}

void FailWithMessage(std::string_view text, int status, BoxUse box) {
  SayToUser(text, MessageKind::kError, box);
  std::exit(status);
}

void UseParentConsole() {
  if (Usable(STD_OUTPUT_HANDLE) && Usable(STD_ERROR_HANDLE)) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!Usable(STD_OUTPUT_HANDLE)) std::freopen("CONOUT$", "w", stdout);
  if (!Usable(STD_ERROR_HANDLE)) std::freopen("CONOUT$", "w", stderr);
}

}  // namespace flakemorph
