# The firmware the program carries is the one HEX file in resources/firmware/, and its name,
# Zantrel_P07_V<major>.<minor>.<revision>.hex, is the update's version: included before project(),
# it sets ZANTREL_HEX_FIRMWARE and ZANTREL_VERSION, or stops the build saying what is wrong.
set(_dossier_image ${CMAKE_CURRENT_LIST_DIR}/../resources/firmware)
cmake_path(NORMAL_PATH _dossier_image)
# Adding, removing or renaming a file there configures the build again.
file(GLOB _images LIST_DIRECTORIES false CONFIGURE_DEPENDS ${_dossier_image}/*.hex ${_dossier_image}/*.HEX)
list(REMOVE_DUPLICATES _images)
list(LENGTH _images _nombre_images)
if(_nombre_images EQUAL 0)
    message(FATAL_ERROR "no firmware image: put Zantrel_P07_V<major>.<minor>.<revision>.hex in ${_dossier_image}")
elseif(_nombre_images GREATER 1)
    list(JOIN _images "\n  " _liste)
    message(FATAL_ERROR "${_nombre_images} firmware images in ${_dossier_image}, the program carries one:\n  ${_liste}")
endif()

cmake_path(GET _images FILENAME _nom_image)
if(NOT _nom_image MATCHES "^Zantrel_P07_V([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.hex$")
    message(FATAL_ERROR "the firmware image ${_nom_image} does not give its version: name it "
                        "Zantrel_P07_V<major>.<minor>.<revision>.hex")
endif()
# The device keeps each number in one EEPROM byte.
foreach(_numero ${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3})
    string(REGEX REPLACE "^0+([0-9])" "\\1" _numero ${_numero})
    string(LENGTH ${_numero} _chiffres)
    if(_chiffres GREATER 3 OR _numero GREATER 255)
        message(FATAL_ERROR "the firmware image ${_nom_image} gives the number ${_numero}: each "
                            "number of the version is 0 to 255")
    endif()
    list(APPEND _version ${_numero})
endforeach()

list(JOIN _version "." ZANTREL_VERSION)
list(GET _version 0 ZANTREL_VERSION_MAJEUR)
list(GET _version 1 ZANTREL_VERSION_MINEUR)
list(GET _version 2 ZANTREL_VERSION_REVISION)
set(ZANTREL_HEX_FIRMWARE ${_images})
