// What the keys do while the session is locked: any key or press brings the
// prompt; characters go into the password, Backspace takes the last one
// back, Ctrl+U clears it, Escape clears it and hides the prompt, Enter asks
// for a check. Shortcuts (Ctrl, Alt or Super with a key) type nothing.
// While a check runs every key is dropped. The prompt hides itself, and
// forgets what was typed, after a spell without input. It says what the
// user needs to know: the check's answer and PAM's own words, Caps Lock,
// Num Lock where a keypad key typed nothing, the layout where there are
// several. No Wayland, PAM or GL here: the lock's loop carries the requests
// out.
#pragma once

#include "linux/lock/password_buffer.h"
#include "linux/wayland/key_typing.h"
#include "linux/wayland/locked_input.h"

#include <chrono>
#include <string>

class PasswordPrompt final : public LockedInput {
public:
    using Clock = std::chrono::steady_clock;
    // What the prompt says under the dots.
    enum class Message { None, Checking, Wrong };

    explicit PasswordPrompt(PasswordBuffer& password) : password_(password) {}

    void keyTyped(const TypedKey& key) override;
    void keyboardChanged(const KeyboardState& keyboard) override;
    void pressed() override;

    // Once per pass of the loop, after the input: input seen since the last
    // call counts from now, and a prompt left alone long enough hides.
    void update(Clock::time_point now);
    // True once, when Enter asked for a check of a password.
    bool takeCheckRequest();
    // The check's start and its answer, with what PAM said on the way
    // (empty for nothing); keys are dropped in between.
    void checkStarted();
    void checkEnded(bool accepted, const std::string& pamSaid);

    bool shown() const { return shown_; }
    Message message() const { return message_; }
    // The message row's text: PAM's words where it said any, else the
    // message's own.
    const char* messageText() const;
    // The keyboard's row: Caps Lock, Num Lock or the layout; empty for none.
    const char* statusText() const;
    std::size_t characters() const { return password_.characters(); }

private:
    void hide();
    void edit(const TypedKey& key);

    PasswordBuffer& password_;
    bool shown_ = false;
    bool checking_ = false;
    bool checkRequested_ = false;
    bool inputSeen_ = false;
    // A keypad key typed nothing since Num Lock was last on.
    bool numLockWanted_ = false;
    Message message_ = Message::None;
    std::string pamSaid_;
    KeyboardState keyboard_;
    Clock::time_point lastInput_{};
};

// How long the prompt stays without input.
constexpr std::chrono::seconds promptShownFor{10};
