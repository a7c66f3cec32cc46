/* end-session: tells flakemorph's windows that the Windows session ends, as Windows does at
 * log-off or shut-down (WM_QUERYENDSESSION, then WM_ENDSESSION), for the tests under Wine.
 * Exits 1 if there is no such window. */
#include <windows.h>

#include <stdio.h>

int main(void) {
  HWND window = FindWindowW(L"flakemorph", NULL);
  if (window == NULL) {
    fprintf(stderr, "end-session: no flakemorph window\n");
    return 1;
  }
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 2000,
                      &answer);
  SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 2000,
                      &answer);
  return 0;
}
