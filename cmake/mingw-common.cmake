# Shared by the MinGW toolchain files; mingw_prefix names the target triplet.
set(CMAKE_C_COMPILER ${mingw_prefix}-gcc)
set(CMAKE_CXX_COMPILER ${mingw_prefix}-g++)
set(CMAKE_RC_COMPILER ${mingw_prefix}-windres)
set(CMAKE_AR ${mingw_prefix}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${mingw_prefix}-ranlib CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${mingw_prefix}-objdump CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every executable and DLL carries its C and C++ runtimes: a saver is copied
# alone into the Windows folder, and the test programs run in a bare prefix.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The test programs run under Wine; WINE_LOADER picks the loader that matches
# the target's word size.
if(mingw_prefix MATCHES "^x86_64")
  set(CASCADE_WINE_LOADER /usr/lib/wine/wine64)
else()
  set(CASCADE_WINE_LOADER /usr/lib/wine/wine)
endif()
