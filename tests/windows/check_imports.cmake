# Asserts what `objdump -p` shows of the product: a GUI image for the right
# machine that imports only DLLs every Windows has (no MinGW runtime DLL), and
# of the 32-bit one, that Windows 95 and NT 4 can load it.
execute_process(COMMAND ${OBJDUMP} -p ${IMAGE} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${IMAGE}")
endif()

if(POINTER_SIZE EQUAL 4)
  set(format "file format pei-i386")
  set(magic "(PE32)")
else()
  set(format "file format pei-x86-64")
  set(magic "(PE32+)")
endif()
foreach(fact "${format}" "${magic}" "(Windows GUI)")
  string(FIND "${dump}" "${fact}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${IMAGE}: objdump -p does not show ${fact}")
  endif()
endforeach()

string(REGEX MATCHALL "DLL Name: [^\n]+" names "${dump}")
set(imported)
foreach(line ${names})
  string(REGEX REPLACE "DLL Name: *" "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOUPPER "${dll}" dll)
  list(APPEND imported ${dll})
endforeach()
list(REMOVE_DUPLICATES imported)
list(SORT imported)
# OpenGL and GLU are loaded at run time from the system directory, never
# imported: the loader would take copies planted beside the saver first.
set(expected ADVAPI32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL)
if(NOT imported STREQUAL expected)
  message(FATAL_ERROR "${IMAGE} imports ${imported}, expected exactly ${expected}")
endif()

if(POINTER_SIZE EQUAL 4)
  # Windows 95 and NT 4 load nothing newer than 4.0.
  foreach(field MajorSubsystemVersion MinorSubsystemVersion MajorOSystemVersion MinorOSystemVersion)
    string(REGEX MATCH "\n${field}\t+([0-9]+)\n" line "${dump}")
    set(version ${CMAKE_MATCH_1})
    string(REGEX MATCH "^Major" major "${field}")
    if((major AND NOT version STREQUAL "4") OR (NOT major AND NOT version STREQUAL "0"))
      message(FATAL_ERROR "${IMAGE}: ${field} is '${version}', Windows 95 and NT 4 need 4.0")
    endif()
  endforeach()

  # Every function the 32-bit product imports, per DLL. A DLL name alone
  # proves nothing: a toolchain update that brings in a function Windows 95
  # OSR2 or NT 4 SP6 lacks makes the loader refuse the whole file there.
  # Before adding a newcomer, make sure that DLL exports it on both: the
  # Win32 SDK references of 1996-98 ("Windows 95: Yes, Windows NT: Requires
  # version 3.1 or later"; today's pages say "Windows 2000" for nearly
  # everything and prove nothing), or the export table of the DLL itself
  # (msvcrt.dll 4.x for the C runtime: __iob_func and the secure *_s
  # functions, for two, are later). Most wide-character KERNEL32 functions
  # exist on Windows 95 only as stubs that fail: one is fine only where its
  # caller copes with that. Otherwise stop the caller from importing it.
  set(allowed_ADVAPI32.DLL RegCloseKey RegOpenKeyA RegQueryValueExA)
  set(allowed_GDI32.DLL ChoosePixelFormat GetClipBox GetStockObject SetPixelFormat SwapBuffers)
  set(allowed_KERNEL32.DLL
    CloseHandle CreateSemaphoreW DeleteCriticalSection EnterCriticalSection ExitProcess FreeLibrary
    GetCommandLineA GetCurrentThreadId GetLastError GetModuleHandleA GetModuleHandleW GetProcAddress
    GetStartupInfoA GetSystemDirectoryA GetSystemTimeAsFileTime GetTickCount GetTimeZoneInformation
    GetVersionExA InitializeCriticalSection IsDBCSLeadByteEx LeaveCriticalSection LoadLibraryA
    MultiByteToWideChar QueryPerformanceCounter QueryPerformanceFrequency ReleaseSemaphore SetLastError
    SetUnhandledExceptionFilter Sleep TlsAlloc TlsFree TlsGetValue TlsSetValue VirtualProtect VirtualQuery
    WaitForSingleObject WideCharToMultiByte lstrcpyA lstrlenA)
  set(allowed_MSVCRT.DLL
    __getmainargs __initenv __mb_cur_max __p__acmdln __p__commode __p__fmode __set_app_type
    __setusermatherr _amsg_exit _cexit _errno _fpreset _initterm _iob _onexit abort atoi calloc exit
    fprintf fputc fputs free fwrite localeconv malloc memcpy memset realloc setlocale signal strchr strcmp
    strcpy strerror strlen strncmp vfprintf wcslen)
  set(allowed_USER32.DLL
    CharNextA CreateWindowExA DefWindowProcA DestroyWindow DialogBoxParamA DispatchMessageA EndDialog
    FindWindowA GetClientRect GetCursorPos GetDC GetForegroundWindow GetMessageA GetParent IsWindow
    KillTimer LoadIconA PeekMessageA PostMessageA PostQuitMessage RegisterClassA RegisterWindowMessageA
    ReleaseDC SendMessageA SetCursor SetForegroundWindow SetTimer SystemParametersInfoA TranslateMessage)

  # objdump -p lists each DLL's name, then one line per function:
  # a tab, the thunk address, a tab, the hint, two spaces, the name.
  string(REGEX MATCHALL "DLL Name: [^\n]+|\n\t[0-9a-f]+\t +[0-9]+  [^\n]+" entries "${dump}")
  set(functions 0)
  set(newcomers)
  foreach(entry ${entries})
    if(entry MATCHES "^DLL Name: *([^ ]+)")
      string(TOUPPER "${CMAKE_MATCH_1}" dll)
    elseif(entry MATCHES "  ([^ ]+)$")
      set(function ${CMAKE_MATCH_1})
      math(EXPR functions "${functions} + 1")
      list(FIND allowed_${dll} ${function} at)
      if(at EQUAL -1)
        list(APPEND newcomers "${dll}!${function}")
      endif()
    endif()
  endforeach()
  set(functions_read ", ${functions} functions, all of them allowed")
  if(functions LESS 50)
    message(FATAL_ERROR "${IMAGE}: only ${functions} imported functions read from objdump -p")
  endif()
  if(newcomers)
    list(JOIN newcomers "\n  " newcomers)
    message(FATAL_ERROR "${IMAGE} imports functions not known to exist on Windows 95 OSR2 and NT 4 "
                        "(see the list's comment in ${CMAKE_CURRENT_LIST_FILE}):\n  ${newcomers}")
  endif()
endif()

# The 32-bit start-up sets the x87 unit to double precision through msvcrt's
# _fpreset (MinGW's CRT_fp8); without it the unit would run at 64 bits.
if(POINTER_SIZE EQUAL 4 AND NOT dump MATCHES "DLL Name: msvcrt.dll\n[^D]*[0-9a-f]+\t +[0-9]+  _fpreset\n")
  message(FATAL_ERROR "${IMAGE} does not call msvcrt's _fpreset at start-up")
endif()
message(STATUS "${IMAGE}: ${format}, ${magic}, GUI, imports ${imported}${functions_read}")
