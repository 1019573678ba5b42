# Cross build of the same sources for 64-bit Windows. It runs where Wine cannot start 32-bit
# programs (a kernel without 32-bit support): Debian keeps the 64-bit loader in /usr/lib/wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KORVALE_MINGW_PREFIX x86_64-w64-mingw32)
find_program(KORVALE_WINE NAMES wine64 wine PATHS /usr/lib/wine DOC "Runs the 64-bit Windows programs")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
