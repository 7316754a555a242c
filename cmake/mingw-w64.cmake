# Cross-build for 64-bit Windows with MinGW-w64.
# Programs are linked statically so that they run under Wine without any DLL beside them (but for
# the wizard, which shares the runtime libraries of Qt's).
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-compilateurs.cmake)

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
