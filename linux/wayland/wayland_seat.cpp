#include "linux/wayland/wayland_seat.h"

#include "relative-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

namespace {

WaylandSeat& seatOf(void* data) { return *static_cast<WaylandSeat*>(data); }
InputRules& rulesOf(void* data) { return seatOf(data).rules(); }

void seatHandleCapabilities(void* data, wl_seat*, std::uint32_t capabilities)
{
    seatOf(data).capabilitiesChanged(capabilities);
}

void seatHandleName(void*, wl_seat*, const char*) {}

const wl_seat_listener seatListener = {seatHandleCapabilities, seatHandleName};

void keyboardHandleKeymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size)
{
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1)
        seatOf(data).keymapChanged(fd, size);
    close(fd);
}

void keyboardHandleEnter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
void keyboardHandleLeave(void* data, wl_keyboard*, std::uint32_t, wl_surface*) { seatOf(data).keyboardLeft(); }

void keyboardHandleKey(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key, std::uint32_t state)
{
    // A release alone is no key press: the key that started the saver from
    // a terminal may still be on its way up.
    if (state == WL_KEYBOARD_KEY_STATE_PRESSED)
        seatOf(data).keyPressed(key);
    else
        seatOf(data).keyReleased(key);
}

void keyboardHandleModifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed, std::uint32_t latched,
                             std::uint32_t locked, std::uint32_t group)
{
    seatOf(data).modifiersChanged(depressed, latched, locked, group);
}

void keyboardHandleRepeatInfo(void* data, wl_keyboard*, std::int32_t rate, std::int32_t delay)
{
    seatOf(data).repeatChanged(rate, delay);
}

const wl_keyboard_listener keyboardListener = {keyboardHandleKeymap, keyboardHandleEnter,     keyboardHandleLeave,
                                               keyboardHandleKey,    keyboardHandleModifiers, keyboardHandleRepeatInfo};

void pointerHandleEnter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface, wl_fixed_t x,
                        wl_fixed_t y)
{
    if (!rulesOf(data).takesPointer())
        return;
    // No cursor over the saver, as the X11 and Windows savers hide theirs.
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    rulesOf(data).pointerEntered(surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
}

void pointerHandleLeave(void*, wl_pointer*, std::uint32_t, wl_surface*) {}

void pointerHandleMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y)
{
    rulesOf(data).pointerMoved(wl_fixed_to_double(x), wl_fixed_to_double(y));
}

void pointerHandleButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state)
{
    if (state == WL_POINTER_BUTTON_STATE_PRESSED)
        rulesOf(data).buttonPressed();
}

// The wheel: a button press on X11, and so here too.
void pointerHandleAxis(void* data, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t)
{
    rulesOf(data).buttonPressed();
}
void pointerHandleFrame(void*, wl_pointer*) {}
void pointerHandleAxisSource(void*, wl_pointer*, std::uint32_t) {}
void pointerHandleAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
void pointerHandleAxisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
void pointerHandleAxisValue120(void*, wl_pointer*, std::uint32_t, std::int32_t) {}

const wl_pointer_listener pointerListener = {pointerHandleEnter,       pointerHandleLeave,    pointerHandleMotion,
                                             pointerHandleButton,      pointerHandleAxis,     pointerHandleFrame,
                                             pointerHandleAxisSource,  pointerHandleAxisStop, pointerHandleAxisDiscrete,
                                             pointerHandleAxisValue120};

// The device's own motion, apart from any move of the cursor that the
// compositor makes itself.
void relativePointerHandleRelativeMotion(void* data, zwp_relative_pointer_v1*, std::uint32_t, std::uint32_t,
                                         wl_fixed_t dx, wl_fixed_t dy, wl_fixed_t, wl_fixed_t)
{
    rulesOf(data).pointerMovedByDevice(wl_fixed_to_double(dx), wl_fixed_to_double(dy));
}

const zwp_relative_pointer_v1_listener relativePointerListener = {relativePointerHandleRelativeMotion};

void touchHandleDown(void* data, wl_touch*, std::uint32_t, std::uint32_t, wl_surface*, std::int32_t, wl_fixed_t,
                     wl_fixed_t)
{
    rulesOf(data).buttonPressed();
}

void touchHandleUp(void*, wl_touch*, std::uint32_t, std::uint32_t, std::int32_t) {}
void touchHandleMotion(void*, wl_touch*, std::uint32_t, std::int32_t, wl_fixed_t, wl_fixed_t) {}
void touchHandleFrame(void*, wl_touch*) {}
void touchHandleCancel(void*, wl_touch*) {}
void touchHandleShape(void*, wl_touch*, std::int32_t, wl_fixed_t, wl_fixed_t) {}
void touchHandleOrientation(void*, wl_touch*, std::int32_t, wl_fixed_t) {}

const wl_touch_listener touchListener = {touchHandleDown,   touchHandleUp,    touchHandleMotion,     touchHandleFrame,
                                         touchHandleCancel, touchHandleShape, touchHandleOrientation};

} // namespace

