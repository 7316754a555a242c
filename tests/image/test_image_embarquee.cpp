// The image built into the program: the HEX file slot by slot, its shape, and the whole walk.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "faux_parcours.h"
#include "wizard/lecture_hex.h"

namespace {

unsigned Hex(const std::string& t, std::size_t p) { return std::stoul(t.substr(p, 2), nullptr, 16); }

std::vector<std::string> LignesDuFichier() {
    std::ifstream f(FICHIER_HEX_FIRMWARE, std::ios::binary);
    std::vector<std::string> lignes;
    for (std::string l; std::getline(f, l);) lignes.push_back(l.substr(0, l.find('\r')));
    return lignes;
}

// Data bytes by absolute address, through the reader the build-time tool uses.
std::map<unsigned, unsigned> Memoire() {
    std::vector<EnregistrementHex> enregistrements;
    std::map<std::uint64_t, std::uint8_t> octets;
    ErreurHex erreur;
    EXPECT_TRUE(LireFichierIntelHex(FICHIER_HEX_FIRMWARE, enregistrements, erreur) &&
                OctetsIntelHex(enregistrements, octets, erreur)) << erreur.Ligne << ": " << erreur.Motif;
    std::map<unsigned, unsigned> memoire;
    for (const auto& [adresse, octet] : octets) memoire[static_cast<unsigned>(adresse)] = octet;
    return memoire;
}

TEST(ImageEmbarquee, SlotsHoldTheHexFileWithTheExpectedShape) {
    const std::vector<std::string> lignes = LignesDuFichier();
    ASSERT_EQ(lignes.size(), 4633u);
    for (std::size_t i = 0; i < lignes.size(); ++i) {
        ASSERT_EQ(std::string(ImageFirmware[i]), lignes[i]) << "record " << i;
        for (std::size_t c = lignes[i].size(); c < LARGEUR_ENREGISTREMENT; ++c) ASSERT_EQ(ImageFirmware[i][c], 0);
    }
    EXPECT_EQ(ImageFirmware[4633][0], '\0');
    EXPECT_EQ(lignes[0], ":020000040000FA");
    EXPECT_EQ(lignes[3986], ":020000040001F9");
    EXPECT_EQ(lignes[4632], ":00000001FF");

    int seize = 0, impairs = 0;
    unsigned suite = 0x800;
    for (std::size_t i = 1; i < 4632; ++i) {
        if (i == 3986) continue;
        const std::string& l = lignes[i];
        ASSERT_EQ(Hex(l, 7), 0u) << "record " << i;
        const unsigned n = Hex(l, 1), a = (i > 3986 ? 0x10000 : 0) + (Hex(l, 3) << 8 | Hex(l, 5));
        EXPECT_TRUE(a == suite || (suite == 0x11F75 && a == 0x11F76)) << std::hex << a;
        EXPECT_EQ(a / 64, (a + n - 1) / 64) << "record " << i << " crosses a row";
        EXPECT_TRUE(n >= 1 && n <= 16);
        seize += n == 16;
        impairs += a % 2;  // each follows the record before, checked above
        suite = a + n;
    }
    EXPECT_EQ(seize, 4531);
    EXPECT_EQ(impairs, 6);
    EXPECT_EQ(suite, 0x12629u);
    EXPECT_EQ(Memoire().size(), 73256u);
}

TEST(ImageEmbarquee, WholeWalkWritesEveryByteInRowBlocks) {
    EcrituresEnregistrees ecritures;
    FenetreEnregistree fenetre;
    ParcoursImage parcours{ecritures, fenetre};
    ASSERT_EQ(parcours.ConstruireTable(), 4633);
    parcours.RemettreIndex();
    parcours.PreparerTransfert();
    EXPECT_EQ(Derouler(parcours, fenetre), 4633);
    EXPECT_EQ(parcours.Echec(), 0);
    EXPECT_EQ(fenetre.Avancements.front(), "0.0");
    EXPECT_EQ(fenetre.Avancements.back(), "100.0");
    EXPECT_EQ(fenetre.Position, 4633);
    EXPECT_EQ(fenetre.Postes, 1);
    EXPECT_TRUE(ecritures.Eeprom.empty());
    EXPECT_EQ(ecritures.Versions, (std::vector<std::vector<int>>{{3, 8, 0}}));
    EXPECT_EQ(ecritures.Ordre.back(), 'V');

    ASSERT_EQ(ecritures.Blocs.size(), 1146u);
    std::map<unsigned, unsigned> ecrit;
    int pleins = 0;
    std::vector<std::pair<unsigned, std::size_t>> partiels;
    for (const Bloc& b : ecritures.Blocs) {
        if (b.mots.size() == 32 && b.adresse % 64 == 0)
            ++pleins;
        else
            partiels.push_back({b.adresse, b.mots.size()});
        for (unsigned k = 0; k < b.mots.size(); ++k) {
            ASSERT_EQ(b.mots[k] >> 16, 0u);
            ASSERT_TRUE(ecrit.emplace(b.adresse + 2 * k, b.mots[k] & 0xFF).second);
            ASSERT_TRUE(ecrit.emplace(b.adresse + 2 * k + 1, b.mots[k] >> 8).second);
        }
    }
    EXPECT_EQ(pleins, 1143);
    EXPECT_EQ(partiels, (std::vector<std::pair<unsigned, std::size_t>>{{0x11F40, 27}, {0x11F76, 5}, {0x12600, 21}}));
    std::map<unsigned, unsigned> attendu = Memoire();
    attendu[0x11F75] = 0;  // the hole, sent as the empty high half of its word
    attendu[0x12629] = 0;  // high half of the last, odd-sized block's last word
    EXPECT_TRUE(ecrit == attendu);
}

}  // namespace
