# System DLLs that only commands need are loaded by their first call (delay loading): the program starts with
# fewer DLLs to map and bind, and its code still calls their functions directly.
#   sonorel_delay_load(<target> <PUBLIC|PRIVATE|INTERFACE> <dll>...)
# links the target with a delay-load import library for each DLL, made from MinGW-w64's own import library.
# The runtime's __delayLoadHelper2 (libmingwex) binds each function on its first call.
function(sonorel_delay_load target scope)
  foreach(dll IN LISTS ARGN)
    set(library sonorel_delay_${dll})
    if(NOT TARGET ${library})
      find_library(SONOREL_IMPORT_LIBRARY_${dll} NAMES ${dll} REQUIRED)
      set(output "${CMAKE_BINARY_DIR}/delayload/lib${dll}-delay.a")
      add_custom_command(OUTPUT "${output}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/delayload"
        COMMAND sh "${PROJECT_SOURCE_DIR}/cmake/delay-import-lib.sh" "${CMAKE_NM}" "${CMAKE_DLLTOOL}" "${CMAKE_AR}"
                "${SONOREL_IMPORT_LIBRARY_${dll}}" "${output}" "${CMAKE_SYSTEM_PROCESSOR}"
        DEPENDS "${PROJECT_SOURCE_DIR}/cmake/delay-import-lib.sh" "${SONOREL_IMPORT_LIBRARY_${dll}}"
        COMMENT "Delay-load import library for ${dll}.dll"
        VERBATIM)
      add_custom_target(${library}_file DEPENDS "${output}")
      add_library(${library} INTERFACE)
      target_link_libraries(${library} INTERFACE "${output}")
      add_dependencies(${library} ${library}_file)
    endif()
    target_link_libraries(${target} ${scope} ${library})
  endforeach()
endfunction()
