# The embedded firmware: the HEX file that version_image.cmake found becomes the table
# ImageFirmware when the program is built. Shipping another firmware is replacing that file.
set_property(GLOBAL PROPERTY ZANTREL_HEX_FIRMWARE ${ZANTREL_HEX_FIRMWARE})
set(_image_cpp ${CMAKE_CURRENT_BINARY_DIR}/image_firmware.cpp)

if(NOT CMAKE_CROSSCOMPILING)
    include(${CMAKE_CURRENT_LIST_DIR}/outil_image/sources.cmake)
    add_executable(hex_vers_table ${ZANTREL_SOURCES_OUTIL_IMAGE})
    target_include_directories(hex_vers_table PRIVATE ${CMAKE_CURRENT_LIST_DIR}/.. ${ZANTREL_GENERE})
    set(_outil_image $<TARGET_FILE:hex_vers_table>)
    set(_outil_image_cible hex_vers_table)
else()
    # The target's compiler cannot make a tool for this machine: build it apart with the host's.
    include(ExternalProject)
    set(_outil_dossier ${CMAKE_CURRENT_BINARY_DIR}/outil_image_hote)
    set(_outil_image ${_outil_dossier}/hex_vers_table${CMAKE_HOST_EXECUTABLE_SUFFIX})
    ExternalProject_Add(hex_vers_table_hote
        SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/outil_image
        BINARY_DIR ${_outil_dossier}
        CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DZANTREL_GENERE=${ZANTREL_GENERE}
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON
        BUILD_BYPRODUCTS ${_outil_image})
    set(_outil_image_cible hex_vers_table_hote ${_outil_image})
endif()

add_custom_command(OUTPUT ${_image_cpp}
    COMMAND ${_outil_image} ${ZANTREL_HEX_FIRMWARE} ${_image_cpp}
    DEPENDS ${ZANTREL_HEX_FIRMWARE} ${_outil_image_cible}
    COMMENT "Embedding the firmware image"
    VERBATIM)
target_sources(zantrel_coeur PRIVATE ${_image_cpp} ${CMAKE_CURRENT_LIST_DIR}/parcours_image.cpp
    ${CMAKE_CURRENT_LIST_DIR}/parcours_image_embarquee.cpp ${CMAKE_CURRENT_LIST_DIR}/lecture_hex.cpp)
