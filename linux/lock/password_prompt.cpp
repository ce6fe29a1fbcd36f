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

bool onKeypad(std::uint32_t symbol) { return symbol >= XKB_KEY_KP_Space && symbol <= XKB_KEY_KP_9; }

} // namespace

void PasswordPrompt::keyTyped(const TypedKey& key)
{
    if (checking_)
        return;
    inputSeen_ = true;
    shown_ = true;
    edit(key);
}

void PasswordPrompt::edit(const TypedKey& key)
{
    switch (key.symbol) {
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
    if (key.control && (key.symbol == XKB_KEY_u || key.symbol == XKB_KEY_U)) {
        password_.clear();
        return;
    }
    if (key.command)
        return;
    if (onKeypad(key.symbol) && !typesCharacter(key.text) && !keyboard_.numLock)
        numLockWanted_ = true;
    if (typesCharacter(key.text) && password_.append(key.text)) {
        message_ = Message::None;
        pamSaid_.clear();
    }
}

void PasswordPrompt::keyboardChanged(const KeyboardState& keyboard)
{
    keyboard_ = keyboard;
    if (keyboard_.numLock)
        numLockWanted_ = false;
}

void PasswordPrompt::pressed()
{
    if (checking_)
        return;
    inputSeen_ = true;
    shown_ = true;
}

void PasswordPrompt::update(Clock::time_point now)
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
    pamSaid_.clear();
}

void PasswordPrompt::checkEnded(bool accepted, const std::string& pamSaid)
{
    checking_ = false;
    password_.clear();
    message_ = accepted ? Message::None : Message::Wrong;
    pamSaid_ = pamSaid;
    // A wrong password's message stays its while, counted from now.
    inputSeen_ = true;
}

const char* PasswordPrompt::messageText() const
{
    if (!pamSaid_.empty() && message_ != Message::Checking)
        return pamSaid_.c_str();
    switch (message_) {
    case Message::Checking:
        return "checking";
    case Message::Wrong:
        return "wrong password";
    case Message::None:
        break;
    }
    return "";
}

const char* PasswordPrompt::statusText() const
{
    if (keyboard_.capsLock)
        return "Caps Lock is on";
    if (numLockWanted_)
        return "Num Lock is off";
    return keyboard_.layout.c_str();
}

void PasswordPrompt::hide()
{
    password_.clear();
    shown_ = false;
    message_ = Message::None;
    pamSaid_.clear();
}
