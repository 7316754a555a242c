// The C library's text of an errno value, in a locale of the asked language.
#include "link/texte_erreur_systeme.h"

#include <cstring>

#include <locale.h>

namespace {

// The program's own locale may be any: the text follows the wizard's language, and a French
// locale is only there when the system has one installed.
locale_t LocaleDeLangue(int langue) {
    static const char* const FRANCAIS[] = {"fr_FR.UTF-8", "fr_FR.utf8",  "fr_BE.UTF-8",
                                           "fr_CA.UTF-8", "fr_CH.UTF-8", "fr_LU.UTF-8"};
    if (langue == 0) {
        for (const char* nom : FRANCAIS)
            if (locale_t l = ::newlocale(LC_ALL_MASK, nom, static_cast<locale_t>(nullptr))) return l;
    }
    return ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
}

}  // namespace

std::string TexteErreurSysteme(int code, int langue) {
    const locale_t locale = LocaleDeLangue(langue);
    if (locale == static_cast<locale_t>(nullptr)) return std::string();
    std::string texte = ::strerror_l(code, locale);
    ::freelocale(locale);
    return texte;
}
