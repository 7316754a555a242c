#include "wizard/verrou_veille_win32.h"

#include <utility>

#include <windows.h>

namespace {

std::wstring Utf16(const std::string& texte) {
    const int longueur = MultiByteToWideChar(CP_UTF8, 0, texte.data(), int(texte.size()), nullptr, 0);
    std::wstring large(static_cast<std::size_t>(longueur > 0 ? longueur : 0), L'\0');
    if (longueur > 0) MultiByteToWideChar(CP_UTF8, 0, texte.data(), int(texte.size()), large.data(), longueur);
    return large;
}

}  // namespace

AppelsVeilleWin32 AppelsVeilleSysteme() {
    AppelsVeilleWin32 appels;
    appels.definirEtatExecution = [](unsigned long etat) {
        return static_cast<unsigned long>(SetThreadExecutionState(static_cast<EXECUTION_STATE>(etat)));
    };
    appels.creerRaison = [](void* fenetre, const std::wstring& raison) {
        return ShutdownBlockReasonCreate(static_cast<HWND>(fenetre), raison.c_str()) != FALSE;
    };
    appels.detruireRaison = [](void* fenetre) {
        return ShutdownBlockReasonDestroy(static_cast<HWND>(fenetre)) != FALSE;
    };
    return appels;
}

std::unique_ptr<VerrouVeille> CreerVerrouVeille() { return std::make_unique<VerrouVeilleWin32>(AppelsVeilleSysteme()); }

VerrouVeilleWin32::VerrouVeilleWin32(AppelsVeilleWin32 appels) : Appels(std::move(appels)) {}

VerrouVeilleWin32::~VerrouVeilleWin32() { Relacher(); }

// The system's own reason list names the program already: the reason alone is enough.
void VerrouVeilleWin32::Prendre(const std::string&, const std::string& pourquoi) {
    if (Pris) return;
    Pris = true;
    Raison = Utf16(pourquoi);
    Appels.definirEtatExecution(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
}

void VerrouVeilleWin32::Relacher() {
    if (!Pris) return;
    Pris = false;
    Appels.definirEtatExecution(ES_CONTINUOUS);
    if (FenetreRaison) {
        Appels.detruireRaison(FenetreRaison);
        FenetreRaison = nullptr;
    }
}

bool VerrouVeilleWin32::RefuserFinDeSession(void* fenetre) {
    if (!Pris) return false;
    if (!FenetreRaison && fenetre && Appels.creerRaison(fenetre, Raison)) FenetreRaison = fenetre;
    return true;
}
