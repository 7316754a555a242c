// Result codes of the link's operations and of the image walk over them: 0 for success, a system
// error code passed through unchanged, or a code of the table below with its name and meaning.
#pragma once

#include "wizard/paire_texte.h"

// A positive code below this is the system's (errno, GetLastError); the table's lie above.
inline constexpr int LIMITE_ERREURS_SYSTEME = 100000;
constexpr bool EstErreurSysteme(int code) { return code > 0 && code < LIMITE_ERREURS_SYSTEME; }

struct CodeResultat {
    int code;
    const char* nom;
    PaireTexte sens;  // for the failure boxes' details
};

inline constexpr CodeResultat CODES_RESULTAT[] = {
    {100001, "ERR_NON_CONNECTE", {"pas de connexion ouverte avec l'appareil", "no open connection with the device"}},
    {100002, "ERR_DELAI", {"l'appareil n'a pas répondu à temps", "the device did not answer in time"}},
    {100003, "ERR_REPONSE", {"réponse inattendue de l'appareil", "unexpected answer from the device"}},
    {100004,
     "ERR_PAS_EN_PROGRAMMATION",
     {"l'appareil n'est pas en programmation", "the device is not in programming mode"}},
    {100007, "ERR_ADRESSE", {"adresse de bloc hors de la mémoire programme", "block address outside program memory"}},
    {100009,
     "ERR_ETAT_OU_BLOC",
     {"appareil pas prêt à écrire, ou bloc mal formé", "device not ready for writing, or malformed block"}},
    {100020, "ERR_PORT_FERME", {"le port n'est pas ouvert", "the port is not open"}},
    {100024, "ERR_MODELE", {"l'appareil n'est pas un P07", "the device is not a P07"}},
    // The walk's: a record shorter than its byte count, or a table without its end-of-file.
    {100101,
     "ERR_IMAGE_INVALIDE",
     {"enregistrement illisible dans l'image du programme", "unreadable record in the firmware image"}},
};

// The table's entry for a code; nullptr for any other.
constexpr const CodeResultat* DecrireCode(int code) {
    for (const CodeResultat& c : CODES_RESULTAT)
        if (c.code == code) return &c;
    return nullptr;
}

// A code's value by its name in the table: a name missing from it reads past its end, which
// stops the build.
constexpr int CodeNomme(const char* nom, unsigned i = 0, unsigned k = 0) {
    const char* n = CODES_RESULTAT[i].nom;
    return n[k] != nom[k] ? CodeNomme(nom, i + 1) : nom[k] == '\0' ? CODES_RESULTAT[i].code : CodeNomme(nom, i, k + 1);
}

constexpr bool TableSaine(unsigned i = 0) {
    return i == sizeof CODES_RESULTAT / sizeof CODES_RESULTAT[0] ||
           (!EstErreurSysteme(CODES_RESULTAT[i].code) && DecrireCode(CODES_RESULTAT[i].code) == &CODES_RESULTAT[i] &&
            *CODES_RESULTAT[i].sens.francais && *CODES_RESULTAT[i].sens.anglais && TableSaine(i + 1));
}
static_assert(TableSaine(), "each code above the system's, once, with its meaning in both languages");

inline constexpr int ERR_NON_CONNECTE = CodeNomme("ERR_NON_CONNECTE");
inline constexpr int ERR_DELAI = CodeNomme("ERR_DELAI");      // no byte in time, or Connecter's deadline passed
inline constexpr int ERR_REPONSE = CodeNomme("ERR_REPONSE");  // not the acknowledge, or not a hex digit
inline constexpr int ERR_PAS_EN_PROGRAMMATION = CodeNomme("ERR_PAS_EN_PROGRAMMATION");
inline constexpr int ERR_ADRESSE = CodeNomme("ERR_ADRESSE");
inline constexpr int ERR_ETAT_OU_BLOC = CodeNomme("ERR_ETAT_OU_BLOC");  // not in phase 3, or malformed block
inline constexpr int ERR_PORT_FERME = CodeNomme("ERR_PORT_FERME");
inline constexpr int ERR_MODELE = CodeNomme("ERR_MODELE");
inline constexpr int ERR_IMAGE_INVALIDE = CodeNomme("ERR_IMAGE_INVALIDE");
