// Recording stand-ins for the device writes and the main window, a driver that ticks the walk
// as the window's timer does, and record builders.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "wizard/parcours_image.h"

struct Bloc {
    unsigned adresse;
    std::vector<unsigned> mots;
};

// Records every write; the block or EEPROM write numbered Echec...Numero (from 1) fails.
class EcrituresEnregistrees : public EcrituresAppareil {
public:
    int EcrireBloc(unsigned adresse, unsigned nbMots, const unsigned* mots) override {
        Blocs.push_back({adresse, std::vector<unsigned>(mots, mots + nbMots)});
        Ordre += 'B';
        return Blocs.size() == EchecBlocNumero ? CodeEchec : 0;
    }
    int EcrireEeprom(int adresse, int valeur) override {
        Eeprom.push_back({adresse, valeur});
        Ordre += 'E';
        return Eeprom.size() == EchecEepromNumero ? CodeEchec : 0;
    }
    int EcrireVersion(int majeur, int mineur, int revision) override {
        Versions.push_back({majeur, mineur, revision});
        Ordre += 'V';
        return EchecVersion ? CodeEchec : 0;
    }
    std::vector<Bloc> Blocs;
    std::vector<std::vector<int>> Eeprom, Versions;
    std::string Ordre;  // 'B', 'E', 'V' in call order
    std::size_t EchecBlocNumero = 0, EchecEepromNumero = 0;
    bool EchecVersion = false;
    int CodeEchec = 100003;
};

class FenetreEnregistree : public FenetreParcours {
public:
    void DefinirEtape(int etape) override { Etape = etape, ++ChangementsEtape; }
    void RemettreSousEtape() override { SousEtape = 0; }
    void DefinirIntervalle(int ms) override { Intervalles.push_back(ms); }
    void PositionnerProgression(int position) override { Position = position; }
    void AfficherAvancement(double pourcentage) override {
        char texte[32];
        std::snprintf(texte, sizeof texte, "%.1f", pourcentage);  // as the label prints it
        Avancements.push_back(texte);
    }
    void PosterEtapeSuivante() override { ++Postes; }
    int Etape = ETAPE_PROGRAMMATION, ChangementsEtape = 0, SousEtape = -1, Position = 0, Postes = 0;
    std::vector<int> Intervalles;
    std::vector<std::string> Avancements;
};

inline int Tic(ParcoursImage& parcours, const FenetreEnregistree& fenetre) { return parcours.Avancer(fenetre.Etape); }

// Ticks until the end-of-file notice is posted or a tick fails; returns the number of ticks.
inline int Derouler(ParcoursImage& parcours, const FenetreEnregistree& fenetre) {
    int tics = 0;
    while (fenetre.Postes == 0 && tics < 100000)
        if (++tics, Tic(parcours, fenetre) != 0) break;
    return tics;
}

// An Intel HEX record with its checksum.
inline std::string Enregistrement(int type, unsigned adresse, const std::vector<int>& octets) {
    std::vector<int> tout = {int(octets.size()), int(adresse >> 8 & 0xFF), int(adresse & 0xFF), type};
    tout.insert(tout.end(), octets.begin(), octets.end());
    int somme = 0;
    std::string texte = ":";
    char paire[3];
    for (int o : tout) {
        somme += o;
        std::snprintf(paire, sizeof paire, "%02X", o & 0xFF);
        texte += paire;
    }
    std::snprintf(paire, sizeof paire, "%02X", -somme & 0xFF);
    return texte + paire;
}
inline std::string Donnees(unsigned adresse, const std::vector<int>& octets) {
    return Enregistrement(0, adresse, octets);
}
inline std::string Base(int valeur) { return Enregistrement(4, 0, {valeur >> 8, valeur & 0xFF}); }
inline const std::string FIN = ":00000001FF";

// n bytes counting up from 'premier', so a misplaced byte shows.
inline std::vector<int> Suite(int premier, int n) {
    std::vector<int> v;
    for (int i = 0; i < n; ++i)
        v.push_back((premier + i) & 0xFF);
    return v;
}
