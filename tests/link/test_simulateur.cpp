// The link against the simulated device: a whole update byte for byte, and a device that
// misbehaves or goes away.
#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "link/Com_p07_v1_2.h"
#include "sim/appareil.h"
#include "sim/ligne_virtuelle.h"
#include "sim/simulateur.h"
#include "tests/link/pty_temoin.h"

namespace {

// "> 80" for the PC's bytes, "< 81" for the device's: readable when the orders differ.
class Echanges {
public:
    void Pc(int octet) { Noter('>', octet); }
    void PcHex(int valeur) {
        char paire[3];
        std::snprintf(paire, sizeof paire, "%02X", valeur);
        Pc(paire[0]);
        Pc(paire[1]);
    }
    void Ap(int octet) { Noter('<', octet); }
    // The device's pair, each character acknowledged by the PC.
    void ApHex(int valeur) {
        char paire[3];
        std::snprintf(paire, sizeof paire, "%02X", valeur);
        for (int i = 0; i < 2; ++i) {
            Ap(paire[i]);
            Pc(0x84);
        }
    }
    void LireEeprom(int adresse, int valeur) {
        Pc(0x89);
        PcHex(adresse >> 8);
        PcHex(adresse & 0xFF);
        ApHex(valeur);
    }
    void EcrireEeprom(int adresse, int valeur) {
        Pc(0x8B);
        PcHex(adresse >> 8);
        PcHex(adresse & 0xFF);
        PcHex(valeur);
        Ap(0x84);
    }
    // A command the device acknowledges.
    void Acquittee(int commande) {
        Pc(commande);
        Ap(0x84);
    }
    // A block: its byte count, then address and data as keyed on the wire; the acknowledge.
    void Bloc(int compte, std::initializer_list<int> octets) {
        Pc(0x9F);
        PcHex(compte);
        for (int o : octets)
            PcHex(o);
        Ap(0x84);
    }
    // A rate change: its code, and the device's two acknowledges at the old rate.
    void Vitesse(int code) {
        Pc(0x9E);
        PcHex(code >> 8);
        PcHex(code & 0xFF);
        Ap(0x84);
        Ap(0x84);
    }
    const std::string& Texte() const { return texte_; }

    static std::string DeLaTrace(const std::vector<OctetTrace>& trace) {
        Echanges e;
        for (const OctetTrace& o : trace)
            e.Noter(o.versAppareil ? '>' : '<', o.octet);
        return e.texte_;
    }

private:
    void Noter(char sens, int octet) {
        char t[8];
        std::snprintf(t, sizeof t, "%c %02X\n", sens, octet & 0xFF);
        texte_ += t;
    }
    std::string texte_;
};

std::unique_ptr<ComP07> LienVersSimulateur(const Simulateur& sim) { return LienVers(sim.CheminEsclave()); }

}  // namespace

