// What the device leaves behind: Intel HEX dumps and the byte trace.
#include "tests/sim/appareil_test.h"
#include "wizard/lecture_hex.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace protocole;

namespace {

// Reads Intel HEX back into a memory of the given size (0xFF where no record wrote) with the
// program's reader; fails the test on any fault it names, or a record of the dumps' own shape
// broken (more than 16 bytes or across 16 bytes).
std::vector<std::uint8_t> RelireIntelHex(const std::string& chemin, std::size_t taille,
                                         int* enregistrements04 = nullptr) {
    std::vector<std::uint8_t> memoire(taille, 0xFF);
    std::vector<EnregistrementHex> enregistrements;
    ErreurHex erreur;
    EXPECT_TRUE(LireFichierIntelHex(chemin, enregistrements, erreur))
        << chemin << ":" << erreur.Ligne << ": " << erreur.Motif;
    int type04 = 0;
    for (const EnregistrementHex& e : enregistrements) {
        type04 += e.Type == HEX_ADRESSE_ETENDUE;
        if (e.Type != HEX_DONNEES) continue;
        EXPECT_LE(e.Octets.size(), 16u);
        EXPECT_EQ(e.Adresse / 16, (e.Adresse + e.Octets.size() - 1) / 16) << "crosses 16 bytes: " << e.Texte;
        for (std::size_t i = 0; i < e.Octets.size(); ++i) {
            EXPECT_LT(e.Adresse + i, taille) << e.Texte;
            if (e.Adresse + i < taille) memoire[e.Adresse + i] = e.Octets[i];
        }
    }
    if (enregistrements04) *enregistrements04 = type04;
    return memoire;
}

class Vidages : public AppareilTest {
protected:
    void SetUp() override {
        char modele[] = "/tmp/zantrel_sim_test_XXXXXX";
        ASSERT_NE(mkdtemp(modele), nullptr);
        dossier_ = modele;
    }
    void TearDown() override {
        for (const char* nom : {"/programme.hex", "/eeprom.hex", "/trace.txt"})
            std::remove((dossier_ + nom).c_str());
        rmdir(dossier_.c_str());
    }
    std::string dossier_;
};

TEST_F(Vidages, DumpsReadBackAsWhatTheDeviceHolds) {
    OptionsSimulateur o = OptionsRapides();
    o.fichierHexProgramme = dossier_ + "/programme.hex";
    o.fichierHexEeprom = dossier_ + "/eeprom.hex";
    Demarrer(o);
    PreparerBlocs();
    ASSERT_EQ(Echanger(TrameBloc(0x80A, {0x1234, 0xFFFF, 0x56FF, 0x9A78})), ACQUIT);
    ASSERT_EQ(Echanger(TrameBloc(0x10000, {0xBEEF})), ACQUIT);
    ASSERT_EQ(Echanger(TrameBloc(0x1FFC0, std::vector<unsigned>(32, 0x0102))), ACQUIT);
    ASSERT_EQ(Echanger(Commande(CMD_ECRIRE_EEPROM, {0x03, 0xFE, 0x08})), ACQUIT);
    const std::vector<std::uint8_t> programme = simulateur_->MemoireProgramme();
    const std::vector<std::uint8_t> eeprom = simulateur_->Eeprom();
    simulateur_->Arreter();

    int type04 = 0;
    EXPECT_EQ(RelireIntelHex(o.fichierHexProgramme, TAILLE_MEMOIRE_PROGRAMME, &type04), programme);
    EXPECT_EQ(type04, 1);  // one page above the first 64 KiB
    const std::vector<std::uint8_t> relue = RelireIntelHex(o.fichierHexEeprom, TAILLE_EEPROM);
    EXPECT_EQ(relue, eeprom);
    EXPECT_EQ(relue[1022], 8);
    EXPECT_EQ(relue[1016], 0x15);
}

TEST_F(Vidages, TraceHoldsEveryByteBothWays) {
    OptionsSimulateur o = OptionsRapides();
    o.fichierTrace = dossier_ + "/trace.txt";
    Demarrer(o);
    ASSERT_EQ(Echanger(CMD_CONNEXION), REP_CONNECTE);
    pc_.Envoyer(CMD_LIRE_VARIANTE);
    ASSERT_EQ(pc_.LireHex(), 1);
    EXPECT_EQ(Echanger(CMD_PREPARER), REP_REJET);
    simulateur_->Arreter();

    const std::vector<OctetTrace> attendue{{true, 0x80}, {false, 0x81}, {true, 0x87}, {false, '0'},      {true, 0x84},
                                           {false, '1'}, {true, 0x84},  {true, 0x90}, {false, REP_REJET}};
    const std::vector<OctetTrace> trace = simulateur_->Trace();
    ASSERT_EQ(trace.size(), attendue.size());
    for (std::size_t i = 0; i < trace.size(); ++i) {
        EXPECT_EQ(trace[i].versAppareil, attendue[i].versAppareil) << i;
        EXPECT_EQ(trace[i].octet, attendue[i].octet) << i;
    }

    std::ifstream fichier(o.fichierTrace);
    std::string ligne;
    std::size_t i = 0;
    int commentaires = 0;
    while (std::getline(fichier, ligne)) {
        if (ligne.rfind("# ", 0) == 0) {
            ++commentaires;  // the anomaly, where it happened
            continue;
        }
        double ms = 0;
        char sens[8] = {};
        unsigned octet = 0;
        ASSERT_EQ(std::sscanf(ligne.c_str(), "%lf %7s %x", &ms, sens, &octet), 3) << ligne;
        ASSERT_LT(i, attendue.size());
        EXPECT_EQ(std::string(sens), attendue[i].versAppareil ? "PC>AP" : "AP>PC") << ligne;
        EXPECT_EQ(octet, attendue[i].octet) << ligne;
        ++i;
    }
    EXPECT_EQ(i, attendue.size());
    EXPECT_EQ(commentaires, 1);
}

}  // namespace
