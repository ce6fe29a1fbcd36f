#include "linux/wayland/key_typing.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <string>

namespace {

using Clock = KeyTyping::Clock;

// A keyboard of a real XKB layout, as a compositor runs one: its own state
// follows every key, and the client is sent the keymap's text and the
// modifiers after each key.
class Keyboard {
public:
    Keyboard(const char* layout, const char* variant, const char* options)
    {
        setenv("LC_ALL", "en_US.UTF-8", 1);
        context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        const xkb_rule_names names = {"evdev", "pc105", layout, variant, options};
        keymap_ = xkb_keymap_new_from_names(context_, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
        start();
    }
    // A keymap of the user's own, in XKB's text.
    explicit Keyboard(const char* keymapText)
    {
        setenv("LC_ALL", "en_US.UTF-8", 1);
        context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        keymap_ = xkb_keymap_new_from_string(context_, keymapText, XKB_KEYMAP_FORMAT_TEXT_V1,
                                             XKB_KEYMAP_COMPILE_NO_FLAGS);
        start();
    }
    void start()
    {
        state_ = xkb_state_new(keymap_);
        compose_ = composeTableForLocale(context_);
        char* text = xkb_keymap_get_as_string(keymap_, XKB_KEYMAP_FORMAT_TEXT_V1);
        ok_ = keymap_ && compose_ && typing.setKeymap(context_, text, compose_);
        std::free(text);
    }
    ~Keyboard()
    {
        typing.forgetKeymap();
        xkb_compose_table_unref(compose_);
        xkb_state_unref(state_);
        xkb_keymap_unref(keymap_);
        xkb_context_unref(context_);
    }
    bool ok() const { return ok_; }

    std::string press(std::uint32_t key, Clock::time_point now = {})
    {
        const TypedKey typed = typing.press(key, now);
        last = typed;
        std::string text = typed.text;
        update(key, XKB_KEY_DOWN);
        return text;
    }
    void release(std::uint32_t key)
    {
        typing.release(key);
        update(key, XKB_KEY_UP);
    }
    std::string tap(std::uint32_t key)
    {
        std::string text = press(key);
        release(key);
        return text;
    }
    // Keys tapped in turn; what they typed, together.
    std::string taps(std::initializer_list<std::uint32_t> keys)
    {
        std::string text;
        for (std::uint32_t key : keys)
            text += tap(key);
        return text;
    }
    // Keys tapped while modifier is held; what they typed, together.
    std::string with(std::uint32_t modifier, std::initializer_list<std::uint32_t> keys)
    {
        press(modifier);
        std::string text = taps(keys);
        release(modifier);
        return text;
    }

    KeyTyping typing;
    TypedKey last;

private:
    void update(std::uint32_t key, xkb_key_direction direction)
    {
        xkb_state_update_key(state_, key + 8, direction);
        typing.setModifiers(xkb_state_serialize_mods(state_, XKB_STATE_MODS_DEPRESSED),
                            xkb_state_serialize_mods(state_, XKB_STATE_MODS_LATCHED),
                            xkb_state_serialize_mods(state_, XKB_STATE_MODS_LOCKED),
                            xkb_state_serialize_layout(state_, XKB_STATE_LAYOUT_EFFECTIVE));
    }

    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
    xkb_compose_table* compose_ = nullptr;
    bool ok_ = false;
};

} // namespace

TEST(KeyTyping, DeadKeysComposeAndShift)
{
    Keyboard intl("us", "intl", "");
    ASSERT_TRUE(intl.ok()) << "needs xkb-data and libx11-data's compose tables";
    // Dead acute, then e: one character, and the dead key types nothing.
    EXPECT_EQ(intl.tap(KEY_APOSTROPHE), "");
    EXPECT_EQ(intl.last.symbol, XKB_KEY_NoSymbol);
    EXPECT_EQ(intl.tap(KEY_E), "é");
    EXPECT_EQ(intl.last.symbol, static_cast<std::uint32_t>(XKB_KEY_eacute));
    // Dead tilde is Shift and the grave key; the apostrophe is dead acute
    // and a space.
    EXPECT_EQ(intl.with(KEY_LEFTSHIFT, {KEY_GRAVE}), "");
    EXPECT_EQ(intl.tap(KEY_N), "ñ");
    EXPECT_EQ(intl.taps({KEY_I, KEY_T, KEY_APOSTROPHE, KEY_SPACE, KEY_S}), "it's");
    EXPECT_EQ(intl.with(KEY_LEFTSHIFT, {KEY_C, KEY_A}), "CA");

    Keyboard compose("us", "", "compose:ralt");
    ASSERT_TRUE(compose.ok());
    EXPECT_EQ(compose.taps({KEY_RIGHTALT, KEY_APOSTROPHE, KEY_E}), "é");
    EXPECT_EQ(compose.taps({KEY_RIGHTALT, KEY_O, KEY_C}), "©");
    // A sequence that leads nowhere types nothing, and the next key is
    // itself again.
    EXPECT_EQ(compose.taps({KEY_RIGHTALT, KEY_Q, KEY_X}), "x");
}

TEST(KeyTyping, ShortcutsLocksAndLayouts)
{
    Keyboard keyboard("us,de", "", "grp:alt_shift_toggle");
    ASSERT_TRUE(keyboard.ok());
    keyboard.with(KEY_LEFTCTRL, {KEY_U});
    EXPECT_TRUE(keyboard.last.control);
    EXPECT_EQ(keyboard.last.symbol, static_cast<std::uint32_t>(XKB_KEY_u));
    EXPECT_EQ(keyboard.with(KEY_LEFTALT, {KEY_X}), "");
    EXPECT_TRUE(keyboard.last.command);
    EXPECT_EQ(keyboard.with(KEY_LEFTMETA, {KEY_X}), "");
    EXPECT_TRUE(keyboard.last.command);
    EXPECT_FALSE(keyboard.typing.state().capsLock);
    EXPECT_EQ(keyboard.typing.state().layout, "English (US)");

    keyboard.tap(KEY_CAPSLOCK);
    EXPECT_TRUE(keyboard.typing.state().capsLock);
    EXPECT_EQ(keyboard.tap(KEY_A), "A");
    keyboard.tap(KEY_CAPSLOCK);
    EXPECT_FALSE(keyboard.typing.state().capsLock);

    // Alt+Shift switches to German, where the key beside P types ü.
    keyboard.press(KEY_LEFTALT);
    keyboard.tap(KEY_LEFTSHIFT);
    keyboard.release(KEY_LEFTALT);
    EXPECT_EQ(keyboard.typing.state().layout, "German");
    EXPECT_EQ(keyboard.tap(KEY_LEFTBRACE), "ü");

    // The keypad types digits under Num Lock, and nothing without.
    EXPECT_EQ(keyboard.tap(KEY_KP1), "");
    EXPECT_EQ(keyboard.last.symbol, static_cast<std::uint32_t>(XKB_KEY_KP_End));
    keyboard.tap(KEY_NUMLOCK);
    EXPECT_TRUE(keyboard.typing.state().numLock);
    EXPECT_EQ(keyboard.tap(KEY_KP1), "1");
}

// Where Alt itself chooses a key's level, as in a keymap a user wrote, Alt
// with that key types the level's character: only a modifier the key does
// not use makes a shortcut.
TEST(KeyTyping, AModifierTheKeyUsesTypesItsLevel)
{
    Keyboard keyboard(R"(xkb_keymap {
  xkb_keycodes { minimum = 8; maximum = 255; <LALT> = 64; <AC01> = 38; <AC02> = 39; };
  xkb_types {
    type "ONE_LEVEL" { modifiers = none; level_name[Level1] = "Any"; };
    type "ALT_LEVEL" { modifiers = Mod1; map[Mod1] = Level2; level_name[Level1] = "Base"; level_name[Level2] = "Alt"; };
  };
  xkb_compatibility { interpret Alt_L { action = SetMods(modifiers = Mod1); }; };
  xkb_symbols {
    key <AC01> { type = "ALT_LEVEL", [ a, aacute ] };
    key <AC02> { [ s ] };
    key <LALT> { [ Alt_L ] };
    modifier_map Mod1 { <LALT> };
  };
};)");
    ASSERT_TRUE(keyboard.ok());
    EXPECT_EQ(keyboard.with(KEY_LEFTALT, {KEY_A}), "á");
    EXPECT_FALSE(keyboard.last.command);
    EXPECT_EQ(keyboard.with(KEY_LEFTALT, {KEY_S}), "");
    EXPECT_TRUE(keyboard.last.command);
}

