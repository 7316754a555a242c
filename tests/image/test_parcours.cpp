// The walk on small record sets: block building, windows, EEPROM bytes, progress, failures.
#include <gtest/gtest.h>

#include "faux_parcours.h"
#include "wizard/version_mise_a_jour.h"

namespace {

using Mots = std::vector<unsigned>;
using Liste = std::vector<int>;
// The walk's intervals: a block starts filling, a block was written, the last block.
constexpr int REMPLIR = INTERVALLE_REMPLISSAGE_MS, ECRIT = INTERVALLE_APRES_BLOC_MS,
              DERNIER = INTERVALLE_DERNIER_BLOC_MS;
unsigned Mot(int bas, int haut) { return static_cast<unsigned>(bas | haut << 8); }

class Parcours : public ::testing::Test {
protected:
    // A new attempt, as page 6 and step 7 start it.
    void Charger(std::vector<std::string> enregistrements) {
        Textes = std::move(enregistrements);
        std::vector<const char*> table;
        for (const std::string& t : Textes)
            table.push_back(t.c_str());
        parcours.RemettreIndex();
        parcours.PreparerTransfert();
        fenetre.Etape = ETAPE_PROGRAMMATION;
        parcours.ConstruireTable(table);
    }
    std::vector<std::string> Textes;
    EcrituresEnregistrees ecritures;
    FenetreEnregistree fenetre;
    ParcoursImage parcours{ecritures, fenetre};
};

TEST_F(Parcours, ExtendedAddressShiftsAndPendingBlockGoesFirst) {
    Charger({Base(1), Donnees(0x0000, {1, 2, 3, 4}), Base(0), Donnees(0x0900, {5, 6}), FIN});
    EXPECT_EQ(Derouler(parcours, fenetre), 5);
    ASSERT_EQ(ecritures.Blocs.size(), 2u);
    EXPECT_EQ(ecritures.Blocs[0].adresse, 0x10000u);
    EXPECT_EQ(ecritures.Blocs[0].mots, (Mots{0x0201, 0x0403}));
    EXPECT_EQ(ecritures.Blocs[1].adresse, 0x900u);
    EXPECT_EQ(fenetre.Intervalles, (Liste{REMPLIR, ECRIT, DERNIER}));
}

TEST_F(Parcours, RecordEndingAtRowEndIsWrittenInItsTick) {
    Charger({Donnees(0x830, Suite(0x10, 16)), Donnees(0x840, {9, 8}), FIN});
    parcours.LireEnregistrementSuivant();
    ASSERT_EQ(ecritures.Blocs.size(), 1u);
    EXPECT_EQ(ecritures.Blocs[0].adresse, 0x830u);
    EXPECT_EQ(ecritures.Blocs[0].mots.size(), 8u);
    EXPECT_EQ(ecritures.Blocs[0].mots[7], Mot(0x1E, 0x1F));
    EXPECT_EQ(fenetre.Etape, ETAPE_PROGRAMMATION);
    parcours.LireEnregistrementSuivant();
    EXPECT_EQ(ecritures.Blocs.size(), 1u);
    EXPECT_EQ(fenetre.Intervalles, (Liste{REMPLIR, ECRIT, REMPLIR}));
}

TEST_F(Parcours, OneByteGapFlushesOddBlockWithClearHighHalf) {
    // A full row first leaves old bytes in every word of the buffer.
    Charger({Donnees(0x900, Suite(0x40, 16)), Donnees(0x910, Suite(0x50, 16)), Donnees(0x920, Suite(0x60, 16)),
             Donnees(0x930, Suite(0x70, 16)), Donnees(0x940, {0xA0, 0xA1, 0xA2, 0xA3, 0xA4}),
             Donnees(0x946, {0xB0, 0xB1, 0xB2, 0xB3}), FIN});
    Derouler(parcours, fenetre);
    ASSERT_EQ(ecritures.Blocs.size(), 3u);
    EXPECT_EQ(ecritures.Blocs[0].mots.size(), 32u);
    EXPECT_EQ(ecritures.Blocs[1].adresse, 0x940u);
    EXPECT_EQ(ecritures.Blocs[1].mots, (Mots{Mot(0xA0, 0xA1), Mot(0xA2, 0xA3), 0xA4}));
    EXPECT_EQ(ecritures.Blocs[2].adresse, 0x946u);
    EXPECT_EQ(ecritures.Blocs[2].mots, (Mots{Mot(0xB0, 0xB1), Mot(0xB2, 0xB3)}));
    EXPECT_EQ(fenetre.Intervalles, (Liste{REMPLIR, ECRIT, REMPLIR, ECRIT, DERNIER}));
}

TEST_F(Parcours, OddStartIsAppendedOrItsBlockStartsOnTheErasedByteBefore) {
    Charger({Donnees(0xA00, {1, 2, 3}), Donnees(0xA03, {4, 5, 6, 7}), FIN});
    EXPECT_EQ(Derouler(parcours, fenetre), 3);
    ASSERT_EQ(ecritures.Blocs.size(), 1u);
    EXPECT_EQ(ecritures.Blocs[0].adresse, 0xA00u);
    EXPECT_EQ(ecritures.Blocs[0].mots, (Mots{Mot(1, 2), Mot(3, 4), Mot(5, 6), 7}));
    EXPECT_EQ(fenetre.Intervalles, (Liste{REMPLIR, DERNIER}));

    // After a gap the bootloader still gets even addresses, up to the last byte of a row.
    ecritures = {};
    fenetre = {};
    Charger({Donnees(0xA00, {1, 2, 3}), Donnees(0xA05, {5, 6, 7}), Donnees(0xA3F, {9}), FIN});
    EXPECT_EQ(Derouler(parcours, fenetre), 4);
    ASSERT_EQ(ecritures.Blocs.size(), 3u);
    EXPECT_EQ(ecritures.Blocs[1].adresse, 0xA04u);
    EXPECT_EQ(ecritures.Blocs[1].mots, (Mots{Mot(0xFF, 5), Mot(6, 7)}));
    EXPECT_EQ(ecritures.Blocs[2].adresse, 0xA3Eu);
    EXPECT_EQ(ecritures.Blocs[2].mots, (Mots{Mot(0xFF, 9)}));
    EXPECT_EQ(fenetre.Intervalles, (Liste{REMPLIR, ECRIT, ECRIT, ECRIT}));
}

TEST_F(Parcours, RecordRunningPastRowEndFinishesNextTick) {
    Charger({Donnees(0xB38, Suite(0x20, 16)), FIN});
    parcours.LireEnregistrementSuivant();
    EXPECT_EQ(fenetre.Etape, ETAPE_ENVOI);
    ASSERT_EQ(ecritures.Blocs.size(), 1u);
    EXPECT_EQ(ecritures.Blocs[0].adresse, 0xB38u);
    EXPECT_EQ(ecritures.Blocs[0].mots.size(), 4u);
    parcours.EnvoyerOctets();
    EXPECT_EQ(fenetre.Etape, ETAPE_PROGRAMMATION);
    parcours.LireEnregistrementSuivant();
    ASSERT_EQ(ecritures.Blocs.size(), 2u);
    EXPECT_EQ(ecritures.Blocs[1].adresse, 0xB40u);
    EXPECT_EQ(ecritures.Blocs[1].mots.front(), Mot(0x28, 0x29));
    EXPECT_EQ(fenetre.Intervalles, (Liste{REMPLIR, ECRIT, REMPLIR, DERNIER}));
}

TEST_F(Parcours, EepromBytesOnePerTickAfterPendingBlock) {
    Charger({Donnees(0x800, {1, 2}), Base(0x00F0), Donnees(0x0010, {0xA1, 0xB2, 0xC3}), FIN});
    EXPECT_EQ(Derouler(parcours, fenetre), 6);
    EXPECT_EQ(ecritures.Ordre, "BEEEV");
    EXPECT_EQ(ecritures.Eeprom, (std::vector<Liste>{{16, 0xA1}, {17, 0xB2}, {18, 0xC3}}));
    // End of file with an empty buffer: no block and no new interval, but the version.
    EXPECT_EQ(fenetre.Intervalles, (Liste{REMPLIR, ECRIT}));
    EXPECT_EQ(ecritures.Versions, (std::vector<Liste>{{VERSION_MAJEUR, VERSION_MINEUR, VERSION_REVISION}}));
    EXPECT_EQ(fenetre.Etape, ETAPE_ENVOI);
    EXPECT_EQ(fenetre.SousEtape, 0);
}

TEST_F(Parcours, OutsideBothWindowsNothingIsWritten) {
    Charger({Base(0x0030), Donnees(0x0000, {1, 2}), Enregistrement(5, 0, {0, 0, 8, 0}), Base(0),
             Donnees(0x07F0, {3, 4}), Base(0x00F0), Donnees(0x03F5, {5, 6, 7, 8}), FIN});
    EXPECT_EQ(Derouler(parcours, fenetre), 9);
    EXPECT_TRUE(ecritures.Blocs.empty());
    // The EEPROM window stops at 1014: the serial number and the version stay untouched.
    EXPECT_EQ(ecritures.Eeprom, (std::vector<Liste>{{1013, 5}, {1014, 6}}));
    EXPECT_TRUE(fenetre.Intervalles.empty());
}

TEST_F(Parcours, LastByteAtTopOfProgramMemory) {
    Charger({Base(1), Donnees(0xFFFC, {1, 2, 3}), FIN});
    parcours.LireEnregistrementSuivant();
    const int avant = fenetre.ChangementsEtape;
    parcours.LireEnregistrementSuivant();
    EXPECT_EQ(fenetre.ChangementsEtape - avant, 2);  // to 9, and back to 8 once
    EXPECT_EQ(fenetre.Etape, ETAPE_PROGRAMMATION);
    parcours.LireEnregistrementSuivant();
    ASSERT_EQ(ecritures.Blocs.size(), 1u);
    EXPECT_EQ(ecritures.Blocs[0].adresse, 0x1FFFCu);
    EXPECT_EQ(ecritures.Blocs[0].mots, (Mots{Mot(1, 2), 3}));
}

TEST_F(Parcours, ProgressShowsRecordsFetchedBeforeAndHoldsAtMaximum) {
    Charger({Donnees(0x800, {1}), Donnees(0x801, {2}), Donnees(0x802, {3}), FIN});
    Liste positions;
    while (fenetre.Postes == 0)
        Tic(parcours, fenetre), positions.push_back(fenetre.Position);
    EXPECT_EQ(fenetre.Avancements, (std::vector<std::string>{"0.0", "25.0", "50.0", "75.0"}));
    EXPECT_EQ(positions, (Liste{2, 3, 4, 4}));
}

TEST_F(Parcours, EveryAttemptStartsAfresh) {
    Charger({Base(0x00F0), Donnees(0x0000, {1, 2}), FIN});
    Tic(parcours, fenetre), Tic(parcours, fenetre);                // EEPROM record half sent
    Charger({Base(1), Donnees(0x900, {7}), Donnees(0x902, {8})});  // a base and a pending byte
    Tic(parcours, fenetre), Tic(parcours, fenetre), Tic(parcours, fenetre), Tic(parcours, fenetre);
    EXPECT_EQ(parcours.Echec(), ERR_IMAGE_INVALIDE);  // ran out of records without the end
    ecritures = {};
    Charger({Donnees(0x0800, {1, 2, 3}), FIN});
    EXPECT_EQ(parcours.EnvoyerOctets(), 0);  // a stray step-9 tick has no record in hand
    fenetre.Etape = ETAPE_PROGRAMMATION;
    EXPECT_EQ(Derouler(parcours, fenetre), 2);
    ASSERT_EQ(ecritures.Blocs.size(), 1u);
    EXPECT_EQ(ecritures.Blocs[0].adresse, 0x800u);
    EXPECT_EQ(ecritures.Blocs[0].mots, (Mots{Mot(1, 2), 3}));
    EXPECT_EQ(ecritures.Ordre, "BV");
}

// A failed write stops the walk: it is reported and nothing more is written.
TEST_F(Parcours, FailedBlockStopsTheWalk) {
    Charger({Donnees(0x800, Suite(0, 16)), Donnees(0x810, Suite(0, 16)), Donnees(0x820, Suite(0, 16)),
             Donnees(0x830, Suite(0, 16)), Donnees(0x840, {1}), Donnees(0x842, {2}), FIN});
    ecritures.EchecBlocNumero = 2;
    ecritures.CodeEchec = 100002;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Tic(parcours, fenetre), 0);
    EXPECT_EQ(Tic(parcours, fenetre), 100002);  // the gap flushes the second block
    EXPECT_EQ(parcours.LireEnregistrementSuivant(), 100002);
    EXPECT_EQ(parcours.EnvoyerOctets(), 100002);
    EXPECT_EQ(parcours.Echec(), 100002);
    EXPECT_EQ(ecritures.Ordre, "BB");
    EXPECT_EQ(fenetre.Postes, 0);
}

TEST_F(Parcours, FailedEepromLastBlockOrVersionIsReported) {
    Charger({Base(0x00F0), Donnees(0x0000, {1, 2, 3}), FIN});
    ecritures.EchecEepromNumero = 2;
    EXPECT_EQ(Derouler(parcours, fenetre), 3);
    EXPECT_EQ(parcours.Echec(), 100003);
    EXPECT_EQ(ecritures.Ordre, "EE");

    ecritures = {};
    Charger({Donnees(0x800, {1}), FIN});
    ecritures.EchecBlocNumero = 1;
    EXPECT_EQ(Derouler(parcours, fenetre), 2);
    EXPECT_EQ(ecritures.Ordre, "B");  // no version stamp over a failed last block

    Charger({FIN});
    ecritures.EchecVersion = true;
    EXPECT_EQ(parcours.LireEnregistrementSuivant(), 100003);
    EXPECT_EQ(fenetre.Postes, 0);
}

TEST_F(Parcours, RecordShorterThanItsCountIsRefused) {
    Charger({":10080000AABB", FIN});
    EXPECT_EQ(Tic(parcours, fenetre), ERR_IMAGE_INVALIDE);
    EXPECT_TRUE(ecritures.Ordre.empty());
}

}  // namespace
