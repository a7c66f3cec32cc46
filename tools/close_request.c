/* close-request WINDOW_ID: asks a window to close the way a window manager's close button
 * does, with a WM_DELETE_WINDOW client message. Destroying the window or killing its client
 * (as xdotool windowclose and windowkill do) is not the same: the program never hears of it. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

static int ParseWindow(const char* text, Window* window) {
  char* end = NULL;
  errno = 0;
  unsigned long value = strtoul(text, &end, 0);
  if (errno != 0 || end == text || *end != '\0' || value == 0) return 0;
  *window = (Window)value;
  return 1;
}

static int TakesDeleteWindow(Display* display, Window window, Atom delete_window) {
  Atom* protocols = NULL;
  int count = 0;
  int found = 0;
  if (XGetWMProtocols(display, window, &protocols, &count) == 0) return 0;
  for (int i = 0; i < count; ++i) found = found || protocols[i] == delete_window;
  XFree(protocols);
  return found;
}

static void SendDeleteWindow(Display* display, Window window, Atom delete_window) {
  XEvent event = {0};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = (long)delete_window;
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
}

int main(int argc, char** argv) {
  Window window = 0;
  if (argc != 2 || !ParseWindow(argv[1], &window)) {
    fprintf(stderr, "usage: close-request WINDOW_ID (decimal or 0x hexadecimal)\n");
    return 2;
  }
  Display* display = XOpenDisplay(NULL);
  if (display == NULL) {
    fprintf(stderr, "close-request: cannot open display '%s'\n", XDisplayName(NULL));
    return 1;
  }
  Atom delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
  if (!TakesDeleteWindow(display, window, delete_window)) {
    fprintf(stderr, "close-request: window %lu does not take WM_DELETE_WINDOW\n", window);
    XCloseDisplay(display);
    return 1;
  }
  SendDeleteWindow(display, window, delete_window);
  XCloseDisplay(display);
  return 0;
}
