# Cross build for 32-bit Windows with mingw-w64 (posix threads): the release
# build. Its programs are not run here (this machine has no 32-bit Wine).
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
