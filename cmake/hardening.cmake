# Native Linux builds are hardened the way Debian builds its packages
# (dpkg-buildflags with hardening=+all): stack protector and stack-clash
# probes, control-flow protection on x86, format checks, read-only
# relocations resolved at start-up. Fortify needs the optimiser, so it is
# given to optimised builds only. Sanitizer and fuzz builds keep their own
# instrumentation; the Windows cross builds keep theirs too (MinGW's
# fortify and stack protector pull in a DLL the saver must not need).
if(WIN32 OR CASCADE_SANITIZE OR CASCADE_FUZZ)
  return()
endif()

add_compile_options(-fstack-protector-strong -fstack-clash-protection
                    -Wformat -Werror=format-security
                    "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-D_FORTIFY_SOURCE=2>")
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|i[3-6]86)$")
  add_compile_options(-fcf-protection)
endif()
add_link_options(-Wl,-z,relro -Wl,-z,now)
