// Faults the device plays on request.
#include "tests/sim/appareil_test.h"

using namespace protocole;

namespace {

using Fautes = AppareilTest;

TEST_F(Fautes, RefusedConnection) {
    OptionsSimulateur o = OptionsRapides();
    o.fautes.refuserConnexion = true;
    Demarrer(o);
    EXPECT_EQ(Echanger(CMD_CONNEXION), REP_REFUS);
    EXPECT_FALSE(simulateur_->Connecte());
    EXPECT_EQ(Echanger(CMD_PROGRAMMATION, SILENCE_MS), PairPc::AUCUN);
}

TEST_F(Fautes, SilentFromTheNthCommand) {
    OptionsSimulateur o = OptionsRapides();
    o.fautes.silencieuxDepuis = 3;
    Demarrer(o);
    EXPECT_EQ(Echanger(CMD_CONNEXION), REP_CONNECTE);
    EXPECT_EQ(Echanger(CMD_PROGRAMMATION), ACQUIT);
    EXPECT_EQ(Echanger(CMD_PREPARER, SILENCE_MS), PairPc::AUCUN);
    EXPECT_EQ(Echanger(CMD_CONNEXION, SILENCE_MS), PairPc::AUCUN);
}

TEST_F(Fautes, NamedCommandAnsweredWithTheWrongByteAndNotCarriedOut) {
    OptionsSimulateur o = OptionsRapides();
    o.fautes.commandeFautive = CMD_PROGRAMMATION;
    o.fautes.octetFautif = 0x00;
    Demarrer(o);
    ASSERT_EQ(Echanger(CMD_CONNEXION), REP_CONNECTE);
    EXPECT_EQ(Echanger(CMD_PROGRAMMATION), 0x00);
    EXPECT_NE(Echanger(CMD_PREPARER), ACQUIT);  // programming was not entered

    simulateur_.reset();
    o.fautes.commandeFautive = CMD_ECRIRE_BLOC;
    o.fautes.octetFautif = 0x85;
    Demarrer(o);
    PreparerBlocs();
    EXPECT_EQ(Echanger(TrameBloc(0x800, {0x1234})), 0x85);
    EXPECT_EQ(pc_.Lire(SILENCE_MS), PairPc::AUCUN);
    EXPECT_EQ(simulateur_->BlocsEcrits(), 0);
    EXPECT_EQ(simulateur_->MemoireProgramme()[0x800], 0xFF);
    EXPECT_EQ(Echanger(CMD_TERMINER), ACQUIT);  // the frame was taken in whole
}

// The power goes once the command is answered, a rejection too, or before it is taken; the
// line drops either way and the EEPROM keeps what the command left.
TEST_F(Fautes, PowerCutAfterTheAnswerOrWithTheCommandLost) {
    const std::string langue = Commande(CMD_ECRIRE_EEPROM, {0, EEPROM_LANGUE, 1});
    const struct {
        std::string trame;
        bool prise;
        int reponse;
        unsigned octetLangue;
    } cas[] = {{langue, true, ACQUIT, 1},
               {langue, false, PairPc::FERME, 0xFF},
               {Commande(CMD_ECRIRE_EEPROM, {0x05, 0x00, 1}), true, REP_REJET, 0xFF},
               {Commande(CMD_VITESSE, {0xFF, 0xFF}), true, REP_REJET, 0xFF},
               {TrameBloc(0x801, {0x1234}), true, REP_REJET, 0xFF}};
    for (const auto& c : cas) {
        OptionsSimulateur o = OptionsRapides();
        o.fautes.commandeCoupure = static_cast<unsigned char>(c.trame[0]);
        o.fautes.coupureApresPrise = c.prise;
        simulateur_.reset();
        Demarrer(o);
        SCOPED_TRACE(c.trame.substr(1) + (c.prise ? " taken" : " lost"));
        ASSERT_EQ(Echanger(CMD_CONNEXION), REP_CONNECTE);
        EXPECT_EQ(Echanger(c.trame), c.reponse);
        EXPECT_EQ(pc_.Lire(), PairPc::FERME);
        EXPECT_EQ(simulateur_->Eeprom()[EEPROM_LANGUE], c.octetLangue);
    }
}

TEST_F(Fautes, HangsUpAfterNBlocks) {
    OptionsSimulateur o = OptionsRapides();
    o.fautes.raccrocherApresBlocs = 2;
    Demarrer(o);
    PreparerBlocs();
    EXPECT_EQ(Echanger(TrameBloc(0x800, {0x1111})), ACQUIT);
    EXPECT_EQ(Echanger(TrameBloc(0x840, {0x2222})), ACQUIT);
    EXPECT_EQ(pc_.Lire(), PairPc::FERME);
    EXPECT_EQ(simulateur_->BlocsEcrits(), 2);
    simulateur_->Arreter();  // still stops cleanly after the hang-up
}

}  // namespace
