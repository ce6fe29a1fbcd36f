# Cross build for 32-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-i686).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(mingw_prefix i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# MinGW's start-up resets the x87 unit to 64-bit extended precision; its
# CRT_fp8 object instead calls msvcrt's _fpreset, which sets 53 bits (what
# Windows gives every new thread), so doubles round as doubles.
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -l:CRT_fp8.o")

# Windows 95 and NT 4 refuse an image whose subsystem version is above 4.0
# ("not a valid Win32 application"). It is ld's default today; newer binutils
# raise it, so it is set here rather than inherited.
set(pe_version_4 "-Wl,--major-subsystem-version,4,--minor-subsystem-version,0,--major-os-version,4,--minor-os-version,0")
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " ${pe_version_4}")
string(APPEND CMAKE_SHARED_LINKER_FLAGS_INIT " ${pe_version_4}")
