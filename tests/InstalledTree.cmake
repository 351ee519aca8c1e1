# Installs the build into a fresh prefix and runs the installed viewer from
# another folder: its libraries, plugins and assets must be found there as in
# the build tree. Then builds the Debian packages and checks their contents
# and lintian's verdict.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "install failed: ${installed}")
endif()
file(MAKE_DIRECTORY "${PREFIX}/elsewhere")
execute_process(COMMAND "${PREFIX}/bin/velmora_viewer" --screenshot shot.png --size 320x240
                WORKING_DIRECTORY "${PREFIX}/elsewhere"
                RESULT_VARIABLE ran ERROR_VARIABLE errors TIMEOUT 60)
if(NOT ran EQUAL 0 OR errors MATCHES "skipping|cannot")
  message(FATAL_ERROR "installed viewer: exit ${ran}\n${errors}")
endif()
file(READ "${PREFIX}/elsewhere/shot.png" signature LIMIT 4 HEX)
if(NOT signature STREQUAL "89504e47")
  message(FATAL_ERROR "installed viewer wrote no PNG picture")
endif()

# Every file each package holds, no more and no fewer: a stray build file
# would ship, a missing copyright or man page makes an unfit package.
set(velmora-compass
  usr/bin/velmora_viewer
  usr/lib/velmora/libvelmora_application.so
  usr/lib/velmora/libvelmora_qtapplication.so
  usr/lib/velmora/libvelmora_sceneutils.so
  usr/lib/velmora/libvelmora_terrain.so
  usr/lib/velmora/libvelmora_utils.so
  usr/lib/velmora/libvelmora_widget.so
  usr/lib/velmora/plugins/libvelmora_compass_widget_plugin.so
  usr/share/applications/velmora-viewer.desktop
  usr/share/doc/velmora-compass/changelog.gz
  usr/share/doc/velmora-compass/copyright
  usr/share/icons/hicolor/256x256/apps/velmora-viewer.png
  usr/share/man/man1/velmora_viewer.1.gz
  usr/share/velmora/icons/flag_blue.png
  usr/share/velmora/images/compass.png)
# The kit: every header of the host, the CMake package, no sources.
file(GLOB_RECURSE headers RELATIVE "${HOST_DIR}" "${HOST_DIR}/*.h")
list(TRANSFORM headers PREPEND usr/include/)
set(velmora-compass-dev ${headers}
  usr/lib/cmake/VelmoraHost/VelmoraHostConfig.cmake
  usr/lib/cmake/VelmoraHost/VelmoraHostConfigVersion.cmake
  usr/lib/cmake/VelmoraHost/VelmoraHostTargets-${CONFIG}.cmake
  usr/lib/cmake/VelmoraHost/VelmoraHostTargets.cmake
  usr/share/doc/velmora-compass-dev/changelog.gz
  usr/share/doc/velmora-compass-dev/copyright
  usr/share/doc/velmora-compass-dev/writing-plugins.md)
list(SORT velmora-compass-dev)

set(packages "${PREFIX}-packages")
file(REMOVE_RECURSE "${packages}")
execute_process(COMMAND "${CPACK}" -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${packages}"
                RESULT_VARIABLE packed OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT packed EQUAL 0)
  message(FATAL_ERROR "cpack failed: ${packed}\n${output}")
endif()
foreach(package velmora-compass velmora-compass-dev)
  file(GLOB deb "${packages}/${package}_*.deb")
  execute_process(COMMAND dpkg-deb --fsys-tarfile "${deb}" COMMAND tar -t
                  OUTPUT_VARIABLE listing RESULT_VARIABLE listed)
  string(REGEX REPLACE "[^\n]*/\n" "" listing "${listing}")
  string(REPLACE "./" "" listing "${listing}")
  string(REPLACE "\n" ";" listing "${listing}")
  list(REMOVE_ITEM listing "")
  list(SORT listing)
  if(NOT listed EQUAL 0 OR NOT listing STREQUAL "${${package}}")
    list(JOIN listing "\n  " listing)
    list(JOIN ${package} "\n  " expected)
    message(FATAL_ERROR "${package} holds\n  ${listing}\ninstead of\n  ${expected}")
  endif()
  list(APPEND debs "${deb}")
endforeach()
execute_process(COMMAND lintian --fail-on error ${debs} RESULT_VARIABLE linted OUTPUT_VARIABLE verdict)
if(NOT linted EQUAL 0)
  message(FATAL_ERROR "lintian finds errors:\n${verdict}")
endif()
