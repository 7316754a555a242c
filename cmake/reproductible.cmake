# Two builds of one commit give the same files, wherever the tree lies, under any umask and at any
# time. The dates come from SOURCE_DATE_EPOCH (the last commit's, exported by the Makefile), which
# rcc and CPack read at build time.

if(CMAKE_CXX_COMPILER_ID MATCHES "^(GNU|Clang)$")
    # No build folder in the binaries: debug data and file names are written from the tree's root.
    add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.)
    cmake_path(IS_PREFIX CMAKE_SOURCE_DIR "${CMAKE_BINARY_DIR}" NORMALIZE ZANTREL_CONSTRUCTION_DEDANS)
    if(NOT ZANTREL_CONSTRUCTION_DEDANS)
        add_compile_options(-ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
    endif()

    # The PE header's link time is left at zero.
    if(WIN32)
        add_link_options(LINKER:--no-insert-timestamp)
    endif()
endif()

# Folders that the install makes get the same rights whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
