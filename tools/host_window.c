/* host-window: plays the screen-saver daemon's part for the end-to-end tests.
 *
 *   host-window WxH+X+Y    makes a window there, as a daemon or a settings preview makes the
 *                          window its saver draws into, with a background of #3060c0 and key
 *                          and button presses selected (as its owner would, so that nobody
 *                          else can select button presses on it). Prints the window's id in
 *                          decimal once it is mapped, then one line per key press ("key") or
 *                          button press ("button") it receives. SIGUSR1 destroys the window
 *                          (it prints "destroyed"); SIGTERM ends the tool, and with it the
 *                          window, as a daemon that goes away. SIGUSR2 makes the window half
 *                          as large again, across and down (it prints "resized WxH"), as a
 *                          settings preview grows with its dialog.
 *   host-window --input-only WxH+X+Y
 *                          the same with an input-only window, which nobody can draw on.
 *   host-window --saver-state
 *                          prints the display's screen saver state: off, on or disabled
 *                          (disabled: some client suspends it, as SDL programs do by default).
 *   host-window --idle     prints the milliseconds since the display's last user input, which a
 *                          client resetting the screen saver sets back to 0 as well. */
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/select.h>
#include <unistd.h>

static volatile sig_atomic_t destroy_asked;
static volatile sig_atomic_t resize_asked;

static void AskToDestroy(int signal_number) {
  (void)signal_number;
  destroy_asked = 1;
}

static void AskToResize(int signal_number) {
  (void)signal_number;
  resize_asked = 1;
}

static int PrintSaverState(Display* display, int idle) {
  int event_base = 0, error_base = 0;
  if (!XScreenSaverQueryExtension(display, &event_base, &error_base)) {
    fprintf(stderr, "host-window: no MIT-SCREEN-SAVER extension\n");
    return 1;
  }
  XScreenSaverInfo* info = XScreenSaverAllocInfo();
  XScreenSaverQueryInfo(display, DefaultRootWindow(display), info);
  if (idle) {
    printf("%lu\n", info->idle);
  } else {
    puts(info->state == ScreenSaverOn ? "on" : info->state == ScreenSaverOff ? "off" : "disabled");
  }
  XFree(info);
  return 0;
}

static Window MakeWindow(Display* display, unsigned w, unsigned h, int x, int y, int input_only) {
  XSetWindowAttributes attributes;
  attributes.background_pixel = 0x3060c0;
  attributes.override_redirect = True; /* as a daemon's window: no window manager moves it */
  attributes.event_mask = KeyPressMask | ButtonPressMask | StructureNotifyMask;
  unsigned long mask = CWOverrideRedirect | CWEventMask;
  if (!input_only) {
    attributes.event_mask |= ExposureMask;
    mask |= CWBackPixel;
  }
  Window window =
      XCreateWindow(display, DefaultRootWindow(display), x, y, w, h, 0, CopyFromParent,
                    input_only ? InputOnly : InputOutput, CopyFromParent, mask, &attributes);
  XMapRaised(display, window);
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == MapNotify && event.xmap.window == window) return window;
  }
}

static void Report(const char* line) {
  puts(line);
  fflush(stdout);
}

/* Waits for X events, SIGUSR1 or SIGUSR2; the signals are blocked but while waiting, so none
 * is missed. */
static void Serve(Display* display, Window window, unsigned w, unsigned h) {
  sigset_t blocked, while_waiting;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGUSR1);
  sigaddset(&blocked, SIGUSR2);
  sigprocmask(SIG_BLOCK, &blocked, &while_waiting);
  sigdelset(&while_waiting, SIGUSR1);
  sigdelset(&while_waiting, SIGUSR2);
  struct sigaction action;
  memset(&action, 0, sizeof action);
  action.sa_handler = AskToDestroy;
  sigaction(SIGUSR1, &action, NULL);
  action.sa_handler = AskToResize;
  sigaction(SIGUSR2, &action, NULL);
  int x_fd = ConnectionNumber(display);
  for (;;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == KeyPress) Report("key");
      if (event.type == ButtonPress) Report("button");
    }
    if (resize_asked) {
      resize_asked = 0;
      w += w / 2;
      h += h / 2;
      XResizeWindow(display, window, w, h);
      XSync(display, False);
      printf("resized %ux%u\n", w, h);
      fflush(stdout);
    }
    if (destroy_asked) {
      destroy_asked = 0;
      XDestroyWindow(display, window);
      XSync(display, False);
      Report("destroyed");
    }
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(x_fd, &readable);
    pselect(x_fd + 1, &readable, NULL, NULL, NULL, &while_waiting);
  }
}

int main(int argc, char** argv) {
  unsigned w = 0, h = 0;
  int x = 0, y = 0;
  int idle = argc == 2 && strcmp(argv[1], "--idle") == 0;
  int saver_state = idle || (argc == 2 && strcmp(argv[1], "--saver-state") == 0);
  int input_only = argc == 3 && strcmp(argv[1], "--input-only") == 0;
  const char* geometry = argv[argc - 1];
  if (!saver_state && (argc != 2 + input_only ||
                       sscanf(geometry, "%ux%u+%d+%d", &w, &h, &x, &y) != 4 || w == 0 || h == 0)) {
    fprintf(stderr,
            "usage: host-window [--input-only] WxH+X+Y | host-window --saver-state | "
            "host-window --idle\n");
    return 2;
  }
  Display* display = XOpenDisplay(NULL);
  if (display == NULL) {
    fprintf(stderr, "host-window: cannot open display '%s'\n", XDisplayName(NULL));
    return 1;
  }
  if (saver_state) return PrintSaverState(display, idle);
  Window window = MakeWindow(display, w, h, x, y, input_only);
  printf("%lu\n", window);
  fflush(stdout);
  Serve(display, window, w, h);
}
