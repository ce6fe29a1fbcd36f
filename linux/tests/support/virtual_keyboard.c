/* A keyboard for the Wayland tests, on the virtual-keyboard protocol, that
 * presses keys as a user does: by their place, under a real XKB keymap
 * compiled from the layout, variant and options given on the command line
 * (as a desktop's settings name them). Its own XKB state follows every key,
 * and the modifiers and layout it gives go to the compositor after each one,
 * so Shift, Caps Lock, AltGr, NumLock and a layout switch arrive as from a
 * keyboard on the desk; a virtual keyboard's keys alone change nothing of
 * the seat's state. In KWin, which offers no virtual keyboard, the keys go
 * through KWin's fake input instead, by the same places, and KWin's own
 * keymap and state make them characters. It reads one command a line from stdin and answers "ok"
 * once the compositor has taken it:
 *   d KEY   presses KEY, by its XKB name (AC01, LFSH, CAPS, RALT, BKSP, ...)
 *   u KEY   releases it
 *   t KEY   presses and releases it
 *   s MS    waits MS milliseconds, a held key's repeat time
 * Usage: virtual_keyboard LAYOUT VARIANT OPTIONS (empty ones are "") */
#define _GNU_SOURCE
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "fake-input-client-protocol.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"

/* Wayland key codes are evdev codes; XKB's are 8 higher, as in X11. */
enum { evdevToXkb = 8 };

static struct wl_seat* seat;
static struct zwp_virtual_keyboard_manager_v1* manager;
static struct org_kde_kwin_fake_input* fakeInput;

static void announced(void* data, struct wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    (void)data;
    if (strcmp(interface, wl_seat_interface.name) == 0)
        seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    else if (strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
        manager = wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1);
    else if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        fakeInput = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
}

static void withdrawn(void* data, struct wl_registry* registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registryListener = {announced, withdrawn};

/* The keymap from xkeyboard-config's rules, as a desktop compiles its own. */
static struct xkb_keymap* compileKeymap(struct xkb_context* context, const char* layout, const char* variant,
                                        const char* options)
{
    struct xkb_rule_names names = {
        .layout = layout,
        .variant = *variant ? variant : NULL,
        .options = options,
    };
    return xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
}

/* The compositor maps the keymap from a file: one in memory, its NUL within
 * the size, as a compositor's own keymap is sent. */
static int uploadKeymap(struct zwp_virtual_keyboard_v1* keyboard, struct xkb_keymap* keymap)
{
    char* text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
    if (!text)
        return 0;
    size_t size = strlen(text) + 1;
    int fd = memfd_create("keymap", MFD_CLOEXEC);
    int written = fd >= 0 && write(fd, text, size) == (ssize_t)size;
    free(text);
    if (written)
        zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, size);
    if (fd >= 0)
        close(fd);
    return written;
}

static uint32_t milliseconds(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint32_t)(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

/* A key down or up, then the state it leaves, as the seat should have it. */
static void sendKey(struct zwp_virtual_keyboard_v1* keyboard, struct xkb_state* state, xkb_keycode_t key, int down)
{
    xkb_state_update_key(state, key, down ? XKB_KEY_DOWN : XKB_KEY_UP);
    if (!keyboard) {
        org_kde_kwin_fake_input_keyboard_key(fakeInput, key - evdevToXkb,
                                             down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
        return;
    }
    zwp_virtual_keyboard_v1_key(keyboard, milliseconds(), key - evdevToXkb,
                                down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    zwp_virtual_keyboard_v1_modifiers(keyboard, xkb_state_serialize_mods(state, XKB_STATE_MODS_DEPRESSED),
                                      xkb_state_serialize_mods(state, XKB_STATE_MODS_LATCHED),
                                      xkb_state_serialize_mods(state, XKB_STATE_MODS_LOCKED),
                                      xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE));
}

/* One line of stdin carried out; 0 where it is no command or names no key. */
static int command(struct zwp_virtual_keyboard_v1* keyboard, struct xkb_state* state, const char* line)
{
    char action, name[64];
    unsigned wait;
    if (sscanf(line, "s %u", &wait) == 1) {
        usleep(wait * 1000u);
        return 1;
    }
    if (sscanf(line, "%c %63s", &action, name) != 2 || !strchr("dut", action)) {
        fprintf(stderr, "virtual_keyboard: unknown command: %s", line);
        return 0;
    }
    xkb_keycode_t key = xkb_keymap_key_by_name(xkb_state_get_keymap(state), name);
    if (key == XKB_KEYCODE_INVALID) {
        fprintf(stderr, "virtual_keyboard: the keymap has no key %s\n", name);
        return 0;
    }
    if (action != 'u')
        sendKey(keyboard, state, key, 1);
    if (action != 'd')
        sendKey(keyboard, state, key, 0);
    return 1;
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: virtual_keyboard LAYOUT VARIANT OPTIONS\n");
        return 2;
    }
    struct xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    struct xkb_keymap* keymap = context ? compileKeymap(context, argv[1], argv[2], argv[3]) : NULL;
    if (!keymap) {
        fprintf(stderr, "virtual_keyboard: no keymap for layout '%s', variant '%s', options '%s'\n", argv[1], argv[2],
                argv[3]);
        return 2;
    }
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "virtual_keyboard: cannot connect to the Wayland display\n");
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, NULL);
    wl_display_roundtrip(display);
    struct zwp_virtual_keyboard_v1* keyboard = NULL;
    if (seat && manager) {
        keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, seat);
    } else if (fakeInput) {
        org_kde_kwin_fake_input_authenticate(fakeInput, "Cascade's tests", "to type a password as a user does");
    } else {
        fprintf(stderr, "virtual_keyboard: the compositor offers no seat or no virtual keyboard\n");
        return 1;
    }
    if (keyboard && !uploadKeymap(keyboard, keymap)) {
        fprintf(stderr, "virtual_keyboard: the keymap could not be handed over\n");
        return 1;
    }
    struct xkb_state* state = xkb_state_new(keymap);
    char line[128];
    while (fgets(line, sizeof line, stdin)) {
        if (!command(keyboard, state, line))
            return 2;
        if (wl_display_roundtrip(display) < 0)
            return 1;
        printf("ok\n");
        fflush(stdout);
    }
    if (keyboard)
        zwp_virtual_keyboard_v1_destroy(keyboard);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    xkb_state_unref(state);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
    return 0;
}
