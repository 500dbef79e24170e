/* Clicks like a person on a wlroots compositor that has no input devices (sway's headless
 * backend): moves a virtual pointer to X,Y of a WIDTH x HEIGHT output and presses BUTTON
 * (1 left, 2 middle, 3 right), or only moves it with "move".
 *
 *   virtual-pointer click X Y WIDTH HEIGHT [BUTTON]
 *   virtual-pointer move X Y WIDTH HEIGHT
 */
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>

#include "virtual-pointer-protocol.h"

static struct wl_seat *seat;
static struct zwlr_virtual_pointer_manager_v1 *manager;

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                   uint32_t version) {
  (void)data;
  (void)version;
  if (strcmp(interface, wl_seat_interface.name) == 0) {
    seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
  } else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
    manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
  }
}

static void global_remove(void *data, struct wl_registry *registry, uint32_t name) {
  (void)data;
  (void)registry;
  (void)name;
}

static uint32_t now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (uint32_t)(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

int main(int argc, char **argv) {
  if (argc < 6 || (strcmp(argv[1], "click") != 0 && strcmp(argv[1], "move") != 0)) {
    fprintf(stderr, "usage: virtual-pointer click|move X Y WIDTH HEIGHT [BUTTON]\n");
    return 2;
  }
  const uint32_t x = strtoul(argv[2], NULL, 10), y = strtoul(argv[3], NULL, 10);
  const uint32_t width = strtoul(argv[4], NULL, 10), height = strtoul(argv[5], NULL, 10);
  const int button = argc > 6 ? atoi(argv[6]) : 1;
  const uint32_t code = button == 3 ? BTN_RIGHT : button == 2 ? BTN_MIDDLE : BTN_LEFT;

  struct wl_display *display = wl_display_connect(NULL);
  if (!display) {
    fprintf(stderr, "virtual-pointer: no Wayland display\n");
    return 1;
  }
  static const struct wl_registry_listener listener = {global, global_remove};
  wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
  wl_display_roundtrip(display);
  if (!manager) {
    fprintf(stderr, "virtual-pointer: the compositor offers no virtual pointers\n");
    return 1;
  }
  struct zwlr_virtual_pointer_v1 *pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
  zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), x, y, width, height);
  zwlr_virtual_pointer_v1_frame(pointer);
  wl_display_roundtrip(display);
  if (strcmp(argv[1], "click") == 0) {
    usleep(100000);  /* a hover first, as a hand gives one */
    zwlr_virtual_pointer_v1_button(pointer, now_ms(), code, WL_POINTER_BUTTON_STATE_PRESSED);
    zwlr_virtual_pointer_v1_frame(pointer);
    wl_display_roundtrip(display);
    usleep(50000);
    zwlr_virtual_pointer_v1_button(pointer, now_ms(), code, WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(pointer);
  }
  wl_display_roundtrip(display);
  /* Kept for a moment: the compositor drops the device, and its cursor, with the client. */
  usleep(200000);
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_disconnect(display);
  return 0;
}
