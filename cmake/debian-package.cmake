# Installs the Linux program where Debian 12's XScreenSaver, man and desktop
# look for a screen saver, and describes the Debian package that CPack builds
# from that installation (scripts/package.sh runs it on a release build).
# Included from linux/CMakeLists.txt, where the cascade target is defined.

# The project answers for the package, as the changelog's sign-off does.
set(CASCADE_PACKAGE_MAINTAINER "The Cascade developers <dev@cascade.invalid>")

# Relative destinations: CPack installs under /usr for a .deb.
install(TARGETS cascade RUNTIME DESTINATION libexec/xscreensaver)
# A stripped install (CPack's) drops what Debian's dh_strip drops beyond the
# symbols: the compilers' .comment notes.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/libexec/xscreensaver/cascade\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()")
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/cascade.xml DESTINATION share/xscreensaver/config)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/cascade.desktop DESTINATION share/applications/screensavers)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${CMAKE_CURRENT_SOURCE_DIR}/copyright
        DESTINATION share/doc/cascade)

# The manual page carries the version; Debian wants it compressed with -9 and
# without a time stamp (-n) so that rebuilds give the same bytes.
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/cascade.6 ${CMAKE_CURRENT_BINARY_DIR}/cascade.6 @ONLY)
find_program(CASCADE_GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/cascade.6.gz
  COMMAND ${CASCADE_GZIP} -9nf -k ${CMAKE_CURRENT_BINARY_DIR}/cascade.6
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/cascade.6
  COMMENT "Compressing the manual page")
# A native package's changelog goes in as changelog.gz, compressed the same way.
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog COPYONLY)
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
  COMMAND ${CASCADE_GZIP} -9nf -k ${CMAKE_CURRENT_BINARY_DIR}/changelog
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog
  COMMENT "Compressing the changelog")
add_custom_target(cascade_manpage ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/cascade.6.gz)
add_custom_target(cascade_changelog ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/cascade.6.gz DESTINATION share/man/man6)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION share/doc/cascade)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cascade)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CASCADE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps works out Depends from the libraries the program links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Runs without it (in a window, or headless), but it is made for it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xscreensaver)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "OpenGL screen saver: streaks of light pouring over an edge")
# One line each, wrapped as dpkg shows them; the empty line starts a paragraph.
set(CPACK_PACKAGE_DESCRIPTION [[
Six thousand thin, bright streaks flow along an upper level towards you,
drop over a wavy edge, fall, bounce on the floor and are respawned at the
far end, while the camera sways, rises and turns slowly inside a dim half
shell of stars.

Cascade is a display mode for XScreenSaver: the program and its settings
file go where XScreenSaver looks for them, and the manual page says how to
pick it. It also runs in a window of its own, full screen, or without any
display, saving its picture as a PNG file. It draws with OpenGL 1.1 and
needs a working OpenGL driver; Mesa's software renderer will do.]])
include(CPack)
