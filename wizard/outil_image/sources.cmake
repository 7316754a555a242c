# The image tool runs the program's own reader and walk: their sources, for the native build
# (wizard/image.cmake) and the host build of a cross build (CMakeLists.txt here).
set(ZANTREL_SOURCES_OUTIL_IMAGE
    ${CMAKE_CURRENT_LIST_DIR}/hex_vers_table.cpp
    ${CMAKE_CURRENT_LIST_DIR}/verification_image.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../lecture_hex.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../parcours_image.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../../link/hex_vers_octet.cpp)
