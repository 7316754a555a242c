// The device side of the exchanges: connection, identity, rates and phases.
#include "tests/sim/appareil_test.h"

#include <functional>

using namespace protocole;
using namespace temps_appareil;

namespace {

using Protocole = AppareilTest;

TEST_F(Protocole, CommandsBeforeConnectionAreIgnoredAndReported) {
    Demarrer();
    EXPECT_EQ(Echanger(CMD_PROGRAMMATION, SILENCE_MS), PairPc::AUCUN);
    EXPECT_EQ(Echanger(CMD_LIRE_VARIANTE, SILENCE_MS), PairPc::AUCUN);
    EXPECT_EQ(simulateur_->Anomalies().size(), 2u);
    EXPECT_FALSE(simulateur_->Connecte());

    EXPECT_EQ(Echanger(CMD_CONNEXION), REP_CONNECTE);
    EXPECT_TRUE(simulateur_->Connecte());
    EXPECT_EQ(Echanger(CMD_CONNEXION), REP_CONNECTE);  // asked again while connected
}

TEST_F(Protocole, IdentityComesAsHexPairsFromOptionsAndEeprom) {
    OptionsSimulateur o = OptionsRapides();
    o.identite.modele = "Q12";
    o.identite.variante = 0xA7;
    o.identite.numeroSerie = 123456789;  // 0x075BCD15
    o.identite.majeur = 3;
    o.identite.mineur = 7;
    o.identite.revision = 9;
    o.identite.langue = 1;
    Demarrer(o);
    ASSERT_EQ(Echanger(CMD_CONNEXION), REP_CONNECTE);

    pc_.Envoyer(CMD_LIRE_MODELE);
    std::string modele;
    for (int i = 0; i < 3; ++i)
        modele += static_cast<char>(pc_.LireHex());
    EXPECT_EQ(modele, "Q12");

    pc_.Envoyer(CMD_LIRE_VARIANTE);
    EXPECT_EQ(pc_.LireHex(), 0xA7);

    const unsigned attendus[][2] = {{1016, 0x15}, {1017, 0xCD}, {1018, 0x5B}, {1019, 0x07}, {1021, 3},
                                    {1022, 7},    {1020, 9},    {15, 1},      {16, 0xFF}};
    for (const auto& a : attendus) {
        pc_.Envoyer(Commande(CMD_LIRE_EEPROM, {a[0] >> 8, a[0] & 0xFF}));
        EXPECT_EQ(pc_.LireHex(), static_cast<int>(a[1])) << "EEPROM " << a[0];
    }
    EXPECT_TRUE(simulateur_->Anomalies().empty());
}

TEST_F(Protocole, EachCharacterOfAHexPairWaitsForTheAcknowledge) {
    Demarrer();
    ASSERT_EQ(Echanger(CMD_CONNEXION), REP_CONNECTE);
    pc_.Envoyer(CMD_LIRE_VARIANTE);
    EXPECT_EQ(pc_.Lire(), '0');
    EXPECT_EQ(pc_.Lire(SILENCE_MS), PairPc::AUCUN);
    pc_.Envoyer(ACQUIT);
    EXPECT_EQ(pc_.Lire(), '1');
    EXPECT_EQ(pc_.Lire(SILENCE_MS), PairPc::AUCUN);
    pc_.Envoyer(ACQUIT);
    EXPECT_EQ(pc_.Lire(SILENCE_MS), PairPc::AUCUN);

    // Another byte in place of the acknowledge drops the reply.
    pc_.Envoyer(CMD_LIRE_VARIANTE);
    EXPECT_EQ(pc_.Lire(), '0');
    EXPECT_EQ(Echanger(CMD_LIRE_VARIANTE, SILENCE_MS), PairPc::AUCUN);
    EXPECT_EQ(simulateur_->Anomalies().size(), 1u);
}

TEST_F(Protocole, EepromWritesAreStoredAndCheckedForRange) {
    Demarrer();
    ASSERT_EQ(Echanger(CMD_CONNEXION), REP_CONNECTE);
    EXPECT_EQ(Echanger(Commande(CMD_ECRIRE_EEPROM, {0x03, 0xFD, 0x03})), ACQUIT);
    LaisserTravailler(DUREE_ECRITURE_CELLULE_MS);
    EXPECT_EQ(Echanger(Commande(CMD_ECRIRE_EEPROM, {0x00, 0x0F, 0x01})), ACQUIT);
    LaisserTravailler(DUREE_ECRITURE_CELLULE_MS);
    EXPECT_NE(Echanger(Commande(CMD_ECRIRE_EEPROM, {0x04, 0x00, 0x55})), ACQUIT);  // 1024
    EXPECT_NE(Echanger("\x8B"
                       "03fd03"),
              ACQUIT);  // lower case is not hex to the device
    const std::vector<std::uint8_t> eeprom = simulateur_->Eeprom();
    EXPECT_EQ(eeprom[1021], 3);
    EXPECT_EQ(eeprom[15], 1);
    EXPECT_EQ(std::count(eeprom.begin(), eeprom.end(), 0x55), 0);
    EXPECT_EQ(simulateur_->Anomalies().size(), 2u);
}

TEST_F(Protocole, ACommandAtTheWrongRateIsNotAnswered) {
    Demarrer();
    ASSERT_TRUE(pc_.Regler(19200));
    EXPECT_EQ(Echanger(CMD_CONNEXION, SILENCE_MS), PairPc::AUCUN);
    EXPECT_FALSE(simulateur_->Connecte());
    ASSERT_EQ(simulateur_->Anomalies().size(), 1u);
    EXPECT_NE(simulateur_->Anomalies()[0].find("19200"), std::string::npos);

    ASSERT_TRUE(pc_.Regler(9600));
    EXPECT_EQ(Echanger(CMD_CONNEXION), REP_CONNECTE);
}

TEST_F(Protocole, RateChangeAnswersTwiceAtTheOldRateThenSwitches) {
    Demarrer();
    ASSERT_EQ(Echanger(CMD_CONNEXION), REP_CONNECTE);
    EXPECT_EQ(Echanger(Commande(CMD_VITESSE, {0x00, 0x8E})), ACQUIT);  // 56000: no Bxxx constant
    EXPECT_GE(pc_.Lire(), 0);

    EXPECT_EQ(Echanger(CMD_PROGRAMMATION, SILENCE_MS), PairPc::AUCUN);  // still at 9600
    EXPECT_EQ(simulateur_->VitesseCourante(), 56000);
    ASSERT_TRUE(pc_.Regler(57600));
    EXPECT_EQ(Echanger(CMD_PROGRAMMATION, SILENCE_MS), PairPc::AUCUN);
    ASSERT_TRUE(pc_.Regler(56000));
    EXPECT_EQ(Echanger(CMD_PROGRAMMATION), ACQUIT);
    EXPECT_EQ(simulateur_->Anomalies().size(), 2u);

    EXPECT_NE(Echanger(Commande(CMD_VITESSE, {0x12, 0x34})), ACQUIT);  // unknown code
    EXPECT_EQ(pc_.Lire(SILENCE_MS), PairPc::AUCUN);
    EXPECT_EQ(simulateur_->VitesseCourante(), 56000);
}

TEST_F(Protocole, FarewellEndsTheConnectionBackAt9600) {
    Demarrer();
    ASSERT_EQ(Echanger(CMD_CONNEXION), REP_CONNECTE);
    ASSERT_EQ(Echanger(Commande(CMD_VITESSE, {0x00, 0x44})), ACQUIT);
    pc_.Lire();
    ASSERT_TRUE(pc_.Regler(115200));
    ASSERT_EQ(Echanger(CMD_PROGRAMMATION), ACQUIT);

    ASSERT_EQ(Echanger(Commande(CMD_VITESSE, {0x03, 0x40})), ACQUIT);
    pc_.Lire();
    ASSERT_TRUE(pc_.Regler(9600));
    EXPECT_GE(Echanger(CMD_AU_REVOIR), 0);
    EXPECT_FALSE(simulateur_->Connecte());
    EXPECT_EQ(simulateur_->VitesseCourante(), 9600);
    EXPECT_EQ(Echanger(CMD_PROGRAMMATION, SILENCE_MS), PairPc::AUCUN);
    EXPECT_EQ(simulateur_->Anomalies().size(), 1u);  // the command after the farewell
}

// A PC out of step with the device, or sending while it is busy: noticed, and the byte is lost.
TEST_F(Protocole, APcOutOfStepIsCaught) {
    OptionsSimulateur o = OptionsRapides();
    o.fautes.vitesseFautive = 115200;
    o.fautes.retardVitesseMs = 100;  // time enough to switch too early
    const std::string rapide = Commande(CMD_VITESSE, {0x00, 0x44});
    const struct {
        const char* anomalie;
        std::function<void()> echange;  // ends with the wrong step
        int reponse;                    // what the PC reads then
    } fautifs[] = {
        {"reply 0x84 lost: the PC is at 115200 bit/s", [&] { Echanger(rapide), pc_.Regler(115200); }, PairPc::AUCUN},
        {"farewell at 115200 bit/s",
         [&] { Echanger(rapide), pc_.Lire(), pc_.Regler(115200), pc_.Envoyer(CMD_AU_REVOIR); }, ACQUIT},
        {"byte 0x87 lost: the PC sent it while the device was erasing",
         [&] { Echanger(CMD_PROGRAMMATION), Echanger(CMD_PREPARER), pc_.Envoyer(CMD_LIRE_VARIANTE); }, PairPc::AUCUN},
        {"byte 0x87 lost: the PC sent it while the device was writing an EEPROM cell",
         [&] {
             Echanger(Commande(CMD_ECRIRE_EEPROM, {3, 0xFD, 3})), pc_.Envoyer(CMD_LIRE_VARIANTE);
         },
         PairPc::AUCUN},
    };
    for (const auto& f : fautifs) {
        Demarrer(o);
        ASSERT_EQ(Echanger(CMD_CONNEXION), REP_CONNECTE);
        f.echange();
        EXPECT_EQ(pc_.Lire(SILENCE_MS), f.reponse) << f.anomalie;
        const std::vector<std::string> anomalies = simulateur_->Anomalies();
        ASSERT_EQ(anomalies.size(), 1u) << f.anomalie;
        EXPECT_EQ(anomalies[0].find(f.anomalie), 0u) << anomalies[0];
    }
}

TEST_F(Protocole, PhasesAreEnforced) {
    Demarrer();
    ASSERT_EQ(Echanger(CMD_CONNEXION), REP_CONNECTE);
    EXPECT_NE(Echanger(CMD_PREPARER), ACQUIT);
    EXPECT_NE(Echanger(CMD_TERMINER), ACQUIT);
    EXPECT_NE(Echanger(TrameBloc(0x800, {0x1234})), ACQUIT);
    ASSERT_EQ(Echanger(CMD_PROGRAMMATION), ACQUIT);
    EXPECT_NE(Echanger(CMD_TERMINER), ACQUIT);
    EXPECT_NE(Echanger(TrameBloc(0x800, {0x1234})), ACQUIT);
    EXPECT_EQ(simulateur_->BlocsEcrits(), 0);

    ASSERT_EQ(Echanger(CMD_PREPARER), ACQUIT);
    LaisserTravailler(DUREE_EFFACEMENT_MS);
    EXPECT_NE(Echanger(CMD_PREPARER), ACQUIT);  // already prepared
    EXPECT_EQ(Echanger(CMD_TERMINER), ACQUIT);
    EXPECT_FALSE(simulateur_->Connecte());
    EXPECT_EQ(simulateur_->Anomalies().size(), 6u);
}

TEST_F(Protocole, ThePcMayCloseAndReopenItsEnd) {
    Demarrer();
    ASSERT_EQ(Echanger(CMD_CONNEXION), REP_CONNECTE);
    pc_.Fermer();
    ASSERT_TRUE(pc_.Ouvrir(simulateur_->CheminEsclave(), 9600));
    EXPECT_EQ(Echanger(CMD_PROGRAMMATION), ACQUIT);
    EXPECT_TRUE(simulateur_->Anomalies().empty());
}

}  // namespace
