# What a Linux desktop needs beside the program (menu entry, icons, AppStream data, manual page,
# device-access rule) and the Debian package made of it. Everything goes through install(), so that
# `cmake --install <build> --prefix /usr` lays out the very files that the package holds.
include(GNUInstallDirs)

include(cmake/fabricant.cmake)

# The program's id on the desktop, shared by its menu entry, its icon and its AppStream data:
# the maker's domain reversed, then the product.
string(REGEX REPLACE "^www\\." "" ZANTREL_ID ${FABRICANT_SITE})
string(REPLACE "." ";" ZANTREL_ID ${ZANTREL_ID})
list(REVERSE ZANTREL_ID)
list(APPEND ZANTREL_ID Zantrel)
list(JOIN ZANTREL_ID "." ZANTREL_ID)

# On Wayland the window finds its menu entry and icon by this id.
target_compile_definitions(zantrel PRIVATE ID_BUREAU="${ZANTREL_ID}")

# This version's release: the day its image was committed (the file's own date outside a clone);
# and the revision of its package.
execute_process(COMMAND git log -1 --format=%cs -- ${ZANTREL_HEX_FIRMWARE}
                WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                OUTPUT_VARIABLE ZANTREL_DATE_VERSION OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT ZANTREL_DATE_VERSION MATCHES "^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$")
    file(TIMESTAMP ${ZANTREL_HEX_FIRMWARE} ZANTREL_DATE_VERSION "%Y-%m-%d" UTC)
endif()
set(ZANTREL_REVISION 1)
string(SUBSTRING ${ZANTREL_DATE_VERSION} 0 4 ZANTREL_ANNEE)
execute_process(COMMAND date -R -u -d "${ZANTREL_DATE_VERSION} 12:00 UTC"
                OUTPUT_VARIABLE ZANTREL_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

# The device's USB-to-serial bridge, as udev writes its id. Its generic id is shared by many
# products: it names no product to software centres.
set(USB_FOURNISSEUR 10c4)
set(USB_PRODUIT ea60)

set(ZANTREL_LINUX ${CMAKE_BINARY_DIR}/linux)
foreach(modele zantrel.desktop zantrel.metainfo.xml 70-zantrel.rules zantrel.1 copyright changelog.Debian)
    string(REGEX REPLACE "^zantrel(\\.desktop|\\.metainfo\\.xml)$" "${ZANTREL_ID}\\1" fichier ${modele})
    configure_file(${CMAKE_SOURCE_DIR}/resources/linux/${modele}.in ${ZANTREL_LINUX}/${fichier} @ONLY)
endforeach()

# Debian wants these compressed at the highest level, without a name or time stamp inside.
set(ZANTREL_COMPRESSES)
foreach(texte ${ZANTREL_LINUX}/zantrel.1 ${ZANTREL_LINUX}/changelog.Debian)
    add_custom_command(OUTPUT ${texte}.gz COMMAND gzip -9nkf ${texte} DEPENDS ${texte} VERBATIM)
    list(APPEND ZANTREL_COMPRESSES ${texte}.gz)
endforeach()

# The desktop's icons: the window icon's burst, drawn by the picture program at each size and as SVG,
# in the icon theme's layout.
set(ZANTREL_COTES_ICONES 16 32 48 64 128 256)
set(ZANTREL_ICONES ${CMAKE_BINARY_DIR}/icones)
set(ZANTREL_FICHIERS_ICONES ${ZANTREL_ICONES}/scalable/apps/${ZANTREL_ID}.svg)
foreach(cote ${ZANTREL_COTES_ICONES})
    list(APPEND ZANTREL_FICHIERS_ICONES ${ZANTREL_ICONES}/${cote}x${cote}/apps/${ZANTREL_ID}.png)
endforeach()
add_custom_command(OUTPUT ${ZANTREL_FICHIERS_ICONES}
                   COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:zantrel_dessine_images>
                           --icones ${ZANTREL_ICONES} ${ZANTREL_ID} ${ZANTREL_COTES_ICONES}
                   DEPENDS zantrel_dessine_images VERBATIM)
add_custom_target(zantrel_bureau ALL DEPENDS ${ZANTREL_FICHIERS_ICONES} ${ZANTREL_COMPRESSES})
# Stripped for the package, without the compiler's notes, as Debian's own tools strip.
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zantrel\"
                    COMMAND_ERROR_IS_FATAL ANY)
endif()")

install(FILES ${ZANTREL_LINUX}/${ZANTREL_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ZANTREL_LINUX}/${ZANTREL_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${ZANTREL_ICONES}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${ZANTREL_LINUX}/zantrel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# udev reads /usr/lib/udev/rules.d, never the multiarch library folder.
install(FILES ${ZANTREL_LINUX}/70-zantrel.rules DESTINATION lib/udev/rules.d)
install(FILES ${ZANTREL_LINUX}/copyright ${ZANTREL_LINUX}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zantrel)
install(FILES ${CMAKE_SOURCE_DIR}/resources/linux/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME zantrel)

# The package: build/zantrel_<version>-<revision>_<architecture>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR ${FABRICANT_NOM})
set(CPACK_PACKAGE_CONTACT "${FABRICANT_NOM} <${FABRICANT_MEL}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware update wizard for the Zantrel P07 device")
set(CPACK_PACKAGE_DESCRIPTION
    "A wizard that updates a Zantrel device, model P07, plugged in through its\n"
    "USB cable, to firmware ${PROJECT_VERSION}. In French or in English it guides the user\n"
    "through the connection, finds the device's serial port by itself, checks the\n"
    "device (model, variant, serial number and installed version), transfers the\n"
    "firmware that it carries inside itself and releases the device.\n"
    "\n"
    "A udev rule gives the user at the seat access to the device's port, so no\n"
    "group change is needed.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ZANTREL_REVISION})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://${FABRICANT_SITE})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# After installing, the device rule is applied to the ports already there.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/resources/linux/postinst)
# The libraries come from the binary. The X11 and offscreen platforms and the JPEG reader of the
# window's pictures are plugins of the toolkit's GUI library, so they come with it; the Wayland
# platform is a package of its own, without which a Wayland desktop falls back on X11. The wizard's
# question boxes load the toolkit's French translations at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
include(CPack)
