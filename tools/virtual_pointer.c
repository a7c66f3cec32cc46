/* virtual-pointer: moves and clicks a virtual pointer of a wlroots compositor, for the tests.
 *
 *   virtual-pointer ACTION...
 *     wait MS            sleep, so that clients bind the pointer the seat has just gained
 *     abs X Y W H        move to X,Y of a W x H layout of all outputs
 *     click BUTTON       press and release (272 left, 273 right, 274 middle)
 *
 * The pointer lives until the last action is done, and the seat keeps its capability meanwhile.
 * Exit status 0, 1 when the compositor cannot be reached or has no virtual pointers, 2 for a
 * wrong command line. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

struct globals {
  struct wl_seat* seat;
  struct zwlr_virtual_pointer_manager_v1* manager;
};

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
  struct globals* g = data;
  (void)version;
  if (strcmp(interface, wl_seat_interface.name) == 0 && g->seat == NULL) {
    g->seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
  } else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
    g->manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
  }
}

static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
  (void)data;
  (void)registry;
  (void)name;
}

static const struct wl_registry_listener registry_listener = {global, global_remove};

static uint32_t now_ms(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (uint32_t)(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

static void sleep_ms(long ms) {
  struct timespec pause = {ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&pause, NULL);
}

static int usage(const char* why) {
  fprintf(stderr,
          "virtual-pointer: %s\nusage: virtual-pointer [wait MS | abs X Y W H | click BUTTON]...\n",
          why);
  return 2;
}

int main(int argc, char** argv) {
  struct globals g = {NULL, NULL};
  struct wl_display* display = wl_display_connect(NULL);
  if (display == NULL) {
    fprintf(stderr, "virtual-pointer: no Wayland display\n");
    return 1;
  }
  struct wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registry_listener, &g);
  wl_display_roundtrip(display);
  if (g.manager == NULL) {
    fprintf(stderr, "virtual-pointer: the compositor has no virtual pointers\n");
    return 1;
  }
  struct zwlr_virtual_pointer_v1* pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.manager, g.seat);
  wl_display_roundtrip(display);
  for (int i = 1; i < argc; i++) {
    const char* action = argv[i];
    if (strcmp(action, "wait") == 0 && i + 1 < argc) {
      sleep_ms(atol(argv[++i]));
      continue;
    }
    if (strcmp(action, "abs") == 0 && i + 4 < argc) {
      zwlr_virtual_pointer_v1_motion_absolute(
          pointer, now_ms(), (uint32_t)atoi(argv[i + 1]), (uint32_t)atoi(argv[i + 2]),
          (uint32_t)atoi(argv[i + 3]), (uint32_t)atoi(argv[i + 4]));
      i += 4;
    } else if (strcmp(action, "click") == 0 && i + 1 < argc) {
      uint32_t button = (uint32_t)atoi(argv[++i]);
      zwlr_virtual_pointer_v1_button(pointer, now_ms(), button, WL_POINTER_BUTTON_STATE_PRESSED);
      zwlr_virtual_pointer_v1_frame(pointer);
      zwlr_virtual_pointer_v1_button(pointer, now_ms(), button, WL_POINTER_BUTTON_STATE_RELEASED);
    } else {
      return usage(action);
    }
    zwlr_virtual_pointer_v1_frame(pointer);
    if (wl_display_roundtrip(display) < 0) {
      fprintf(stderr, "virtual-pointer: lost the display\n");
      return 1;
    }
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_roundtrip(display);
  // Every proxy goes before the connection, so that a sanitizer build reports no leak.
  zwlr_virtual_pointer_manager_v1_destroy(g.manager);
  if (g.seat != NULL) wl_seat_destroy(g.seat);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return 0;
}