// On the virtual line: the device's own timings, and no wall time.
TEST(MiseAJourComplete, LesOctetsSurLaLigneDansLOrdre) {
    const auto sim = std::make_shared<Appareil>(OptionsSimulateur());
    auto lien = std::make_unique<ComP07>(std::make_unique<LigneVirtuelle>(sim));

    unsigned variante = 0, numero = 0, majeur = 0, mineur = 0, revision = 0, langue = 0;
    const unsigned bloc1[4] = {0x1234, 0x5678, 0x9ABC, 0xDEF0};
    const unsigned bloc2[2] = {0xBEEF, 0x0102};
    ASSERT_EQ(lien->Connecter(1), 0);
    EXPECT_EQ(lien->VerifierModele(), 0);
    EXPECT_EQ(lien->LireVariante(&variante), 0);
    EXPECT_EQ(lien->LireNumeroSerie(&numero), 0);
    EXPECT_EQ(lien->LireVersion(&majeur, &mineur, &revision), 0);
    ASSERT_EQ(lien->ChangerVitesse(115200), 0);
    ASSERT_EQ(lien->EntrerProgrammation(), 0);
    EXPECT_EQ(sim->VitesseCourante(), 115200);  // the device switches after its second byte
    ASSERT_EQ(lien->PreparerEcriture(), 0);
    EXPECT_EQ(lien->EcrireBloc(0x1000, 4, bloc1), 0);
    EXPECT_EQ(lien->EcrireBloc(0x107C, 2, bloc2), 0);  // ends on the row's last byte
    EXPECT_EQ(lien->EcrireVersion(5, 1, 2), 0);        // any version: the link writes what it is given
    EXPECT_EQ(lien->LireEeprom(15, &langue), 0);
    EXPECT_EQ(lien->EcrireEeprom(15, 1), 0);
    EXPECT_EQ(lien->TerminerProgrammation(), 0);
    EXPECT_EQ(lien->Deconnecter(), 0);
    EXPECT_FALSE(lien->PortOuvert());

    EXPECT_EQ(variante, 1u);
    EXPECT_EQ(numero, 123456789u);
    EXPECT_EQ(majeur * 100 + mineur * 10 + revision, 370u);
    EXPECT_EQ(langue, 0xFFu);

    Echanges e;
    e.Pc(0x80);
    e.Ap(0x81);
    e.Pc(0x86);
    for (int c : {'P', '0', '7'})
        e.ApHex(c);
    e.Pc(0x87);
    e.ApHex(1);
    for (int a : {0x3F8, 0x3F9, 0x3FA, 0x3FB})
        e.LireEeprom(a, (123456789 >> (8 * (a - 0x3F8))) & 0xFF);
    e.LireEeprom(0x3FD, 3);
    e.LireEeprom(0x3FE, 7);
    e.LireEeprom(0x3FC, 0);
    e.Vitesse(0x0044);
    e.Acquittee(0x83);
    e.Acquittee(0x90);
    // Blocks: count, address and data XORed with 4E on even bytes, D3 on odd ones.
    e.Bloc(0x08, {0x00 ^ 0x4E, 0x10 ^ 0xD3, 0x4E, 0xD3, 0x34 ^ 0x4E, 0x12 ^ 0xD3, 0x78 ^ 0x4E, 0x56 ^ 0xD3, 0xBC ^ 0x4E,
                  0x9A ^ 0xD3, 0xF0 ^ 0x4E, 0xDE ^ 0xD3});
    e.Bloc(0x04, {0x7C ^ 0x4E, 0x10 ^ 0xD3, 0x4E, 0xD3, 0xEF ^ 0x4E, 0xBE ^ 0xD3, 0x02 ^ 0x4E, 0x01 ^ 0xD3});
    e.EcrireEeprom(0x3FC, 2);
    e.EcrireEeprom(0x3FE, 1);
    e.EcrireEeprom(0x3FD, 5);
    e.LireEeprom(0x00F, 0xFF);
    e.EcrireEeprom(0x00F, 1);
    e.Vitesse(0x0340);
    e.Acquittee(0x91);
    EXPECT_EQ(Echanges::DeLaTrace(sim->Trace()), e.Texte());

    const std::vector<std::uint8_t> memoire = sim->MemoireProgramme();
    EXPECT_EQ(std::vector<std::uint8_t>(memoire.begin() + 0x1000, memoire.begin() + 0x1009),
              (std::vector<std::uint8_t>{0x34, 0x12, 0x78, 0x56, 0xBC, 0x9A, 0xF0, 0xDE, 0xFF}));
    EXPECT_EQ(std::vector<std::uint8_t>(memoire.begin() + 0x107C, memoire.begin() + 0x1080),
              (std::vector<std::uint8_t>{0xEF, 0xBE, 0x02, 0x01}));
    const std::vector<std::uint8_t> eeprom = sim->Eeprom();
    EXPECT_EQ(eeprom[1021], 5);
    EXPECT_EQ(eeprom[1022], 1);
    EXPECT_EQ(eeprom[1020], 2);
    EXPECT_EQ(eeprom[15], 1);
    EXPECT_FALSE(sim->Connecte());
    EXPECT_EQ(sim->VitesseCourante(), 9600);
    for (const std::string& a : sim->Anomalies())
        ADD_FAILURE() << a;
}

