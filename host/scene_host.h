// The display host: the program's side of the shell's window hook.
#pragma once

#include <windows.h>

extern RECT clientRect;
extern int viewWidth;
extern int viewHeight;
extern HDC windowDC;
extern HGLRC glContext;

// Sets the fixed GL state, then starts the scene at the creation size.
void setFixedGLStateAndStartScene();
