#include "linux/wayland/key_typing.h"

#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <cstring>

namespace {

// Wayland key codes are evdev codes; XKB's are 8 higher, as in X11.
constexpr std::uint32_t evdevToXkb = 8;
constexpr std::int64_t microsecondsPerSecond = 1000000;
// The most repeats a late loop makes up for.
constexpr std::chrono::seconds repeatCatchUp{1};

// The locale whose compose table applies, in the order the C library takes
// the character type's.
const char* userLocale()
{
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return "C";
}

} // namespace

xkb_compose_table* composeTableForLocale(xkb_context* context)
{
    return xkb_compose_table_new_from_locale(context, userLocale(), XKB_COMPOSE_COMPILE_NO_FLAGS);
}

KeyTyping::~KeyTyping()
{
    wipeText();
    forgetKeymap();
}

bool KeyTyping::setKeymap(xkb_context* context, const char* text, xkb_compose_table* compose)
{
    forgetKeymap();
    keymap_ = xkb_keymap_new_from_string(context, text, XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap_)
        return false;
    state_ = xkb_state_new(keymap_);
    if (!state_) {
        forgetKeymap();
        return false;
    }
    setComposeTable(compose);
    return true;
}

void KeyTyping::setComposeTable(xkb_compose_table* compose)
{
    if (compose_)
        xkb_compose_state_unref(compose_);
    compose_ = compose ? xkb_compose_state_new(compose, XKB_COMPOSE_STATE_NO_FLAGS) : nullptr;
}

void KeyTyping::forgetKeymap()
{
    releaseAll();
    if (compose_)
        xkb_compose_state_unref(compose_);
    if (state_)
        xkb_state_unref(state_);
    if (keymap_)
        xkb_keymap_unref(keymap_);
    compose_ = nullptr;
    state_ = nullptr;
    keymap_ = nullptr;
}

void KeyTyping::setModifiers(std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked,
                             std::uint32_t group)
{
    if (state_)
        xkb_state_update_mask(state_, depressed, latched, locked, 0, 0, group);
}

void KeyTyping::setRepeat(std::int32_t rate, std::int32_t delayMs)
{
    repeatRate_ = rate > 0 ? rate : 0;
    repeatDelay_ = std::chrono::milliseconds(delayMs > 0 ? delayMs : 0);
    if (repeatRate_ == 0)
        repeating_ = 0;
}

std::uint32_t KeyTyping::symbolOf(std::uint32_t key) const
{
    return state_ ? xkb_state_key_get_one_sym(state_, key + evdevToXkb) : XKB_KEY_NoSymbol;
}

// A modifier held for a key is a command's only where the key's level does
// not use it: Ctrl+Alt may be a layout's way to a third level.
bool KeyTyping::modifierHeldFor(const char* name, std::uint32_t code) const
{
    const xkb_mod_index_t index = xkb_keymap_mod_get_index(keymap_, name);
    return index != XKB_MOD_INVALID && xkb_state_mod_index_is_active(state_, index, XKB_STATE_MODS_EFFECTIVE) > 0 &&
           xkb_state_mod_index_is_consumed(state_, code, index) == 0;
}

TypedKey KeyTyping::press(std::uint32_t key, Clock::time_point now)
{
    const TypedKey typed = type(key);
    if (state_ && repeatRate_ > 0 && xkb_keymap_key_repeats(keymap_, key + evdevToXkb)) {
        repeating_ = key + 1;
        nextRepeat_ = now + repeatDelay_;
    }
    return typed;
}

TypedKey KeyTyping::type(std::uint32_t key)
{
    TypedKey typed;
    wipeText();
    if (!state_)
        return typed;
    const xkb_keycode_t code = key + evdevToXkb;
    typed.symbol = xkb_state_key_get_one_sym(state_, code);
    typed.control = modifierHeldFor(XKB_MOD_NAME_CTRL, code);
    typed.command = typed.control || modifierHeldFor(XKB_MOD_NAME_ALT, code) ||
                    modifierHeldFor(XKB_MOD_NAME_LOGO, code);
    typed.text = text_;
    // A shortcut types nothing and takes no part in a sequence.
    if (typed.command)
        return typed;
    if (compose_ && xkb_compose_state_feed(compose_, typed.symbol) == XKB_COMPOSE_FEED_ACCEPTED) {
        switch (xkb_compose_state_get_status(compose_)) {
        case XKB_COMPOSE_COMPOSING:
            // A dead key or Compose: nothing yet, and no key of its own.
            typed.symbol = XKB_KEY_NoSymbol;
            return typed;
        case XKB_COMPOSE_COMPOSED:
            typed.symbol = xkb_compose_state_get_one_sym(compose_);
            xkb_compose_state_get_utf8(compose_, text_, sizeof text_);
            xkb_compose_state_reset(compose_);
            return typed;
        case XKB_COMPOSE_CANCELLED:
            // A sequence that went nowhere types nothing, as in X11.
            xkb_compose_state_reset(compose_);
            typed.symbol = XKB_KEY_NoSymbol;
            return typed;
        case XKB_COMPOSE_NOTHING:
            break;
        }
    }
    xkb_state_key_get_utf8(state_, code, text_, sizeof text_);
    return typed;
}

void KeyTyping::release(std::uint32_t key)
{
    if (repeating_ == key + 1)
        repeating_ = 0;
}

void KeyTyping::releaseAll() { repeating_ = 0; }

bool KeyTyping::repeatDue(Clock::time_point now, TypedKey& repeated)
{
    if (repeating_ == 0 || now < nextRepeat_)
        return false;
    repeated = type(repeating_ - 1);
    nextRepeat_ += std::chrono::microseconds(microsecondsPerSecond / repeatRate_);
    // A loop that woke late (a slow frame) catches up, as the key was held
    // all along; one held back far longer (a stopped process) does not.
    if (now - nextRepeat_ > repeatCatchUp)
        nextRepeat_ = now;
    return true;
}

bool KeyTyping::nextRepeat(Clock::time_point& when) const
{
    when = nextRepeat_;
    return repeating_ != 0;
}

void KeyTyping::wipeText() { explicit_bzero(text_, sizeof text_); }

KeyboardState KeyTyping::state() const
{
    KeyboardState keyboard;
    if (!state_)
        return keyboard;
    keyboard.capsLock = xkb_state_led_name_is_active(state_, XKB_LED_NAME_CAPS) > 0;
    keyboard.numLock = xkb_state_led_name_is_active(state_, XKB_LED_NAME_NUM) > 0;
    if (xkb_keymap_num_layouts(keymap_) >= 2) {
        const char* name = xkb_keymap_layout_get_name(
            keymap_, xkb_state_serialize_layout(state_, XKB_STATE_LAYOUT_EFFECTIVE));
        keyboard.layout = name ? name : "";
    }
    return keyboard;
}
