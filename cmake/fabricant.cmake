# The maker's name, web site and mail, as the About box shows them.
file(READ ${CMAKE_SOURCE_DIR}/about/fabricant.h ZANTREL_FABRICANT)
foreach(cle NOM SITE MEL)
    if(NOT ZANTREL_FABRICANT MATCHES "FABRICANT_${cle}\\[\\] = \"([^\"]*)\"")
        message(FATAL_ERROR "about/fabricant.h gives no FABRICANT_${cle}")
    endif()
    set(FABRICANT_${cle} ${CMAKE_MATCH_1})
endforeach()
