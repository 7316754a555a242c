// The command line of zantrel_sim.
#include <gtest/gtest.h>

#include "sim/arguments.h"

namespace {

TEST(Arguments, EveryOptionReachesTheSimulator) {
    OptionsSimulateur o;
    std::string erreur;
    ASSERT_TRUE(LireArguments({"--modele",
                               "P08",
                               "--variante",
                               "2",
                               "--serie",
                               "4000000000",
                               "--version",
                               "3.10.255",
                               "--langue",
                               "0",
                               "--refuser",
                               "--silencieux-depuis",
                               "7",
                               "--faute",
                               "0x83=0x00",
                               "--raccrocher-apres",
                               "010",
                               "--rapide",
                               "--ecriture-rangee-ms",
                               "5",
                               "--trace",
                               "t.txt",
                               "--hex-programme",
                               "p.hex",
                               "--hex-eeprom",
                               "e.hex",
                               "--couper",
                               "0x8B@1021",
                               "--couper-avant",
                               "--pont-usb",
                               "--releve",
                               "r.txt",
                               "--absence-ms",
                               "250"},
                              o, erreur))
        << erreur;
    EXPECT_EQ(o.identite.modele, "P08");
    EXPECT_EQ(o.identite.variante, 2u);
    EXPECT_EQ(o.identite.numeroSerie, 4000000000u);
    EXPECT_EQ(o.identite.majeur, 3u);
    EXPECT_EQ(o.identite.mineur, 10u);
    EXPECT_EQ(o.identite.revision, 255u);
    EXPECT_EQ(o.identite.langue, 0u);
    EXPECT_TRUE(o.fautes.refuserConnexion);
    EXPECT_EQ(o.fautes.silencieuxDepuis, 7);
    EXPECT_EQ(o.fautes.commandeFautive, 0x83);
    EXPECT_EQ(o.fautes.octetFautif, 0x00);
    EXPECT_EQ(o.fautes.raccrocherApresBlocs, 10);  // decimal, not octal
    EXPECT_EQ(o.fautes.commandeCoupure, 0x8B);
    EXPECT_EQ(o.fautes.adresseCoupure, 1021);
    EXPECT_FALSE(o.fautes.coupureApresPrise);
    EXPECT_TRUE(o.rapide);
    EXPECT_EQ(o.dureeEcritureRangeeMs, 5);
    EXPECT_EQ(o.fichierTrace, "t.txt");
    EXPECT_EQ(o.fichierHexProgramme, "p.hex");
    EXPECT_EQ(o.fichierHexEeprom, "e.hex");
    EXPECT_TRUE(o.pont.actif);
    EXPECT_EQ(o.pont.fichierReleve, "r.txt");
    EXPECT_EQ(o.pont.absenceMs, 250);
}

TEST(Arguments, BadCommandLinesAreRefused) {
    const std::vector<std::vector<std::string>> mauvaises{{"--modele", "P7"},
                                                          {"--variante", "256"},
                                                          {"--version", "3.7"},
                                                          {"--version", "3.7.0.1"},
                                                          {"--version", "3..0"},
                                                          {"--faute", "0x83"},
                                                          {"--faute", "0=0x84"},
                                                          {"--serie", "-1"},
                                                          {"--serie", "4294967296"},
                                                          {"--langue"},
                                                          {"--inconnue"},
                                                          {"--rapide", "oui"},
                                                          {"--variante", "0x"},
                                                          {"--silencieux-depuis", "2x"},
                                                          {"--variante", "\t-18446744073709551615"},
                                                          {"--variante", "\t1"},
                                                          {"--serie", "0x0x10"},
                                                          {"--serie", "0x\t10"},
                                                          {"--couper", "0x9F#0"},
                                                          {"--couper", "0x8B@"},
                                                          {"--absence-ms", "-5"},
                                                          {"--debrancher-apres-blocs"}};
    for (const auto& arguments : mauvaises) {
        OptionsSimulateur o;
        std::string erreur;
        EXPECT_FALSE(LireArguments(arguments, o, erreur)) << arguments[0];
        EXPECT_FALSE(erreur.empty()) << arguments[0];
    }
}

}  // namespace
