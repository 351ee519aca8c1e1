# Builds the recording plugin on its own against the development kit in the
# tree the installed_tree test installed, as another team would build a
# plugin, and runs it in the installed viewer, which must call it every frame.
cmake_minimum_required(VERSION 3.25)
set(build "${PREFIX}-plugin")
file(REMOVE_RECURSE "${build}")
foreach(step "-S;${SOURCE};-B;${build};-DCMAKE_PREFIX_PATH=${PREFIX}" "--build;${build}")
  execute_process(COMMAND "${CMAKE_COMMAND}" ${step} RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(failed)
    message(FATAL_ERROR "plugin build (cmake ${step}) failed:\n${output}")
  endif()
endforeach()
execute_process(COMMAND "${CMAKE_COMMAND}" -E env "VELMORA_RECORDING_LOG=${build}/calls.txt"
                        "${PREFIX}/bin/velmora_viewer" --plugins "${build}/plugins" --frames 5 --size 320x240
                RESULT_VARIABLE ran ERROR_VARIABLE errors TIMEOUT 60)
file(STRINGS "${build}/calls.txt" calls)
if(NOT ran EQUAL 0 OR NOT "initialize=1" IN_LIST calls OR NOT calls MATCHES "frameUpdate=[1-9]"
   OR NOT calls MATCHES "frameRendered=[1-9]")
  message(FATAL_ERROR "the plugin built against the kit: exit ${ran}, calls ${calls}\n${errors}")
endif()
