# The hardening that Debian's dpkg-buildflags gives its own packages (hardening=+all), for every
# program of the build: the shipped one, and the tests that run the same code.
include(CheckCXXCompilerFlag)
include(CheckPIESupported)

# Position-independent executables, so that the loader can place them anywhere.
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

# Stack smashing and stack clash detected, indirect branches checked (CET on x86), printf formats
# that the compiler cannot check refused.
add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
foreach(option -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "ZANTREL_OPTION${option}" variable)
    check_cxx_compiler_flag(${option} ${variable})
    if(${variable})
        add_compile_options(${option})
    endif()
endforeach()

# libc calls checked for overflows; the check needs the optimiser, which Debug builds go without.
add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)

# Relocations read-only once loaded, every symbol bound at start-up.
add_link_options(LINKER:-z,relro LINKER:-z,now)

# The start files of Debian 12's C library carry no CET marks, which would leave the program
# unmarked although all of its own code is built for CET: the linker is told to mark it.
if(ZANTREL_OPTION_fcf_protection AND CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|i[3-6]86")
    add_link_options(LINKER:-z,ibt LINKER:-z,shstk)
endif()
