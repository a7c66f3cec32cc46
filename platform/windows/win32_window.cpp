#include "platform/windows/win32_window.h"

#include <algorithm>
#include <string>

#include "common/scale.h"

namespace flakemorph {
namespace {

constexpr const wchar_t* kClassName = L"flakemorph";
// The page's pixels as a 32-bit DIB keeps them: blue lowest, then green, then red.
constexpr PixelLayout kDibLayout{16, 8, 0, 0};
// A preview's window failing (its host went as it started, most likely) has no one to tell.
[[noreturn]] void FailToOpen(const char* what, BoxUse box = BoxUse::kShown) {
  const unsigned long error = GetLastError();
  FailWithMessage(
      "cannot open a window: " + std::string(what) + " (error " + std::to_string(error) + ")", 1,
      box);
}

// Once per process; a class already there (another window's) is the same class.
void RegisterWindowClass(WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  // CS_OWNDC: the window's DC is taken once and keeps its settings, not fetched every frame.
  window_class.style = CS_OWNDC;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  window_class.lpszClassName = kClassName;
  if (RegisterClassExW(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    FailToOpen("cannot register the window class");
  }
}

}  // namespace

std::unique_ptr<Win32Window> Win32Window::OverMonitor(const RECT& monitor, int scale,
                                                      WindowEvents& events) {
  return std::unique_ptr<Win32Window>(
      new Win32Window(Kind::kMonitor, scale, events, WS_POPUP, WS_EX_TOPMOST, monitor));
}

std::unique_ptr<Win32Window> Win32Window::Framed(int width, int height, int scale,
                                                 WindowEvents& events) {
  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  const int pixels = scale > 0 ? scale : ScaleOfDpi(static_cast<double>(GetDpiForSystem()));
  RECT place{0, 0, width * pixels, height * pixels};
  AdjustWindowRectEx(&place, kStyle, FALSE, 0);
  return std::unique_ptr<Win32Window>(
      new Win32Window(Kind::kFramed, pixels, events, kStyle, 0, place));
}

std::unique_ptr<Win32Window> Win32Window::ChildOf(HWND parent, int scale, WindowEvents& events) {
  RECT client{};
  if (!IsWindow(parent) || !GetClientRect(parent, &client)) {
    FailWithMessage(
        "no window " +
            std::to_string(static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(parent))) +
            " to draw into",
        1, BoxUse::kNone);
  }
  // No WM_PARENTNOTIFY: it is sent, and waits for an answer, when the window is made and when
  // it goes, and a settings dialog busy elsewhere (or closing) answers late or never, which
  // would keep the saver running after its end.
  return std::unique_ptr<Win32Window>(new Win32Window(Kind::kChild, scale, events,
                                                      WS_CHILD | WS_CLIPSIBLINGS,
                                                      WS_EX_NOPARENTNOTIFY, client, parent));
}

int Win32Window::ScaleOf() const {
  return requested_scale_ > 0 ? requested_scale_
                              : ScaleOfDpi(static_cast<double>(GetDpiForWindow(window_)));
}

// The copy takes the window's client area, and the pages as many page pixels as fit in it:
// whatever is left at the right and bottom, less than a page pixel, stays black.
void Win32Window::TakeClientSize() {
  DropCopy();
  RECT client{};
  GetClientRect(window_, &client);
  const int scale = ScaleOf();
  const int width = std::max<int>(client.right, scale);
  const int height = std::max<int>(client.bottom, scale);
  MakeCopy(width, height);
  pages_.Resize(width, height, scale);
  InvalidateRect(window_, nullptr, FALSE);
}

Win32Window::Win32Window(Kind kind, int scale, WindowEvents& events, DWORD style,
                         DWORD extended_style, const RECT& place, HWND parent)
    : kind_(kind), requested_scale_(scale), events_(events), parent_(parent) {
  RegisterWindowClass(&Win32Window::Procedure);
  const bool framed = kind_ == Kind::kFramed;
  window_ = CreateWindowExW(extended_style, kClassName, L"flakemorph", style,
                            framed ? CW_USEDEFAULT : place.left, framed ? 0 : place.top,
                            place.right - place.left, place.bottom - place.top, parent, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  if (window_ == nullptr) FailToOpen("CreateWindowEx failed", Box());
  // Until then, the messages of its making go to DefWindowProc.
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  window_dc_ = GetDC(window_);
  TakeClientSize();
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
}

// The copy of what the window shows, black to start with, as the window is.
void Win32Window::MakeCopy(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down, as the pages are
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  copy_dc_ = CreateCompatibleDC(window_dc_);
  copy_bitmap_ = CreateDIBSection(window_dc_, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (copy_dc_ == nullptr || copy_bitmap_ == nullptr) {
    FailToOpen("no memory for the window's page", Box());
  }
  old_bitmap_ = SelectObject(copy_dc_, copy_bitmap_);
  copy_ = TargetBuffer{pixels, width, height, width * 4, kDibLayout};
}

void Win32Window::DropCopy() {
  if (copy_dc_ != nullptr) {
    SelectObject(copy_dc_, old_bitmap_);
    DeleteDC(copy_dc_);
  }
  if (copy_bitmap_ != nullptr) DeleteObject(copy_bitmap_);
  copy_dc_ = nullptr;
  copy_bitmap_ = nullptr;
}

const char* Win32Window::KindName() const {
  switch (kind_) {
    case Kind::kMonitor:
      return "full screen";
    case Kind::kFramed:
      return "framed";
    case Kind::kChild:
      return "child";
  }
  return "window";
}

RECT Win32Window::Place() const {
  RECT place{};
  GetWindowRect(window_, &place);
  return place;
}

void Win32Window::MoveOver(const RECT& monitor) {
  SetWindowPos(window_, HWND_TOPMOST, monitor.left, monitor.top, monitor.right - monitor.left,
               monitor.bottom - monitor.top, SWP_NOACTIVATE | SWP_NOCOPYBITS);
  TakeClientSize();
}

// The settings dialog's preview can change size (a larger dialog, another DPI); nothing tells
// a window of another process so, and a child window keeps its size when its parent's changes.
void Win32Window::FollowParent() {
  if (parent_ == nullptr) return;
  RECT parent{};
  RECT own{};
  if (!GetClientRect(parent_, &parent) || !GetClientRect(window_, &own)) return;
  if (EqualRect(&parent, &own)) return;
  SetWindowPos(window_, nullptr, 0, 0, parent.right, parent.bottom,
               SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOCOPYBITS);
  TakeClientSize();
}

Win32Window::~Win32Window() {
  DropCopy();
  if (window_ != nullptr && IsWindow(window_)) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

void Win32Window::ShowFrame() {
  pages_.ShowFrame();
}

void Win32Window::Present(std::size_t, std::span<const PixelRect> rects) {
  for (const PixelRect& rect : rects) {
    BitBlt(window_dc_, rect.x, rect.y, rect.width, rect.height, copy_dc_, rect.x, rect.y, SRCCOPY);
  }
  GdiFlush();
}

void Win32Window::Paint() {
  PAINTSTRUCT paint;
  BeginPaint(window_, &paint);
  const RECT& area = paint.rcPaint;
  BitBlt(window_dc_, area.left, area.top, area.right - area.left, area.bottom - area.top, copy_dc_,
         area.left, area.top, SRCCOPY);
  EndPaint(window_, &paint);
}

LRESULT CALLBACK Win32Window::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  return self->OnMessage(message, wparam, lparam);
}

// Every window passes on its input, a preview's child window too: the mode of the run says
// which of it ends the program.
LRESULT Win32Window::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      Take(wparam == VK_SHIFT || wparam == VK_CONTROL || wparam == VK_MENU || wparam == VK_LWIN ||
                   wparam == VK_RWIN
               ? InputKind::kModifierPressed
               : InputKind::kKeyPressed);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      Take(InputKind::kButtonPressed);
      return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      Take(InputKind::kWheelTurned);
      return 0;
    case WM_MOUSEMOVE:
      PointerAt(lparam);
      return 0;
    case WM_ACTIVATEAPP:
      // Another program's window took the keyboard: keys would go to it unseen.
      if (wparam == FALSE && kind_ != Kind::kChild) Take(InputKind::kFocusLost);
      return 0;
    case WM_SETCURSOR:
      if (kind_ == Kind::kMonitor && LOWORD(lparam) == HTCLIENT) {
        SetCursor(nullptr);
        return TRUE;
      }
      break;
    case WM_SYSCOMMAND:
      // A screen saver running must not be started again over itself.
      if ((wparam & 0xFFF0) == SC_SCREENSAVE) return 0;
      break;
    case WM_DISPLAYCHANGE:
      events_.displays_changed = true;
      return 0;
    case WM_ENDSESSION:
      if (wparam != FALSE) Take(InputKind::kEndingSignal);
      return 0;
    // Closed, or gone: a preview's child window goes with the settings dialog it lies in.
    case WM_CLOSE:
    case WM_DESTROY:
      Take(InputKind::kCloseRequested);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

// On the screen, so that moving across monitors is no jump.
void Win32Window::PointerAt(LPARAM lparam) {
  POINT pointer{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  ClientToScreen(window_, &pointer);
  Take(InputKind::kPointerMoved, pointer.x, pointer.y);
}

}  // namespace flakemorph
