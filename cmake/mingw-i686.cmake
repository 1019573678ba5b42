# Cross build for 32-bit Windows, the program's own platform.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KORVALE_MINGW_PREFIX i686-w64-mingw32)
set(KORVALE_WINE wine CACHE STRING "Runs the 32-bit Windows programs")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# Double arithmetic in SSE registers, as on every other platform, not in the x87's wider ones.
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
