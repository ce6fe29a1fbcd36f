# Asserts what `objdump -p` shows of the product: a GUI image for the right
# machine that imports only DLLs every Windows has (no MinGW runtime DLL).
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

# The 32-bit start-up sets the x87 unit to double precision through msvcrt's
# _fpreset (MinGW's CRT_fp8); without it the unit would run at 64 bits.
if(POINTER_SIZE EQUAL 4 AND NOT dump MATCHES "DLL Name: msvcrt.dll\n[^D]*[0-9a-f]+\t +[0-9]+  _fpreset\n")
  message(FATAL_ERROR "${IMAGE} does not call msvcrt's _fpreset at start-up")
endif()
message(STATUS "${IMAGE}: ${format}, ${magic}, GUI, imports ${imported}")
