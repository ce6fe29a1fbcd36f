// What one keyboard types, as a user of its layout expects: the keymap and
// its state as the compositor reports them, dead keys and Compose sequences
// through xkbcommon's compose table of the user's locale, key repeat at the
// compositor's rate, and which keys are commands (Ctrl, Alt or Super held)
// rather than text. xkbcommon only, no Wayland: the seat feeds it.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;
struct xkb_compose_table;
struct xkb_compose_state;

// A key as the lock's prompt takes it.
struct TypedKey {
    std::uint32_t symbol = 0; // XKB's keysym: the composed one where a sequence ended
    const char* text = "";    // the UTF-8 it types; empty for none
    bool control = false;     // Ctrl held, and not used by the key's level
    bool command = false;     // Ctrl, Alt or Super so held: a shortcut, not text
};

// What the prompt tells about the keyboard.
struct KeyboardState {
    bool capsLock = false;
    bool numLock = false;
    // The active layout's name where the keymap has two or more, else empty.
    std::string layout;
};

// The compose table of the user's locale (LC_ALL, LC_CTYPE, LANG, as
// xkbcommon reads them with XCOMPOSEFILE and ~/.XCompose); null where the
// locale has none, and then keys type their own text.
xkb_compose_table* composeTableForLocale(xkb_context* context);

class KeyTyping {
public:
    using Clock = std::chrono::steady_clock;

    KeyTyping() = default;
    ~KeyTyping();
    KeyTyping(const KeyTyping&) = delete;
    KeyTyping& operator=(const KeyTyping&) = delete;

    // A keymap in XKB's text form; false where it does not compile (then
    // keys type nothing). compose may be null.
    bool setKeymap(xkb_context* context, const char* text, xkb_compose_table* compose);
    // The keyboard went, or its keymap could not be read.
    void forgetKeymap();
    // Takes a compose table that came after the keymap.
    void setComposeTable(xkb_compose_table* compose);
    void setModifiers(std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked, std::uint32_t group);
    // Characters a second, and the delay before the first repeat; a rate of
    // 0 repeats nothing.
    void setRepeat(std::int32_t rate, std::int32_t delayMs);

    // A key (evdev code) pressed at now: what it types. Where it repeats,
    // it repeats from now on until released.
    TypedKey press(std::uint32_t key, Clock::time_point now);
    void release(std::uint32_t key);
    // The keyboard went: no key is held any longer.
    void releaseAll();
    // The held key, again, if a repeat of it is due by now: one per call,
    // so the caller asks until none is; false then.
    bool repeatDue(Clock::time_point now, TypedKey& repeated);
    // The next repeat's time, where a key repeats.
    bool nextRepeat(Clock::time_point& when) const;

    // Wipes the text the last key typed, once it has been handed on: it may
    // be a character of a password.
    void wipeText();

    KeyboardState state() const;
    bool hasKeymap() const { return state_ != nullptr; }
    // The key's symbol alone, with no compose step, for the saver's rules.
    std::uint32_t symbolOf(std::uint32_t key) const;

private:
    TypedKey type(std::uint32_t key);
    bool modifierHeldFor(const char* name, std::uint32_t code) const;

    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
    xkb_compose_state* compose_ = nullptr;
    char text_[64] = {};
    std::int32_t repeatRate_ = 0;
    std::chrono::milliseconds repeatDelay_{0};
    std::uint32_t repeating_ = 0; // evdev code + 1; 0 for none
    Clock::time_point nextRepeat_{};
};
