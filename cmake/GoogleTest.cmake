# GoogleTest: the system package natively; built from Debian's sources for the MinGW trees.
if(CMAKE_CROSSCOMPILING)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Its own sources are not ours to keep warning-free.
  foreach(t gtest gtest_main)
    target_compile_options(${t} PRIVATE -w)
  endforeach()
  # GoogleTest's own build defines the GTest:: aliases.
else()
  find_package(GTest REQUIRED)
endif()