WaylandSeat::WaylandSeat(InputRules& rules, const SeatShared& shared, wl_seat* seat, std::uint32_t globalName)
    : rules_(rules), shared_(shared), seat_(seat), globalName_(globalName)
{
    wl_seat_add_listener(seat_, &seatListener, this);
}

WaylandSeat::~WaylandSeat()
{
    releaseKeyboard();
    releasePointer();
    releaseTouch();
    if (wl_seat_get_version(seat_) >= WL_SEAT_RELEASE_SINCE_VERSION)
        wl_seat_release(seat_);
    else
        wl_seat_destroy(seat_);
}

void WaylandSeat::capabilitiesChanged(std::uint32_t capabilities)
{
    // A device that went is released, one that came is taken: a keyboard
    // that comes back is a new one, with a keymap of its own.
    const bool keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    const bool pointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    const bool touch = capabilities & WL_SEAT_CAPABILITY_TOUCH;
    if (!keyboard)
        releaseKeyboard();
    else if (!keyboard_) {
        keyboard_ = wl_seat_get_keyboard(seat_);
        wl_keyboard_add_listener(keyboard_, &keyboardListener, this);
    }
    if (!pointer)
        releasePointer();
    else if (!pointer_) {
        pointer_ = wl_seat_get_pointer(seat_);
        wl_pointer_add_listener(pointer_, &pointerListener, this);
        takeRelativePointer();
    }
    if (!touch)
        releaseTouch();
    else if (!touch_) {
        touch_ = wl_seat_get_touch(seat_);
        wl_touch_add_listener(touch_, &touchListener, this);
    }
}

void WaylandSeat::takeRelativePointer()
{
    zwp_relative_pointer_manager_v1* manager = shared_.relativePointers;
    if (!manager || !pointer_ || relativePointer_)
        return;
    relativePointer_ = zwp_relative_pointer_manager_v1_get_relative_pointer(manager, pointer_);
    zwp_relative_pointer_v1_add_listener(relativePointer_, &relativePointerListener, this);
}

void WaylandSeat::keymapChanged(int fd, std::uint32_t size)
{
    void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (text == MAP_FAILED) {
        typing_.forgetKeymap();
        return;
    }
    // The compositor's keymap ends with a NUL within size.
    typing_.setKeymap(shared_.keymaps, static_cast<const char*>(text), shared_.compose);
    munmap(text, size);
    reportKeyboard();
}

void WaylandSeat::takeComposeTable() { typing_.setComposeTable(shared_.compose); }

void WaylandSeat::keyPressed(std::uint32_t key)
{
    if (!rules_.locked()) {
        // Without a keymap there is no telling which key it was.
        const std::uint32_t symbol = typing_.symbolOf(key);
        rules_.keyPressed(symbol == XKB_KEY_Escape || symbol == XKB_KEY_q || symbol == XKB_KEY_Q);
        return;
    }
    // A character of a password: gone from memory once handed on.
    rules_.keyTyped(typing_.press(key, KeyTyping::Clock::now()));
    typing_.wipeText();
}

void WaylandSeat::keyReleased(std::uint32_t key) { typing_.release(key); }

void WaylandSeat::keyboardLeft() { typing_.releaseAll(); }

void WaylandSeat::repeatChanged(std::int32_t rate, std::int32_t delayMs) { typing_.setRepeat(rate, delayMs); }

void WaylandSeat::repeatKeys(KeyTyping::Clock::time_point now)
{
    TypedKey repeated;
    while (rules_.locked() && typing_.repeatDue(now, repeated)) {
        rules_.keyTyped(repeated);
        typing_.wipeText();
    }
}

bool WaylandSeat::nextRepeat(KeyTyping::Clock::time_point& when) const
{
    return rules_.locked() && typing_.nextRepeat(when);
}

void WaylandSeat::modifiersChanged(std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked,
                                   std::uint32_t group)
{
    typing_.setModifiers(depressed, latched, locked, group);
    reportKeyboard();
}

void WaylandSeat::reportKeyboard()
{
    if (typing_.hasKeymap())
        rules_.keyboardChanged(typing_.state());
}

void WaylandSeat::releaseKeyboard()
{
    if (!keyboard_)
        return;
    if (wl_keyboard_get_version(keyboard_) >= WL_KEYBOARD_RELEASE_SINCE_VERSION)
        wl_keyboard_release(keyboard_);
    else
        wl_keyboard_destroy(keyboard_);
    keyboard_ = nullptr;
    typing_.forgetKeymap();
}

void WaylandSeat::releasePointer()
{
    if (!pointer_)
        return;
    if (relativePointer_) {
        zwp_relative_pointer_v1_destroy(relativePointer_);
        relativePointer_ = nullptr;
    }
    if (wl_pointer_get_version(pointer_) >= WL_POINTER_RELEASE_SINCE_VERSION)
        wl_pointer_release(pointer_);
    else
        wl_pointer_destroy(pointer_);
    pointer_ = nullptr;
}

void WaylandSeat::releaseTouch()
{
    if (!touch_)
        return;
    if (wl_touch_get_version(touch_) >= WL_TOUCH_RELEASE_SINCE_VERSION)
        wl_touch_release(touch_);
    else
        wl_touch_destroy(touch_);
    touch_ = nullptr;
}