TEST(AppareilFautif, ModeleEtrangerPuisSilence) {
    OptionsSimulateur options;
    options.rapide = true;
    options.identite.modele = "P08";
    options.fautes.silencieuxDepuis = 3;  // answers the connection and the model only
    Simulateur sim(options);
    ASSERT_TRUE(sim.Demarrer());
    auto lien = LienVersSimulateur(sim);
    ASSERT_EQ(lien->Connecter(1), 0);
    EXPECT_EQ(lien->VerifierModele(), ERR_MODELE);
    unsigned variante = 77;
    EXPECT_EQ(lien->LireVariante(&variante), ERR_DELAI);
    EXPECT_EQ(variante, 77u);
    EXPECT_EQ(lien->EstConnecte(), 1);  // a failed exchange leaves the state alone
}

TEST(AppareilFautif, UnAppareilDebrancheEnCoursDeTransfertEstSignaleAussitot) {
    OptionsSimulateur options;
    options.rapide = true;
    options.fautes.raccrocherApresBlocs = 1;
    Simulateur sim(options);
    ASSERT_TRUE(sim.Demarrer());
    auto lien = LienVersSimulateur(sim);
    const unsigned mots[2] = {1, 2};
    ASSERT_EQ(lien->Connecter(1), 0);
    ASSERT_EQ(lien->EntrerProgrammation(), 0);
    ASSERT_EQ(lien->PreparerEcriture(), 0);
    ASSERT_EQ(lien->EcrireBloc(0x800, 2, mots), 0);
    int r = 0;
    EXPECT_LT(DureeMs([&] { r = lien->EcrireBloc(0x804, 2, mots); }), 700);
    EXPECT_TRUE(EstErreurSysteme(r)) << r;
    lien->Deconnecter();
    EXPECT_FALSE(lien->PortOuvert());
    EXPECT_EQ(lien->EstConnecte(), 0);
}

// The return to 9600 answered too late, or followed 20 ms later by a stray acknowledge while
// the device answers 0x91 with something else: the end of programming is not confirmed.
struct CasFin {
    const char* nom;
    int retardVitesseMs;
    int retardParasiteMs;  // < 0: no stray byte
};

class FinDeProgrammation : public ::testing::TestWithParam<CasFin> {};

TEST_P(FinDeProgrammation, SeulSonAcquitLaConfirme) {
    const CasFin cas = GetParam();
    OptionsSimulateur options;
    options.rapide = true;
    options.fautes.vitesseFautive = 9600;
    options.fautes.retardVitesseMs = cas.retardVitesseMs;
    options.fautes.commandeFautive = 0x91;
    options.fautes.octetFautif = 0x15;
    if (cas.retardParasiteMs >= 0) {
        options.fautes.parasiteApres = 4;  // connection, programming, prepare, rate change
        options.fautes.octetParasite = 0x84;
        options.fautes.retardParasiteMs = cas.retardParasiteMs;
    }
    Simulateur sim(options);
    ASSERT_TRUE(sim.Demarrer());
    auto lien = LienVersSimulateur(sim);
    ASSERT_EQ(lien->Connecter(1), 0);
    ASSERT_EQ(lien->EntrerProgrammation(), 0);
    ASSERT_EQ(lien->PreparerEcriture(), 0);
    EXPECT_NE(lien->TerminerProgrammation(), 0);
}

INSTANTIATE_TEST_SUITE_P(Retour9600, FinDeProgrammation,
                         ::testing::Values(CasFin{"reponse_tardive", 1500, -1}, CasFin{"parasite_20ms", 0, 20}),
                         [](const ::testing::TestParamInfo<CasFin>& info) { return std::string(info.param.nom); });

// Every rate of the rate table, those termios has no constant for included, one after the
// other on one connection: both ends move, and the next exchange goes through at the new rate.
TEST(ChangementDeVitesse, LesDeuxBoutsSuivent) {
    OptionsSimulateur options;
    options.rapide = true;
    Simulateur sim(options);
    ASSERT_TRUE(sim.Demarrer());
    auto lien = LienVersSimulateur(sim);
    unsigned variante = 0;
    ASSERT_EQ(lien->Connecter(1), 0);
    for (int bauds : {4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000}) {
        SCOPED_TRACE(bauds);
        ASSERT_EQ(lien->ChangerVitesse(bauds), 0);
        EXPECT_EQ(lien->LireVariante(&variante), 0);
        EXPECT_EQ(sim.VitesseCourante(), bauds);
    }
    for (const std::string& a : sim.Anomalies())
        ADD_FAILURE() << a;
}
