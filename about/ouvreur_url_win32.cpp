// Opening a URL on Windows: the shell's default action for it (browser, or mail program
// for "mailto:").
#include "about/ouvreur_url.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdint>

bool OuvrirUrlBureau(const std::string& url) {
    const HINSTANCE resultat = ShellExecuteA(nullptr, nullptr, url.c_str(), "", "", SW_SHOWNORMAL);
    // Values up to 32 are the shell's error codes.
    return reinterpret_cast<std::intptr_t>(resultat) > 32;
}
