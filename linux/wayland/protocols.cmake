# The Wayland protocols the Linux front speaks beyond the core one, turned
# into C by wayland-scanner at build time: xdg-shell, xdg-decoration and the
# relative pointer from the descriptions Debian's wayland-protocols installs,
# the wlr ones and the virtual keyboard the tests type with from copies in
# protocols/ (no Debian 12 package installs them at a lasting path). Defines
# cascade_wayland_protocols, whose include directory holds the generated
# client headers, and CASCADE_WLR_PROTOCOLS_DIR.
find_package(PkgConfig REQUIRED)
pkg_check_modules(CASCADE_WAYLAND REQUIRED IMPORTED_TARGET wayland-client wayland-egl xkbcommon)
pkg_get_variable(CASCADE_WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
pkg_get_variable(CASCADE_WAYLAND_SCANNER wayland-scanner wayland_scanner)
if(NOT CASCADE_WAYLAND_PROTOCOLS_DIR OR NOT CASCADE_WAYLAND_SCANNER)
  message(FATAL_ERROR "the Wayland front needs wayland-protocols and wayland-scanner (libwayland-dev)")
endif()
set(CASCADE_WLR_PROTOCOLS_DIR ${CMAKE_CURRENT_LIST_DIR}/protocols)

set(cascade_protocol_dir ${CMAKE_CURRENT_BINARY_DIR}/wayland-protocols)
file(MAKE_DIRECTORY ${cascade_protocol_dir})
set(cascade_protocol_sources)
function(cascade_wayland_protocol name xml)
  set(header ${cascade_protocol_dir}/${name}-client-protocol.h)
  set(code ${cascade_protocol_dir}/${name}-protocol.c)
  add_custom_command(
    OUTPUT ${header} ${code}
    COMMAND ${CASCADE_WAYLAND_SCANNER} client-header ${xml} ${header}
    COMMAND ${CASCADE_WAYLAND_SCANNER} private-code ${xml} ${code}
    DEPENDS ${xml}
    COMMENT "Generating the ${name} protocol")
  set(cascade_protocol_sources ${cascade_protocol_sources} ${header} ${code} PARENT_SCOPE)
endfunction()
cascade_wayland_protocol(xdg-shell ${CASCADE_WAYLAND_PROTOCOLS_DIR}/stable/xdg-shell/xdg-shell.xml)
cascade_wayland_protocol(xdg-decoration-unstable-v1
  ${CASCADE_WAYLAND_PROTOCOLS_DIR}/unstable/xdg-decoration/xdg-decoration-unstable-v1.xml)
cascade_wayland_protocol(relative-pointer-unstable-v1
  ${CASCADE_WAYLAND_PROTOCOLS_DIR}/unstable/relative-pointer/relative-pointer-unstable-v1.xml)
# The idle watcher's two protocols: ext-idle-notify from wayland-protocols'
# staging, KDE's older one from Debian's plasma-wayland-protocols.
cascade_wayland_protocol(ext-idle-notify-v1
  ${CASCADE_WAYLAND_PROTOCOLS_DIR}/staging/ext-idle-notify/ext-idle-notify-v1.xml)
find_file(CASCADE_KDE_IDLE_XML idle.xml PATHS /usr/share/plasma-wayland-protocols NO_DEFAULT_PATH)
if(NOT CASCADE_KDE_IDLE_XML)
  message(FATAL_ERROR "the idle watcher needs KDE's idle protocol (plasma-wayland-protocols)")
endif()
cascade_wayland_protocol(kde-idle ${CASCADE_KDE_IDLE_XML})
# Frames drawn smaller than their surface, scaled by the compositor.
cascade_wayland_protocol(viewporter ${CASCADE_WAYLAND_PROTOCOLS_DIR}/stable/viewporter/viewporter.xml)
# The lock: ext-session-lock from wayland-protocols' staging.
cascade_wayland_protocol(ext-session-lock-v1
  ${CASCADE_WAYLAND_PROTOCOLS_DIR}/staging/ext-session-lock/ext-session-lock-v1.xml)
cascade_wayland_protocol(wlr-layer-shell-unstable-v1 ${CASCADE_WLR_PROTOCOLS_DIR}/wlr-layer-shell-unstable-v1.xml)

add_library(cascade_wayland_protocols STATIC ${cascade_protocol_sources})
target_include_directories(cascade_wayland_protocols PUBLIC ${cascade_protocol_dir})
target_link_libraries(cascade_wayland_protocols PUBLIC PkgConfig::CASCADE_WAYLAND)
