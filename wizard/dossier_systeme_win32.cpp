// The Windows directory, where the settings file lives.
#include "wizard/dossier_systeme.h"

#include <windows.h>

namespace {

constexpr UINT TAILLE_TAMPON = 200;
// Two bytes short of the buffer: the longest directory taken has 197 characters.
constexpr UINT TAILLE_OFFERTE = 198;

}  // namespace

std::string DossierSysteme() {
    char tampon[TAILLE_TAMPON] = {};
    const UINT longueur = GetWindowsDirectoryA(tampon, TAILLE_OFFERTE);
    // 0 is a failure; a value of the offered size or more is the size the path would need,
    // and the buffer then holds no path. Either way there is no directory to read from,
    // and the wizard speaks French as it does without a settings file.
    if (longueur == 0 || longueur >= TAILLE_OFFERTE) return std::string();
    std::string dossier(tampon, longueur);
    // A Windows directory at the root of a drive ("C:\") comes with its separator.
    if (!dossier.empty() && dossier.back() == SeparateurChemin()) dossier.pop_back();
    return dossier;
}

char SeparateurChemin() { return '\\'; }
