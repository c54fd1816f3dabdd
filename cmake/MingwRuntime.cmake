# The program, the framework and LUMKIT share one C++ runtime: mingw's
# libstdc++, libgcc and winpthread DLLs, copied beside the binaries.
set(MINGW_RUNTIME_DLLS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
file(MAKE_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
foreach(dll IN LISTS MINGW_RUNTIME_DLLS)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    find_file(path_${dll} ${dll} PATHS /usr/${MINGW_PREFIX}/lib /usr/${MINGW_PREFIX}/bin NO_DEFAULT_PATH)
    set(path "${path_${dll}}")
  endif()
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "mingw runtime ${dll} not found")
  endif()
  configure_file(${path} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${dll} COPYONLY)
endforeach()
