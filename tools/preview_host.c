/* preview-host: plays the Screen Saver settings' preview for the tests. Makes a window whose
 * client area is WIDTH x HEIGHT, starts "SAVER /p <its handle>" as Windows does, serves its
 * messages for SECONDS, then reports the saver's child windows (parent and size), destroys the
 * window and reports whether the saver ended, how soon and with which status. Exits 0 only if
 * the saver ended by itself. With NEW_WIDTH NEW_HEIGHT, the window takes that client size
 * halfway through, as a settings dialog that grows does. With PREVIEW_HOST_BUSY set, it asks
 * the saver's window to close instead and waits for the saver without serving its messages,
 * as a settings dialog busy with something else does: the saver must end all the same.
 * Usage: preview-host SAVER [SECONDS [WIDTH HEIGHT [NEW_WIDTH NEW_HEIGHT]]] */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

static HWND host;

static BOOL CALLBACK ReportChild(HWND child, LPARAM count) {
  RECT client;
  char name[64];
  GetClientRect(child, &client);
  GetClassNameA(child, name, sizeof name);
  printf("child %s %ldx%ld class %s visible %d\n",
         GetParent(child) == host ? "of-host" : "elsewhere", client.right, client.bottom, name,
         IsWindowVisible(child) ? 1 : 0);
  ++*(int*)count;
  return TRUE;
}

static void Serve(DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  MSG message;
  while ((LONG)(end - GetTickCount()) > 0) {
    MsgWaitForMultipleObjects(0, NULL, FALSE, 20, QS_ALLINPUT);
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: preview-host SAVER [SECONDS [WIDTH HEIGHT [NEW_WIDTH NEW_HEIGHT]]]\n");
    return 2;
  }
  const int seconds = argc > 2 ? atoi(argv[2]) : 3;
  RECT place = {0, 0, argc > 4 ? atoi(argv[3]) : 152, argc > 4 ? atoi(argv[4]) : 112};
  WNDCLASSA window_class = {0};
  window_class.lpfnWndProc = DefWindowProcA;
  window_class.hInstance = GetModuleHandleA(NULL);
  window_class.lpszClassName = "preview-host";
  window_class.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
  RegisterClassA(&window_class);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | WS_CLIPCHILDREN;
  AdjustWindowRect(&place, style, FALSE);
  host = CreateWindowA("preview-host", "preview", style, 40, 40, place.right - place.left,
                       place.bottom - place.top, NULL, NULL, window_class.hInstance, NULL);
  RECT client;
  GetClientRect(host, &client);
  printf("host %llu %ldx%ld\n", (unsigned long long)(UINT_PTR)host, client.right, client.bottom);
  fflush(stdout);

  char line[MAX_PATH + 64];
  snprintf(line, sizeof line, "\"%s\" /p %llu", argv[1], (unsigned long long)(UINT_PTR)host);
  STARTUPINFOA startup = {0};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION saver;
  if (!CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &saver)) {
    fprintf(stderr, "preview-host: cannot start %s (error %lu)\n", line, GetLastError());
    return 1;
  }
  if (argc > 6) {
    Serve((DWORD)seconds * 500);
    RECT grown = {0, 0, atoi(argv[5]), atoi(argv[6])};
    AdjustWindowRect(&grown, style, FALSE);
    SetWindowPos(host, NULL, 0, 0, grown.right - grown.left, grown.bottom - grown.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(host, &client);
    printf("host now %ldx%ld\n", client.right, client.bottom);
    fflush(stdout);
    Serve((DWORD)seconds * 500);
  } else {
    Serve((DWORD)seconds * 1000);
  }
  int children = 0;
  EnumChildWindows(host, ReportChild, (LPARAM)&children);
  printf("children %d\n", children);
  DWORD still = 0;
  GetExitCodeProcess(saver.hProcess, &still);
  printf("saver %s before the window went\n", still == STILL_ACTIVE ? "running" : "ended");
  fflush(stdout);

  const DWORD start = GetTickCount();
  if (getenv("PREVIEW_HOST_BUSY") != NULL) {
    PostMessageA(GetWindow(host, GW_CHILD), WM_CLOSE, 0, 0);
    const DWORD closed = WaitForSingleObject(saver.hProcess, 5000);
    printf("saver %s %lu ms after its window was asked to close, the host busy\n",
           closed == WAIT_OBJECT_0 ? "ended" : "still running", GetTickCount() - start);
    fflush(stdout);
    if (closed != WAIT_OBJECT_0) TerminateProcess(saver.hProcess, 99);
    return closed == WAIT_OBJECT_0 ? 0 : 1;
  }
  DestroyWindow(host);
  printf("window destroyed in %lu ms\n", GetTickCount() - start);
  const DWORD waited = WaitForSingleObject(saver.hProcess, 5000);
  DWORD status = 0;
  GetExitCodeProcess(saver.hProcess, &status);
  if (waited == WAIT_OBJECT_0) {
    printf("saver ended %lu ms after the window, status %lu\n", GetTickCount() - start, status);
    return 0;
  }
  printf("saver still running 5 s after the window went\n");
  TerminateProcess(saver.hProcess, 99);
  return 1;
}
