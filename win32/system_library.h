// Loading one of the system's own DLLs at run time.
#pragma once

#include <windows.h>

// LoadLibraryA of a file in the system directory, never the search order: a
// file of the same name planted beside the saver or in the current
// directory must never be loaded. Null when the path does not fit or the
// library does not load.
HMODULE loadSystemLibrary(const char* fileName);
