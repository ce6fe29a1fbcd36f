// The path of a file beside a module (a DLL, or the program for nullptr):
// the test helpers keep their reports and partners next to themselves.
#pragma once

#include <windows.h>

// out: at least MAX_PATH + 32 characters; name at most 31.
inline void pathBesideModule(HMODULE module, const char* name, char* out)
{
    GetModuleFileNameA(module, out, MAX_PATH);
    char* slash = out;
    for (char* c = out; *c; ++c)
        if (*c == '\\')
            slash = c + 1;
    lstrcpyA(slash, name);
}
