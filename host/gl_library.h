// OpenGL and GLU, loaded at run time from the system directory only.
//
// Neither opengl32.dll nor glu32.dll is a known DLL, so a static import would
// take a copy of either from the saver's own folder first: one planted beside
// a downloaded saver would run. And a system without OpenGL would refuse to
// start the saver at all, with a loader message.
#pragma once

#include <windows.h>

struct WGLEntryPoints {
    HGLRC(WINAPI* createContext)(HDC);
    BOOL(WINAPI* makeCurrent)(HDC, HGLRC);
    BOOL(WINAPI* deleteContext)(HGLRC);
};

// Loads both libraries by full path and resolves every entry point the saver
// uses; the first call decides for the process. False, with nothing left
// loaded, when a library or any entry point is missing.
bool loadGLLibraries();
// The WGL functions of the loaded opengl32.dll (all null without it).
const WGLEntryPoints& wglEntryPoints();
// Hands the resolved GL and GLU functions to the plain-named ones, or takes
// them away. On only while a context is current: GLU called without one
// reaches into an OpenGL that has nothing to work on.
void enableGLCalls(bool on);
bool glCallsEnabled();
