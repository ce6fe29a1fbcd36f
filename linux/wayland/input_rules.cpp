#include "linux/wayland/input_rules.h"

void InputRules::keyPressed(bool quitsWindow) { endIf(takesPointer() || quitsWindow); }

void InputRules::lockTo(LockedInput* locked)
{
    locked_ = locked;
    if (locked_)
        locked_->keyboardChanged(keyboard_);
}

void InputRules::keyTyped(const TypedKey& key)
{
    if (locked_)
        locked_->keyTyped(key);
}

void InputRules::keyboardChanged(const KeyboardState& keyboard)
{
    keyboard_ = keyboard;
    if (locked_)
        locked_->keyboardChanged(keyboard_);
}

void InputRules::buttonPressed()
{
    if (locked_)
        locked_->pressed();
    else
        endIf(takesPointer());
}

void InputRules::pointerEntered(const void* surface, double x, double y)
{
    endIf(takesPointer() && travel_.entered(surface, x, y));
}

void InputRules::pointerMoved(double x, double y) { endIf(takesPointer() && travel_.moved(x, y)); }

void InputRules::pointerMovedByDevice(double dx, double dy)
{
    endIf(takesPointer() && travel_.deviceMoved(dx, dy));
}

void InputRules::surfaceGone(const void* surface) { travel_.surfaceGone(surface); }

// Locked, what would end the saver brings the prompt instead.
void InputRules::endIf(bool ends)
{
    if (!ends)
        return;
    if (locked_)
        locked_->pressed();
    else
        endRequested_ = true;
}
