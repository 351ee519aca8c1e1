# Installs the build into a fresh prefix and runs the installed viewer: its
# libraries, plugins and assets must be found there as in the build tree.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "install failed: ${installed}")
endif()
foreach(file share/velmora/images/compass.png share/velmora/icons/flag_blue.png
             lib/velmora/plugins/libvelmora_compass_widget_plugin.so)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
execute_process(COMMAND "${PREFIX}/bin/velmora_viewer" --frames 5 --size 320x240
                RESULT_VARIABLE ran ERROR_VARIABLE errors TIMEOUT 60)
if(NOT ran EQUAL 0 OR errors MATCHES "skipping")
  message(FATAL_ERROR "installed viewer: exit ${ran}\n${errors}")
endif()
