# The MinGW-w64 cross-compilers for 64-bit Windows (the -posix ones, for std::thread) and where they
# find Windows files. Qt for MinGW (scripts/qt-mingw) is built with these alone.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZANTREL_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZANTREL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZANTREL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ZANTREL_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZANTREL_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
