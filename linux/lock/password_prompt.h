// What the keys do while the session is locked: any key or press brings the
// prompt; characters go into the password, Backspace takes the last one
// back, Escape clears it and hides the prompt, Enter asks for a check.
// While a check runs every key is dropped. The prompt hides itself, and
// forgets what was typed, after a spell without input. No Wayland, PAM or
// GL here: the lock's loop carries the requests out.
#pragma once

#include "linux/lock/password_buffer.h"
#include "linux/wayland/input_rules.h"

#include <chrono>

class PasswordPrompt final : public LockedInput {
public:
    using Clock = std::chrono::steady_clock;
    // What the prompt says under the dots.
    enum class Message { None, Checking, Wrong };

    explicit PasswordPrompt(PasswordBuffer& password) : password_(password) {}

    void keyTyped(std::uint32_t symbol, const char* text) override;
    void pressed() override;

    // Once per pass of the loop, after the input: input seen since the last
    // call counts from now, and a prompt left alone long enough hides.
    void follow(Clock::time_point now);
    // True once, when Enter asked for a check of a password.
    bool takeCheckRequest();
    // The check's start and its answer; keys are dropped in between.
    void checkStarted();
    void checkEnded(bool accepted);

    bool shown() const { return shown_; }
    Message message() const { return message_; }
    std::size_t characters() const { return password_.characters(); }

private:
    void hide();

    PasswordBuffer& password_;
    bool shown_ = false;
    bool checking_ = false;
    bool checkRequested_ = false;
    bool inputSeen_ = false;
    Message message_ = Message::None;
    Clock::time_point lastInput_{};
};

// How long the prompt stays without input.
constexpr std::chrono::seconds promptShownFor{10};
