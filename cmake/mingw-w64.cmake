# Cross-build for 64-bit Windows with MinGW-w64 (the -posix compilers, for std::thread).
# Programs are linked statically so that they run under Wine without any DLL beside them (but for
# the wizard, which shares the runtime libraries of Qt's).
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

# Qt for MinGW (scripts/qt-mingw), when the wizard is built: searched as the MinGW files are.
if(ZANTREL_QT_MINGW)
    list(APPEND CMAKE_FIND_ROOT_PATH ${ZANTREL_QT_MINGW})
endif()

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Lets ctest and test discovery run the Windows programs here.
find_program(ZANTREL_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(ZANTREL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${ZANTREL_WINE})
endif()
