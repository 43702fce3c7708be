# Cross build for 32-bit Windows with mingw-w64 (posix threads): the release
# build. Its tests run under the 32-bit Wine (wine32:i386) through the
# wine-run wrapper, on machines whose kernel runs 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
# SSE2 for arithmetic instead of the x87 unit: every Windows since 8 requires
# it, and it measured faster on the hardest 9x9 set (docs/performance.md).
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
