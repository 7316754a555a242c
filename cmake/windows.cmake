# The Windows program: its icon, version and manifest, and the folder that the installer ships
# (`cmake --install <build> --prefix <folder> --strip`): the program, Qt's libraries and the plugins
# it loads, the compiler's runtime, the French texts of the question boxes' buttons and qt.conf.
include(cmake/fabricant.cmake)
set(ZANTREL_NOM_PROGRAMME "Zantrel Firmware Update")

set(ZANTREL_ICONE ${CMAKE_SOURCE_DIR}/resources/zantrel.ico)
set(ZANTREL_MANIFESTE ${CMAKE_BINARY_DIR}/windows/zantrel.manifest)
configure_file(${CMAKE_SOURCE_DIR}/resources/windows/zantrel.manifest.in ${ZANTREL_MANIFESTE} @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/windows/zantrel.rc.in ${CMAKE_BINARY_DIR}/windows/zantrel.rc @ONLY)
target_sources(zantrel PRIVATE ${CMAKE_BINARY_DIR}/windows/zantrel.rc)
# windres does not tell what the script pulls in.
set_property(SOURCE ${CMAKE_BINARY_DIR}/windows/zantrel.rc TARGET_DIRECTORY zantrel
             APPEND PROPERTY OBJECT_DEPENDS ${ZANTREL_ICONE} ${ZANTREL_MANIFESTE})

# The installer's script, with this version and maker (make windows-installer runs makensis on it).
configure_file(${CMAKE_SOURCE_DIR}/resources/windows/zantrel.nsi.in ${CMAKE_BINARY_DIR}/windows/zantrel.nsi @ONLY)
# The MSI's script (make windows-msi runs wixl on it), beside the icon: wixl takes relative paths only.
configure_file(${CMAKE_SOURCE_DIR}/resources/windows/zantrel.wxs.in ${CMAKE_BINARY_DIR}/windows/zantrel.wxs @ONLY)
configure_file(${ZANTREL_ICONE} ${CMAKE_BINARY_DIR}/windows/zantrel.ico COPYONLY)

install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets> DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION plugins/platforms)
install(FILES $<TARGET_FILE:Qt6::QJpegPlugin> DESTINATION plugins/imageformats)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION plugins/styles)

# The runtime of the compiler that built Qt and the program.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE chemin OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    if(NOT EXISTS ${chemin})
        message(FATAL_ERROR "the compiler has no ${dll}")
    endif()
    install(FILES ${chemin} DESTINATION .)
endforeach()

# Debian's French texts of Qt's own buttons (qt6-translations-l10n): they are the same on every system.
find_file(ZANTREL_QTBASE_FR qtbase_fr.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT ZANTREL_QTBASE_FR)
    message(FATAL_ERROR "qtbase_fr.qm is missing: install qt6-translations-l10n")
endif()
install(FILES ${ZANTREL_QTBASE_FR} DESTINATION translations)
install(FILES ${CMAKE_SOURCE_DIR}/resources/windows/qt.conf DESTINATION .)

# install --strip strips the program; the libraries are stripped alike.
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    file(GLOB_RECURSE bibliotheques \"\${CMAKE_INSTALL_PREFIX}/*.dll\")
    foreach(dll \${bibliotheques})
        execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-all \"\${dll}\" COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
endif()")
