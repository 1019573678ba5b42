# Shared by the mingw-w64 toolchain files: each sets KORVALE_MINGW_PREFIX first.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model: std::thread and std::mutex, which GoogleTest needs.
set(CMAKE_C_COMPILER ${KORVALE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVALE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVALE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KORVALE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained executable: no libgcc, libstdc++ or winpthread DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest runs every Windows test program through Wine; test discovery waits for ctest too,
# where the Wine prefix and the display are set up.
set(CMAKE_CROSSCOMPILING_EMULATOR ${KORVALE_WINE})
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
