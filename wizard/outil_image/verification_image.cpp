#include "wizard/outil_image/verification_image.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "link/Com_p07_v1_2.h"
#include "wizard/parcours_image.h"

namespace {

std::string Adresse(std::uint64_t valeur) {
    char texte[24];
    std::snprintf(texte, sizeof texte, "0x%llX", static_cast<unsigned long long>(valeur));
    return texte;
}

// The device as the bootloader behaves: it refuses a block outside its rules, and the tool
// refuses an image whose walk writes a byte twice, as flash takes a byte once per erase.
class Enregistreur : public EcrituresAppareil {
public:
    Enregistreur(EcrituresAttendues& ecritures, const std::map<std::uint64_t, std::size_t>& lignes)
        : Ecritures(ecritures), Lignes(lignes) {}

    int EcrireBloc(unsigned adresse, unsigned nbMots, const unsigned* mots) override {
        const unsigned octets = 2 * nbMots;
        if (ComP07::VerifierBloc(adresse, nbMots) != 0)
            return Refuser(adresse, octets,
                           "the walk would send a block of " + std::to_string(nbMots) + " words at " +
                               Adresse(adresse) + ", which the bootloader refuses");
        for (unsigned i = 0; i < octets; ++i)
            if (Ecritures.Programme.count(adresse + i) != 0)
                return Refuser(adresse, octets,
                               "the walk would write " + Adresse(adresse + i) + " a second time: records out of order");
        for (unsigned i = 0; i < octets; ++i)
            Ecritures.Programme[adresse + i] = static_cast<std::uint8_t>(mots[i / 2] >> (8 * (i % 2)));
        ++Ecritures.Blocs;
        return 0;
    }
    int EcrireEeprom(int adresse, int valeur) override {
        Ecritures.Eeprom[adresse] = static_cast<std::uint8_t>(valeur);
        return 0;
    }
    int EcrireVersion(int majeur, int mineur, int revision) override {
        Ecritures.Version = {{majeur, mineur, revision}};
        return 0;
    }

    std::string Faute;
    std::size_t LigneFaute = 0;  // 0: the record in hand

private:
    // Names the latest record with a byte in the refused block: the one out of order.
    int Refuser(unsigned debut, unsigned octets, const std::string& motif) {
        Faute = motif;
        for (auto it = Lignes.lower_bound(debut); it != Lignes.end() && it->first < debut + octets; ++it)
            LigneFaute = std::max(LigneFaute, it->second);
        return ERR_ETAT_OU_BLOC;
    }

    EcrituresAttendues& Ecritures;
    const std::map<std::uint64_t, std::size_t>& Lignes;
};

class FenetreMuette : public FenetreParcours {
public:
    void DefinirEtape(int etape) override { Etape = etape; }
    void RemettreSousEtape() override {}
    void DefinirIntervalle(int) override {}
    void PositionnerProgression(int) override {}
    void AfficherAvancement(double) override {}
    void PosterEtapeSuivante() override { Fini = true; }
    int Etape = ETAPE_PROGRAMMATION;
    bool Fini = false;
};

std::string Fenetres() {
    return "program memory (" + Adresse(FENETRE_PROGRAMME.Debut) + " to " + Adresse(FENETRE_PROGRAMME.Fin - 1) +
           ") and the EEPROM (" + Adresse(FENETRE_EEPROM.Debut) + " to " + Adresse(FENETRE_EEPROM.Fin - 1) + ")";
}

bool Dans(const FenetreAdresses& fenetre, std::uint64_t adresse) {
    return adresse <= 0xFFFFFFFFu && fenetre.Contient(static_cast<unsigned>(adresse));
}

}  // namespace

bool VerifierImage(const std::vector<EnregistrementHex>& enregistrements, EcrituresAttendues& ecritures,
                   ErreurHex& erreur) {
    ecritures = {};
    std::map<std::uint64_t, std::uint8_t> octets;
    if (!OctetsIntelHex(enregistrements, octets, erreur)) return false;
    std::map<std::uint64_t, std::size_t> lignes;
    for (const EnregistrementHex& e : enregistrements)
        for (std::size_t i = 0; e.Type == HEX_DONNEES && i < e.Octets.size(); ++i)
            lignes[e.Adresse + i] = e.Ligne;

    // Bytes the walk skips: named before the walk, which cannot tell.
    for (const EnregistrementHex& e : enregistrements) {
        if (e.Type != HEX_DONNEES || e.Octets.empty()) continue;
        const std::uint64_t fin = e.Adresse + e.Octets.size() - 1;
        for (std::uint64_t a = e.Adresse; a <= fin; ++a)
            if (!Dans(FENETRE_PROGRAMME, a) && !Dans(FENETRE_EEPROM, a)) {
                erreur = {e.Ligne,
                          "data from " + Adresse(e.Adresse) + " to " + Adresse(fin) + " lies outside " + Fenetres()};
                return false;
            }
    }

    std::vector<const char*> textes;
    for (const EnregistrementHex& e : enregistrements)
        textes.push_back(e.Texte.c_str());
    Enregistreur appareil(ecritures, lignes);
    FenetreMuette fenetre;
    ParcoursImage parcours(appareil, fenetre);
    parcours.ConstruireTable(textes);
    parcours.RemettreIndex();
    parcours.PreparerTransfert();
    // Each tick takes a byte or a record: the walk cannot need more.
    for (std::size_t tics = 0; !fenetre.Fini && tics <= octets.size() + 2 * textes.size(); ++tics) {
        if (parcours.Avancer(fenetre.Etape) != 0) break;
    }
    const std::size_t index = static_cast<std::size_t>(std::max(parcours.IndexCourant() - 1, 0));
    const std::size_t ligneCourante = enregistrements[std::min(index, enregistrements.size() - 1)].Ligne;
    if (!appareil.Faute.empty()) {
        erreur = {appareil.LigneFaute != 0 ? appareil.LigneFaute : ligneCourante, appareil.Faute};
        return false;
    }
    if (!fenetre.Fini) {
        erreur = {ligneCourante, "the walk stops here, before the end-of-file record"};
        return false;
    }

    for (const EnregistrementHex& e : enregistrements) {
        for (std::size_t i = 0; e.Type == HEX_DONNEES && i < e.Octets.size(); ++i) {
            const std::uint64_t a = e.Adresse + i;
            const bool programme = Dans(FENETRE_PROGRAMME, a);
            const auto ecrit = programme ? ecritures.Programme.find(a) : ecritures.Programme.end();
            const auto eeprom =
                programme ? ecritures.Eeprom.end() : ecritures.Eeprom.find(static_cast<int>(a - BASE_EEPROM_IMAGE));
            const bool atteint = programme ? ecrit != ecritures.Programme.end() : eeprom != ecritures.Eeprom.end();
            const std::uint8_t valeur = !atteint ? 0 : programme ? ecrit->second : eeprom->second;
            if (!atteint || valeur != e.Octets[i]) {
                erreur = {e.Ligne, "data at " + Adresse(a) +
                                       (atteint ? " would be written wrong" : " would not reach the device")};
                return false;
            }
        }
    }
    // Nothing else but the other half of a word that carries an image byte.
    for (const auto& [a, valeur] : ecritures.Programme) {
        (void)valeur;
        if (octets.count(a) == 0 && octets.count(a ^ 1) == 0) {
            erreur = {ligneCourante, "the walk writes " + Adresse(a) + ", which no record holds"};
            return false;
        }
    }
    return true;
}
