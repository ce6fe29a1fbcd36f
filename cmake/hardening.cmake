# Native Linux builds are hardened with what Debian 12's dpkg-buildflags
# gives a package built with hardening=+all: stack protector, format checks,
# fortified libc calls, read-only relocations resolved at start-up (PIE is
# the compiler's default there). Fortify needs the optimiser, so only
# optimised builds get it. Sanitizer and fuzz builds keep their own
# instrumentation; the Windows cross builds keep theirs too (MinGW's fortify
# and stack protector pull in a DLL the saver must not need).
if(WIN32 OR CASCADE_SANITIZE OR CASCADE_FUZZ)
  return()
endif()

add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security
                    "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-D_FORTIFY_SOURCE=2>")
add_link_options(-Wl,-z,relro -Wl,-z,now)
