// The system's message for a GetLastError code, through FormatMessage, as UTF-8.
#include "link/texte_erreur_systeme.h"

#include <windows.h>

namespace {

// The message in one language; empty when Windows has none in it.
std::string Message(int code, LANGID langueWindows) {
    wchar_t tampon[512];
    const DWORD longueur =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(code),
                       langueWindows, tampon, sizeof tampon / sizeof tampon[0], nullptr);
    if (longueur == 0) return std::string();
    const int octets =
        WideCharToMultiByte(CP_UTF8, 0, tampon, static_cast<int>(longueur), nullptr, 0, nullptr, nullptr);
    std::string texte(static_cast<std::size_t>(octets), '\0');
    WideCharToMultiByte(CP_UTF8, 0, tampon, static_cast<int>(longueur), &texte[0], octets, nullptr, nullptr);
    // The messages end with a line break, and some with a full stop before it.
    while (!texte.empty() &&
           (texte.back() == '\n' || texte.back() == '\r' || texte.back() == ' ' || texte.back() == '.'))
        texte.pop_back();
    return texte;
}

}  // namespace

// A Windows without the French language pack has only its own language's messages.
std::string TexteErreurSysteme(int code, int langue) {
    const LANGID demandee =
        langue == 0 ? MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH) : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    std::string texte = Message(code, demandee);
    if (texte.empty()) texte = Message(code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (texte.empty()) texte = Message(code, 0);
    return texte;
}
