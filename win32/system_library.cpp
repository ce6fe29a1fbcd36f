#include "win32/system_library.h"

HMODULE loadSystemLibrary(const char* fileName)
{
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    const size_t nameLength = lstrlenA(fileName);
    const bool needsSlash = path[length - 1] != '\\';
    if (length + (needsSlash ? 1 : 0) + nameLength >= MAX_PATH)
        return nullptr;
    char* end = path + length;
    if (needsSlash)
        *end++ = '\\';
    lstrcpyA(end, fileName);
    return LoadLibraryA(path);
}
