#include "linux/lock/password_prompt.h"

#include <xkbcommon/xkbcommon-keysyms.h>

namespace {

// Text a password may hold: no control characters (Tab, Delete, and the
// like type those).
bool typesCharacter(const char* text)
{
    const auto first = static_cast<unsigned char>(text[0]);
    return first >= 0x20 && first != 0x7F;
}

} // namespace

void PasswordPrompt::keyTyped(std::uint32_t symbol, const char* text)
{
    if (checking_)
        return;
    inputSeen_ = true;
    shown_ = true;
    switch (symbol) {
    case XKB_KEY_Escape:
        hide();
        return;
    case XKB_KEY_BackSpace:
        password_.removeLast();
        return;
    case XKB_KEY_Return:
    case XKB_KEY_KP_Enter:
        checkRequested_ = !password_.empty();
        return;
    default:
        break;
    }
    if (typesCharacter(text) && password_.append(text))
        message_ = Message::None;
}

void PasswordPrompt::pressed()
{
    if (checking_)
        return;
    inputSeen_ = true;
    shown_ = true;
}

void PasswordPrompt::follow(Clock::time_point now)
{
    if (inputSeen_) {
        lastInput_ = now;
        inputSeen_ = false;
    } else if (shown_ && !checking_ && now - lastInput_ >= promptShownFor) {
        hide();
    }
}

bool PasswordPrompt::takeCheckRequest()
{
    const bool requested = checkRequested_;
    checkRequested_ = false;
    return requested;
}

void PasswordPrompt::checkStarted()
{
    checking_ = true;
    message_ = Message::Checking;
}

void PasswordPrompt::checkEnded(bool accepted)
{
    checking_ = false;
    password_.clear();
    message_ = accepted ? Message::None : Message::Wrong;
    // A wrong password's message stays its while, counted from now.
    inputSeen_ = true;
}

void PasswordPrompt::hide()
{
    password_.clear();
    shown_ = false;
    message_ = Message::None;
}
