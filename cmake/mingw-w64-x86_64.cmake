# Cross-building for 64-bit Windows on Debian with MinGW-w64 and its posix thread model
# (g++-mingw-w64-x86-64-posix), which std::thread and std::mutex need.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TALVEX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TALVEX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TALVEX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TALVEX_MINGW_TRIPLE}-windres)

# Headers and libraries come from the MinGW-w64 tree (and the prefixes given with
# CMAKE_PREFIX_PATH), programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${TALVEX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs built here run on the build machine under Wine (Debian's wine64): the tests.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