TEST(KeyTyping, AHeldKeyRepeatsAtTheCompositorsRate)
{
    Keyboard keyboard("us", "", "");
    ASSERT_TRUE(keyboard.ok());
    keyboard.typing.setRepeat(25, 600); // 40 ms apart, after 600 ms
    const Clock::time_point start{};
    keyboard.press(KEY_BACKSPACE, start);
    TypedKey repeated;
    EXPECT_FALSE(keyboard.typing.repeatDue(start + std::chrono::milliseconds(599), repeated));
    int repeats = 0;
    while (keyboard.typing.repeatDue(start + std::chrono::milliseconds(1000), repeated)) {
        EXPECT_EQ(repeated.symbol, static_cast<std::uint32_t>(XKB_KEY_BackSpace));
        ++repeats;
    }
    EXPECT_EQ(repeats, 11) << "at 600, 640, ..., 1000 ms: a slow loop catches up";
    Clock::time_point next;
    ASSERT_TRUE(keyboard.typing.nextRepeat(next));
    EXPECT_EQ(next, start + std::chrono::milliseconds(1040));
    keyboard.release(KEY_BACKSPACE);
    EXPECT_FALSE(keyboard.typing.repeatDue(start + std::chrono::seconds(5), repeated));

    // Characters repeat too; modifiers do not, and a rate of 0 stops it.
    keyboard.press(KEY_A, start);
    ASSERT_TRUE(keyboard.typing.repeatDue(start + std::chrono::milliseconds(600), repeated));
    EXPECT_STREQ(repeated.text, "a");
    keyboard.release(KEY_A);
    keyboard.press(KEY_LEFTSHIFT, start);
    EXPECT_FALSE(keyboard.typing.repeatDue(start + std::chrono::seconds(1), repeated));
    keyboard.release(KEY_LEFTSHIFT);
    keyboard.typing.setRepeat(0, 600);
    keyboard.press(KEY_A, start);
    EXPECT_FALSE(keyboard.typing.repeatDue(start + std::chrono::seconds(1), repeated));
}
