# The download for Windows users, cascade-<version>-windows.zip: cascade.scr,
# README.txt and LICENSE, the two texts with Windows line ends so that
# Notepad shows them as lines. scripts/package.sh builds the target
# windows_download and copies the zip to build/packages.
#
# Included from shell/CMakeLists.txt, where the cascade target is defined, it
# adds that target; run with cmake -P by that target, it makes the zip:
#     cmake -DSCR=... -DREADME=... -DLICENSE=... -DZIP=... -P windows-download.cmake

if(NOT CMAKE_SCRIPT_MODE_FILE)
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/README.txt ${CMAKE_CURRENT_BINARY_DIR}/README.txt @ONLY)
  set(CASCADE_WINDOWS_DOWNLOAD ${CMAKE_BINARY_DIR}/download/cascade-${PROJECT_VERSION}-windows.zip)
  # Made whenever the target is built: LICENSE may come or go, and no rule
  # should hide its absence behind an old zip.
  add_custom_target(windows_download
    COMMAND ${CMAKE_COMMAND} -DSCR=$<TARGET_FILE:cascade> -DREADME=${CMAKE_CURRENT_BINARY_DIR}/README.txt
            -DLICENSE=${PROJECT_SOURCE_DIR}/LICENSE -DZIP=${CASCADE_WINDOWS_DOWNLOAD}
            -P ${CMAKE_CURRENT_LIST_FILE}
    DEPENDS cascade
    COMMENT "Packing ${CASCADE_WINDOWS_DOWNLOAD}")
  return()
endif()

if(NOT EXISTS "${LICENSE}")
  message(FATAL_ERROR "${LICENSE} is missing: the Windows download must carry the licence")
endif()

get_filename_component(stage "${ZIP}.files" ABSOLUTE)
file(REMOVE_RECURSE "${stage}")
file(REMOVE "${ZIP}")
file(MAKE_DIRECTORY "${stage}")
file(COPY_FILE "${SCR}" "${stage}/cascade.scr")
foreach(text README LICENSE)
  get_filename_component(name "${${text}}" NAME)
  file(READ "${${text}}" content)
  string(REPLACE "\r\n" "\n" content "${content}")
  string(REPLACE "\n" "\r\n" content "${content}")
  file(WRITE "${stage}/${name}" "${content}")
endforeach()
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf "${ZIP}" --format=zip cascade.scr README.txt LICENSE
  WORKING_DIRECTORY "${stage}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not write ${ZIP}")
endif()
file(REMOVE_RECURSE "${stage}")
