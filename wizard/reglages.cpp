#include "wizard/reglages.h"

#include <cstring>
#include <limits>

#include "wizard/dossier_systeme.h"

namespace {

constexpr const char* CLE_LANGUE = "Langue";

// Blanks and control characters: every byte up to 32. Bytes from 128 up are text.
bool EstBlanc(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Rogner(const std::string& texte) {
    std::size_t debut = 0;
    std::size_t fin = texte.size();
    while (debut < fin && EstBlanc(texte[debut]))
        ++debut;
    while (fin > debut && EstBlanc(texte[fin - 1]))
        --fin;
    return texte.substr(debut, fin - debut);
}

// A decimal integer with an optional sign that fits an int; 0 for anything else, so that an
// oversized number never wraps round to a valid language.
int Entier(const std::string& texte) {
    std::size_t i = 0;
    bool negatif = false;
    if (i < texte.size() && (texte[i] == '+' || texte[i] == '-')) {
        negatif = texte[i] == '-';
        ++i;
    }
    if (i == texte.size()) return 0;
    long long valeur = 0;
    for (; i < texte.size(); ++i) {
        if (texte[i] < '0' || texte[i] > '9') return 0;
        valeur = valeur * 10 + (texte[i] - '0');
        if (valeur > static_cast<long long>(std::numeric_limits<int>::max()) + 1) return 0;
    }
    if (negatif) valeur = -valeur;
    if (valeur < std::numeric_limits<int>::min() || valeur > std::numeric_limits<int>::max()) return 0;
    return static_cast<int>(valeur);
}

}  // namespace

int LangueDesReglages(const char* octets, std::size_t taille) {
    if (octets == nullptr) return 0;
    if (taille > TAILLE_LUE_REGLAGES) taille = TAILLE_LUE_REGLAGES;
    std::string texte(octets, taille);
    texte.resize(std::strlen(texte.c_str()));  // ends at the first NUL

    const std::size_t cle = texte.find(CLE_LANGUE);
    if (cle != std::string::npos) texte.erase(0, cle);
    texte = Rogner(texte);

    // 1-based positions of the first "=" and ";", 0 when absent, as the format counts them.
    const std::size_t egal = texte.find('=');
    const std::size_t pointVirgule = texte.find(';');
    const long e = egal == std::string::npos ? 0 : static_cast<long>(egal) + 1;
    const long s = pointVirgule == std::string::npos ? 0 : static_cast<long>(pointVirgule) + 1;
    const long longueur = s - e - 1;
    if (longueur <= 0) return 0;
    return Entier(Rogner(texte.substr(static_cast<std::size_t>(e), static_cast<std::size_t>(longueur))));
}

LectureReglages LireReglages(const std::string& dossier) {
    LectureReglages lecture;
    if (dossier.empty()) return lecture;
    lecture.chemin = dossier + SeparateurChemin() + NOM_FICHIER_REGLAGES;

    char tampon[TAILLE_LUE_REGLAGES] = {};
    std::size_t lus = 0;
    lecture.etat = LireDebutFichier(lecture.chemin, tampon, sizeof tampon, lus);
    if (lecture.etat == EtatReglages::Lu) lecture.langue = LangueDesReglages(tampon, lus);
    return lecture;
}
