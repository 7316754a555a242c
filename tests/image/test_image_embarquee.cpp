// The image built into the program, whichever it is: the HEX file slot by slot, and the whole walk.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "faux_parcours.h"
#include "wizard/lecture_hex.h"
#include "wizard/version_mise_a_jour.h"

namespace {

std::vector<std::string> LignesDuFichier() {
    std::ifstream f(FICHIER_HEX_FIRMWARE, std::ios::binary);
    std::vector<std::string> lignes;
    for (std::string l; std::getline(f, l);)
        lignes.push_back(l.substr(0, l.find('\r')));
    return lignes;
}

// Data bytes by absolute address, through the reader the build-time tool uses.
std::map<unsigned, unsigned> Memoire() {
    std::map<std::uint64_t, std::uint8_t> octets;
    ErreurHex erreur;
    EXPECT_TRUE(OctetsFichierIntelHex(FICHIER_HEX_FIRMWARE, octets, erreur)) << erreur.Ligne << ": " << erreur.Motif;
    std::map<unsigned, unsigned> memoire;
    for (const auto& [adresse, octet] : octets)
        memoire[static_cast<unsigned>(adresse)] = octet;
    return memoire;
}

TEST(ImageEmbarquee, SlotsHoldTheHexFileRecordByRecord) {
    const std::vector<std::string> lignes = LignesDuFichier();
    ASSERT_FALSE(lignes.empty());
    ASSERT_LE(lignes.size(), std::size_t(CAPACITE_TABLE));
    for (std::size_t i = 0; i < lignes.size(); ++i) {
        ASSERT_EQ(std::string(ImageFirmware[i]), lignes[i]) << "record " << i;
        for (std::size_t c = lignes[i].size(); c < LARGEUR_ENREGISTREMENT; ++c)
            ASSERT_EQ(ImageFirmware[i][c], 0);
    }
    EXPECT_EQ(ImageFirmware[lignes.size()][0], '\0');
    EXPECT_EQ(lignes.back(), FIN);
}

// Every byte of the image reaches the device, and nothing else does but the blank high half of
// a word whose low half it holds: program bytes in blocks of words that keep to their row, EEPROM
// bytes one by one at their addresses, then the update's version.
TEST(ImageEmbarquee, WholeWalkWritesEveryByteOfTheImage) {
    EcrituresEnregistrees ecritures;
    FenetreEnregistree fenetre;
    ParcoursImage parcours{ecritures, fenetre};
    const std::vector<std::string> lignes = LignesDuFichier();
    const int n = parcours.ConstruireTable();
    ASSERT_EQ(n, int(lignes.size()));
    parcours.RemettreIndex();
    parcours.PreparerTransfert();
    Derouler(parcours, fenetre);
    EXPECT_EQ(parcours.Echec(), 0);
    EXPECT_EQ(fenetre.Postes, 1);
    EXPECT_EQ(fenetre.Avancements.front(), "0.0");
    EXPECT_EQ(fenetre.Avancements.back(), "100.0");
    EXPECT_EQ(fenetre.Position, n);
    EXPECT_EQ(ecritures.Versions, (std::vector<std::vector<int>>{{VERSION_MAJEUR, VERSION_MINEUR, VERSION_REVISION}}));
    EXPECT_EQ(ecritures.Ordre.back(), 'V');

    std::map<unsigned, unsigned> programme, eeprom;
    for (const auto& [adresse, valeur] : Memoire())
        (FENETRE_EEPROM.Contient(adresse) ? eeprom[adresse - BASE_EEPROM_IMAGE] : programme[adresse]) = valeur;
    std::map<unsigned, unsigned> eepromEcrite;
    for (const std::vector<int>& e : ecritures.Eeprom)
        EXPECT_TRUE(eepromEcrite.emplace(unsigned(e[0]), unsigned(e[1])).second) << "EEPROM " << e[0] << " twice";
    EXPECT_EQ(eepromEcrite, eeprom);

    std::map<unsigned, unsigned> ecrit;
    for (const Bloc& b : ecritures.Blocs) {
        const unsigned fin = b.adresse + 2 * unsigned(b.mots.size()) - 1;
        ASSERT_TRUE(!b.mots.empty() && b.mots.size() <= protocole::MOTS_BLOC_MAX) << std::hex << b.adresse;
        ASSERT_EQ(b.adresse % 2, 0u) << "the device takes no block at 0x" << std::hex << b.adresse;
        ASSERT_EQ(b.adresse / protocole::TAILLE_RANGEE, fin / protocole::TAILLE_RANGEE)
            << "the block at 0x" << std::hex << b.adresse << " leaves its row";
        for (unsigned k = 0; k < b.mots.size(); ++k) {
            ASSERT_EQ(b.mots[k] >> 16, 0u);
            ASSERT_TRUE(ecrit.emplace(b.adresse + 2 * k, b.mots[k] & 0xFF).second) << std::hex << b.adresse + 2 * k;
            ASSERT_TRUE(ecrit.emplace(b.adresse + 2 * k + 1, b.mots[k] >> 8).second)
                << std::hex << b.adresse + 2 * k + 1;
        }
    }
    for (const auto& [adresse, valeur] : programme)
        ASSERT_EQ(ecrit.count(adresse) ? int(ecrit.at(adresse)) : -1, int(valeur)) << std::hex << adresse;
    for (const auto& [adresse, valeur] : ecrit)
        ASSERT_TRUE(programme.count(adresse) || (adresse % 2 && valeur == 0 && programme.count(adresse - 1)) ||
                    (adresse % 2 == 0 && valeur == 0xFF && programme.count(adresse + 1)))
            << "0x" << std::hex << adresse << " is not in the image";
}

}  // namespace
