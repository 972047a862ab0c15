# The release build of the 32-bit programs: the toolchain of the development trees with the win32 thread
# model, whose C++ runtime needs no winpthread library (25 KB in each program; they start no threads).
# GoogleTest needs the posix model (std::mutex), so release trees build no tests.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
