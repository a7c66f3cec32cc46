// The settings under HKEY_CURRENT_USER\Software\flakemorph ("Rate", "ShowFps" and
// "PrimaryOnly", all DWORDs) and the dialog that changes them.
#include <windows.h>
// The common controls need windows.h before them.
#include <commctrl.h>

#include <algorithm>

#include "common/rate.h"
#include "platform/windows/resources.h"
#include "platform/windows/windows_window_system.h"

namespace flakemorph {
namespace {

constexpr const wchar_t* kKey = L"Software\\flakemorph";
constexpr const wchar_t* kRateValue = L"Rate";
constexpr const wchar_t* kShowFpsValue = L"ShowFps";
constexpr const wchar_t* kPrimaryOnlyValue = L"PrimaryOnly";

bool ReadDword(const wchar_t* name, DWORD& value) {
  DWORD size = sizeof value;
  return RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
         ERROR_SUCCESS;
}

bool StoreDword(HKEY key, const wchar_t* name, DWORD value) {
  return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof value) == ERROR_SUCCESS;
}

bool StoreSettings(const SaverSettings& settings) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool stored = StoreDword(key, kRateValue, static_cast<DWORD>(settings.rate_hz)) &&
                      StoreDword(key, kShowFpsValue, settings.show_fps ? 1 : 0) &&
                      StoreDword(key, kPrimaryOnlyValue, settings.primary_monitor_only ? 1 : 0);
  RegCloseKey(key);
  return stored;
}

void ShowRate(HWND dialog) {
  const LRESULT rate = SendDlgItemMessageW(dialog, IDC_RATE, TBM_GETPOS, 0, 0);
  SetDlgItemInt(dialog, IDC_RATE_VALUE, static_cast<UINT>(rate), FALSE);
}

void FillDialog(HWND dialog) {
  const SaverSettings settings = LoadSaverSettings();
  // The range the program's --rate takes.
  SendDlgItemMessageW(dialog, IDC_RATE, TBM_SETRANGE, FALSE, MAKELPARAM(kLowestRate, kHighestRate));
  SendDlgItemMessageW(dialog, IDC_RATE, TBM_SETPAGESIZE, 0, 10);
  SendDlgItemMessageW(dialog, IDC_RATE, TBM_SETPOS, TRUE, settings.rate_hz);
  CheckDlgButton(dialog, IDC_SHOW_FPS, settings.show_fps ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_PRIMARY_ONLY,
                 settings.primary_monitor_only ? BST_CHECKED : BST_UNCHECKED);
  ShowRate(dialog);
}

void SaveDialog(HWND dialog) {
  SaverSettings settings;
  settings.rate_hz = static_cast<int>(SendDlgItemMessageW(dialog, IDC_RATE, TBM_GETPOS, 0, 0));
  settings.show_fps = IsDlgButtonChecked(dialog, IDC_SHOW_FPS) == BST_CHECKED;
  settings.primary_monitor_only = IsDlgButtonChecked(dialog, IDC_PRIMARY_ONLY) == BST_CHECKED;
  if (!StoreSettings(settings)) {
    MessageBoxW(dialog, L"The settings could not be stored in the registry.", L"flakemorph",
                MB_OK | MB_ICONERROR);
  }
}

INT_PTR CALLBACK SettingsProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      FillDialog(dialog);
      return TRUE;
    case WM_HSCROLL:
      ShowRate(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) SaveDialog(dialog);
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wparam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

SaverSettings LoadSaverSettings() {
  SaverSettings settings;
  DWORD value = 0;
  if (ReadDword(kRateValue, value)) {
    settings.rate_hz = static_cast<int>(std::clamp<DWORD>(value, kLowestRate, kHighestRate));
  }
  if (ReadDword(kShowFpsValue, value)) settings.show_fps = value != 0;
  if (ReadDword(kPrimaryOnlyValue, value)) settings.primary_monitor_only = value != 0;
  return settings;
}

void RunSettingsDialog(WindowId owner) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  HWND owner_window = reinterpret_cast<HWND>(static_cast<INT_PTR>(owner));
  if (owner_window != nullptr && !IsWindow(owner_window)) owner_window = nullptr;
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS), owner_window,
                  SettingsProc, 0);
}

}  // namespace flakemorph
