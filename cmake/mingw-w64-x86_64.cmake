# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (the POSIX
# thread model, g++-mingw-w64-x86-64-posix). Programs and libraries are taken
# from the target's own tree only, never from the host's /usr.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(Z5_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${Z5_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${Z5_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${Z5_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${Z5_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
