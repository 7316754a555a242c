#include "ports/TConfigurationPort.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <utility>

namespace {

constexpr const char* SEPARATEUR_MARQUE = " : ";

bool Contient(const std::string& texte, const char* motif) { return texte.find(motif) != std::string::npos; }

}  // namespace

TConfPort::TConfPort() : TConfPort(CreerSourcePorts()) {}

TConfPort::TConfPort(std::unique_ptr<SourcePorts> source) : Source(std::move(source)) {}

TConfPort::~TConfPort() { FormDestroy(); }

void TConfPort::FormDestroy() {
    ListePorts.clear();
    ListePorts.shrink_to_fit();
    Source.reset();
}

int TConfPort::PortChoisi() {
    if (NumeroChoisi <= 0) RecherchePorts();
    return NumeroChoisi;
}

bool TConfPort::PortAChange() {
    const int precedent = NumeroChoisi;
    const bool lue = RecherchePorts();
    return lue && NumeroChoisi != precedent;
}

bool TConfPort::EstPortAppareil() {
    if (NumeroChoisi <= 0) RecherchePorts();
    if (NumeroChoisi == 0) return false;
    return IndexChoisi >= 0 && IndexChoisi < static_cast<int>(ListePorts.size()) &&
           Contient(ListePorts[static_cast<size_t>(IndexChoisi)], MARQUE_APPAREIL);
}

bool TConfPort::RecherchePorts() {
    const int precedent = NumeroChoisi;
    ListePorts.clear();
    // A stale index must never point into the emptied list.
    IndexChoisi = -1;

    // The value list is a local: released on every path out of the scan.
    std::vector<ValeurPort> valeurs;
    const LecturePorts lecture = Source ? Source->Lire(valeurs) : LecturePorts::CleAbsente;
    if (lecture == LecturePorts::CleAbsente) {
        NumeroChoisi = 0;
        return true;
    }
    if (lecture == LecturePorts::DescriptionIllisible) {
        NumeroChoisi = 0;
        return false;
    }

    for (const ValeurPort& valeur : valeurs) {
        if (valeur.type != TYPE_TEXTE && valeur.type != TYPE_TEXTE_ETENDU) continue;
        // The data is taken up to its first NUL, as the registry stores it.
        std::string entree(valeur.donnees.c_str());
        if (Contient(valeur.nom, NOM_PONT)) {
            entree += SEPARATEUR_MARQUE;
            entree += MARQUE_APPAREIL;
        }
        // Sorted insertion; an entry equal to one already listed is dropped.
        auto position =
            std::lower_bound(ListePorts.begin(), ListePorts.end(), entree,
                             [](const std::string& a, const std::string& b) { return ComparerEntrees(a, b) < 0; });
        if (position != ListePorts.end() && ComparerEntrees(*position, entree) == 0) continue;
        ListePorts.insert(position, std::move(entree));
    }

    if (ListePorts.empty()) {
        NumeroChoisi = 0;
        return true;
    }

    // The bridge's first port wins; else the port chosen before; else the first one.
    int choix = -1;
    int ancien = -1;
    for (size_t i = 0; i < ListePorts.size(); ++i) {
        if (Contient(ListePorts[i], MARQUE_APPAREIL)) {
            choix = static_cast<int>(i);
            break;
        }
        // Only a real earlier choice counts: an entry without a number must not capture it.
        if (precedent > 0 && ExtraitNumero(ListePorts[i]) == precedent) ancien = static_cast<int>(i);
    }
    if (choix < 0) choix = ancien >= 0 ? ancien : 0;

    IndexChoisi = choix;
    NumeroChoisi = ExtraitNumero(ListePorts[static_cast<size_t>(choix)]);
    return true;
}

ConstatPont TConfPort::ExplicationPont() {
    ConstatPont constat = Source ? Source->ExaminerPont() : ConstatPont();
    const EtatPont vu = constat.etat;
    if (vu == EtatPont::SansExplication || vu == DernierEtatPont) PontConfirme = std::move(constat);
    DernierEtatPont = vu;
    return PontConfirme;
}

int TConfPort::ExtraitNumero(const std::string& entree) {
    size_t debut = 0;
    size_t fin = entree.size();
    while (debut < fin && static_cast<unsigned char>(entree[debut]) <= 32)
        ++debut;
    while (fin > debut && static_cast<unsigned char>(entree[fin - 1]) <= 32)
        --fin;
    std::string texte = entree.substr(debut, fin - debut);
    for (char& c : texte)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    // Without "COM" the digits are read from the third character on.
    const size_t com = texte.find("COM");
    const size_t reste = com == std::string::npos ? 2 : com + 3;

    // An empty run gives 0; so does one too long for an int.
    long long numero = 0;
    for (size_t i = reste; i < texte.size() && texte[i] >= '0' && texte[i] <= '9'; ++i) {
        numero = numero * 10 + (texte[i] - '0');
        if (numero > INT_MAX) return 0;
    }
    return static_cast<int>(numero);
}
