# Cross build for 64-bit Windows with mingw-w64 (posix threads). The tests of
# this build run under the 64-bit Wine through the wine-run wrapper.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
