// The display host: the program's side of the shell's window hook.
#pragma once

#include <windows.h>

extern RECT clientRect;
extern int viewWidth;
extern int viewHeight;
// The handles of the window's WGL context, from creation until destruction.
extern HDC windowDC;
extern HGLRC glContext;
