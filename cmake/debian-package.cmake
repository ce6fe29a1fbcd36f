# Installs the Linux program on PATH, with a link where Debian 12's
# XScreenSaver looks for its display modes, its pages where man and the
# desktop look, and describes the Debian package that CPack builds
# from that installation (scripts/package.sh runs it on a release build).
# Included from linux/CMakeLists.txt, where the cascade target is defined;
# the files it installs beside the programs are in linux/package/.

set(cascade_package_files ${CMAKE_CURRENT_SOURCE_DIR}/package)

# The project answers for the package, as the changelog's sign-off does.
set(CASCADE_PACKAGE_MAINTAINER "The Cascade developers <dev@cascade.invalid>")

# Relative destinations: CPack installs under /usr for a .deb.
install(TARGETS cascade RUNTIME DESTINATION bin)
# XScreenSaver runs display modes from its own folder: a relative link there,
# so that one file answers both to a user's `cascade` and to the daemon, and
# /proc/self/exe names /usr/bin/cascade whichever way it was started.
file(CREATE_LINK ../../bin/cascade ${CMAKE_CURRENT_BINARY_DIR}/xscreensaver-cascade SYMBOLIC)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/xscreensaver-cascade DESTINATION libexec/xscreensaver RENAME cascade)
install(TARGETS cascade-add-to-xscreensaver RUNTIME DESTINATION bin)
# A stripped install (CPack's) drops what Debian's dh_strip drops beyond the
# symbols: the compilers' .comment notes.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program bin/cascade bin/cascade-add-to-xscreensaver bin/cascade-settings)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${program}\"
                      COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()")
install(FILES ${cascade_package_files}/cascade.xml DESTINATION share/xscreensaver/config)
install(FILES ${cascade_package_files}/cascade.desktop DESTINATION share/applications/screensavers)
# The settings window, found in every desktop's app list and software centre,
# with its icon drawn from the scene (scripts/make_icons.sh).
set(cascade_app_id invalid.cascade.screensaver)
install(FILES ${cascade_package_files}/${cascade_app_id}.desktop DESTINATION share/applications)
install(FILES ${cascade_package_files}/${cascade_app_id}.metainfo.xml DESTINATION share/metainfo)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${cascade_package_files}/icons/${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME ${cascade_app_id}.png)
endforeach()
# The PAM service the lock checks passwords under; a conffile, so that an
# administrator's changes survive upgrades.
install(FILES ${cascade_package_files}/pam/cascade DESTINATION /etc/pam.d)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${cascade_package_files}/pam/conffiles)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${cascade_package_files}/copyright
        DESTINATION share/doc/cascade)

# The manual pages carry the version. Debian wants them, and a native
# package's changelog, compressed with -9 and without a time stamp (-n) so
# that rebuilds give the same bytes.
find_program(CASCADE_GZIP gzip REQUIRED)
function(cascade_compressed file destination target)
  configure_file(${cascade_package_files}/${file} ${CMAKE_CURRENT_BINARY_DIR}/${file} @ONLY)
  add_custom_command(
    OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${file}.gz
    COMMAND ${CASCADE_GZIP} -9nf -k ${CMAKE_CURRENT_BINARY_DIR}/${file}
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${file}
    COMMENT "Compressing ${file}")
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${file}.gz DESTINATION ${destination})
  set_property(TARGET ${target} APPEND PROPERTY SOURCES ${CMAKE_CURRENT_BINARY_DIR}/${file}.gz)
endfunction()
add_custom_target(cascade_manpage ALL)
add_custom_target(cascade_changelog ALL)
cascade_compressed(cascade.6 share/man/man6 cascade_manpage)
cascade_compressed(cascade-add-to-xscreensaver.1 share/man/man1 cascade_manpage)
cascade_compressed(cascade-settings.1 share/man/man1 cascade_manpage)
cascade_compressed(changelog share/doc/cascade cascade_changelog)

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
# Its watcher starts it on idle by itself; swayidle is another way on wlroots
# compositors.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS swayidle)
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
file go where XScreenSaver looks for them. Installing it changes no one's
list of display modes: each user who wants it there runs
cascade-add-to-xscreensaver once.

On Wayland desktops (GNOME, KDE Plasma, sway, Hyprland, labwc, river) it
runs natively, covering every output, and starts itself when the session
is idle: its watcher listens to GNOME's idle monitor or the compositor's
idle protocol, and one command starts the watcher at each login. It also
runs in a window of its own, or without any
display, saving its picture as a PNG file. It draws with OpenGL 1.1 and
needs a working OpenGL driver; Mesa's software renderer will do.]])
include(CPack)
