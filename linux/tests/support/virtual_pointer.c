/* A pointer for the Wayland tests, on the wlr virtual-pointer protocol: a
 * headless compositor's seat has no pointer device of its own. It reads one
 * command a line from stdin and answers "ok" once the compositor has taken it,
 * so a test knows the motion happened before it looks at the saver:
 *   a X Y W H   moves to X,Y of a W x H extent (the whole output layout)
 *   m DX DY     moves by DX,DY pixels
 *   p, r        presses, releases the left button
 *   w           turns the wheel one step
 * One device for the whole run: each new one would take the seat's pointer
 * away and give it back, which a client sees as a new pointer. */
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <string.h>
#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

static struct wl_seat* seat;
static struct zwlr_virtual_pointer_manager_v1* manager;

static void announced(void* data, struct wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    (void)data;
    (void)version;
    if (strcmp(interface, wl_seat_interface.name) == 0)
        seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
}

static void withdrawn(void* data, struct wl_registry* registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registryListener = {announced, withdrawn};

int main(void)
{
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "virtual_pointer: cannot connect to the Wayland display\n");
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, NULL);
    wl_display_roundtrip(display);
    if (!seat || !manager) {
        fprintf(stderr, "virtual_pointer: the compositor offers no seat or no virtual pointer\n");
        return 1;
    }
    struct zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
    char line[128];
    uint32_t time = 0;
    while (fgets(line, sizeof line, stdin)) {
        unsigned x, y, width, height;
        double dx, dy;
        time += 10;
        if (sscanf(line, "a %u %u %u %u", &x, &y, &width, &height) == 4) {
            zwlr_virtual_pointer_v1_motion_absolute(pointer, time, x, y, width, height);
        } else if (sscanf(line, "m %lf %lf", &dx, &dy) == 2) {
            zwlr_virtual_pointer_v1_motion(pointer, time, wl_fixed_from_double(dx), wl_fixed_from_double(dy));
        } else if (line[0] == 'p' || line[0] == 'r') {
            zwlr_virtual_pointer_v1_button(pointer, time, BTN_LEFT,
                                           line[0] == 'p' ? WL_POINTER_BUTTON_STATE_PRESSED
                                                          : WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (line[0] == 'w') {
            zwlr_virtual_pointer_v1_axis(pointer, time, WL_POINTER_AXIS_VERTICAL_SCROLL, wl_fixed_from_int(10));
        } else {
            fprintf(stderr, "virtual_pointer: unknown command: %s", line);
            return 2;
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        if (wl_display_roundtrip(display) < 0)
            return 1;
        printf("ok\n");
        fflush(stdout);
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
