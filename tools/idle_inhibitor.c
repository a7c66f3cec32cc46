/* idle-inhibitor: a small window that keeps the seat from going idle while it is shown, as a
 * playing video does (zwp_idle_inhibitor_v1), for the tests.
 *
 *   idle-inhibitor
 *
 * Prints "inhibiting" once its window is on the screen, then runs until SIGTERM or SIGINT.
 * Exit status 0, 1 when the compositor cannot be reached or offers no idle inhibitors. */
#define _GNU_SOURCE
#include <poll.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/signalfd.h>
#include <unistd.h>
#include <wayland-client.h>

#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

enum { kWidth = 64, kHeight = 64 };

struct state {
  struct wl_compositor* compositor;
  struct wl_shm* shm;
  struct xdg_wm_base* wm_base;
  struct zwp_idle_inhibit_manager_v1* inhibitors;
  struct wl_surface* surface;
  struct wl_buffer* buffer;
  int configured;
};

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
  struct state* s = data;
  (void)version;
  if (strcmp(interface, wl_compositor_interface.name) == 0) {
    s->compositor = wl_registry_bind(registry, name, &wl_compositor_interface, 4);
  } else if (strcmp(interface, wl_shm_interface.name) == 0) {
    s->shm = wl_registry_bind(registry, name, &wl_shm_interface, 1);
  } else if (strcmp(interface, xdg_wm_base_interface.name) == 0) {
    s->wm_base = wl_registry_bind(registry, name, &xdg_wm_base_interface, 1);
  } else if (strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0) {
    s->inhibitors = wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1);
  }
}

static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
  (void)data;
  (void)registry;
  (void)name;
}

static const struct wl_registry_listener registry_listener = {global, global_remove};

static void ping(void* data, struct xdg_wm_base* base, uint32_t serial) {
  (void)data;
  xdg_wm_base_pong(base, serial);
}

static const struct xdg_wm_base_listener wm_base_listener = {ping};

static void surface_configure(void* data, struct xdg_surface* surface, uint32_t serial) {
  struct state* s = data;
  xdg_surface_ack_configure(surface, serial);
  if (!s->configured) {
    wl_surface_attach(s->surface, s->buffer, 0, 0);
    wl_surface_damage_buffer(s->surface, 0, 0, kWidth, kHeight);
  }
  wl_surface_commit(s->surface);
  s->configured = 1;
}

static const struct xdg_surface_listener surface_listener = {surface_configure};

static void toplevel_configure(void* data, struct xdg_toplevel* toplevel, int32_t width,
                               int32_t height, struct wl_array* states) {
  (void)data;
  (void)toplevel;
  (void)width;
  (void)height;
  (void)states;
}

static void toplevel_close(void* data, struct xdg_toplevel* toplevel) {
  (void)data;
  (void)toplevel;
}

static const struct xdg_toplevel_listener toplevel_listener = {toplevel_configure, toplevel_close,
                                                               NULL, NULL};

/* A grey square in shared memory. */
static struct wl_buffer* grey_buffer(struct wl_shm* shm) {
  const int stride = kWidth * 4, size = stride * kHeight;
  int file = memfd_create("idle-inhibitor", MFD_CLOEXEC);
  if (file < 0 || ftruncate(file, size) != 0) return NULL;
  uint32_t* pixels = mmap(NULL, size, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
  if (pixels == MAP_FAILED) return NULL;
  for (int i = 0; i < kWidth * kHeight; i++) pixels[i] = 0xFF808080u;
  munmap(pixels, size);
  struct wl_shm_pool* pool = wl_shm_create_pool(shm, file, size);
  struct wl_buffer* buffer =
      wl_shm_pool_create_buffer(pool, 0, kWidth, kHeight, stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(file);
  return buffer;
}

int main(void) {
  struct state s;
  memset(&s, 0, sizeof s);
  sigset_t ending;
  sigemptyset(&ending);
  sigaddset(&ending, SIGTERM);
  sigaddset(&ending, SIGINT);
  sigprocmask(SIG_BLOCK, &ending, NULL);
  int signals = signalfd(-1, &ending, SFD_CLOEXEC);
  struct wl_display* display = wl_display_connect(NULL);
  if (display == NULL) {
    fprintf(stderr, "idle-inhibitor: no Wayland display\n");
    return 1;
  }
  struct wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registry_listener, &s);
  wl_display_roundtrip(display);
  if (s.compositor == NULL || s.shm == NULL || s.wm_base == NULL || s.inhibitors == NULL) {
    fprintf(stderr, "idle-inhibitor: the compositor has no idle inhibitors (or no xdg-shell)\n");
    return 1;
  }
  xdg_wm_base_add_listener(s.wm_base, &wm_base_listener, NULL);
  s.buffer = grey_buffer(s.shm);
  s.surface = wl_compositor_create_surface(s.compositor);
  struct xdg_surface* xdg = xdg_wm_base_get_xdg_surface(s.wm_base, s.surface);
  xdg_surface_add_listener(xdg, &surface_listener, &s);
  struct xdg_toplevel* toplevel = xdg_surface_get_toplevel(xdg);
  xdg_toplevel_add_listener(toplevel, &toplevel_listener, &s);
  xdg_toplevel_set_app_id(toplevel, "idle-inhibitor");
  struct zwp_idle_inhibitor_v1* inhibitor =
      zwp_idle_inhibit_manager_v1_create_inhibitor(s.inhibitors, s.surface);
  wl_surface_commit(s.surface);
  while (!s.configured && wl_display_dispatch(display) >= 0) {
  }
  wl_display_roundtrip(display);
  printf("inhibiting\n");
  fflush(stdout);
  struct pollfd watched[2] = {{wl_display_get_fd(display), POLLIN, 0}, {signals, POLLIN, 0}};
  for (;;) {
    wl_display_flush(display);
    if (poll(watched, 2, -1) < 0) continue;
    if (watched[1].revents != 0) break;
    if (watched[0].revents != 0 && wl_display_dispatch(display) < 0) break;
  }
  zwp_idle_inhibitor_v1_destroy(inhibitor);
  xdg_toplevel_destroy(toplevel);
  xdg_surface_destroy(xdg);
  wl_surface_destroy(s.surface);
  wl_buffer_destroy(s.buffer);
  zwp_idle_inhibit_manager_v1_destroy(s.inhibitors);
  xdg_wm_base_destroy(s.wm_base);
  wl_shm_destroy(s.shm);
  wl_compositor_destroy(s.compositor);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return 0;
}
