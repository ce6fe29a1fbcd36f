#include "linux/wayland/input_rules.h"

void InputRules::keyPressed(bool quitsWindow) { endIf(takesPointer() || quitsWindow); }

void InputRules::keyTyped(std::uint32_t symbol, const char* text)
{
    if (locked_)
        locked_->keyTyped(symbol, text);
}

void InputRules::buttonPressed()
{
    if (locked_)
        locked_->pressed();
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

void InputRules::endIf(bool ends)
{
    if (ends && !locked_)
        endRequested_ = true;
}
