// What takes the input while the session is locked: the saver's rules hand
// keys and presses to it (input_rules.h), the lock's prompt is one
// (linux/lock/password_prompt.h). No Wayland here.
#pragma once

#include "linux/wayland/key_typing.h"

class LockedInput {
public:
    virtual ~LockedInput() = default;
    // A key as the keyboard's layout and compose sequences make it.
    virtual void keyTyped(const TypedKey& key) = 0;
    // Caps Lock, Num Lock and the layout, as they are now.
    virtual void keyboardChanged(const KeyboardState& keyboard) = 0;
    // A button, a turn of the wheel or a touch.
    virtual void pressed() = 0;
};
