// A whole conversation with the simulated bootloader through Wine's COM port: connection,
// identity, rate change, programming and a few block writes. The second group runs once the
// script has stopped the device, and checks the memory it dumped against the blocks sent.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/Com_p07_v1_2.h"
#include "link/protocole.h"
#include "tests/windows/environnement.h"
#include "tests/windows/ligne_pseudo_terminal.h"
#include "wizard/lecture_hex.h"

namespace {

struct Bloc {
    unsigned adresse;
    std::vector<unsigned> mots;
};

// Words without an 0xFF byte, so that every one of them shows in the dump.
std::vector<unsigned> Mots(unsigned graine, unsigned nombre) {
    std::vector<unsigned> mots;
    for (unsigned i = 0; i < nombre; ++i)
        mots.push_back(((graine + 3 * i) & 0x7F) | (((graine >> 4) + i) & 0x7F) << 8);
    return mots;
}

// A whole first row, the end of the next one, and the last row (an address with a third
// byte). Each row once: the device writes a row only once after the prepare command.
const std::vector<Bloc>& BlocsEnvoyes() {
    static const std::vector<Bloc> blocs = {
        {protocole::ADRESSE_BLOC_MIN, Mots(0x11, protocole::MOTS_BLOC_MAX)},
        {0x874, Mots(0x52, 6)},
        {0x1FFC0, Mots(0x2D, protocole::MOTS_BLOC_MAX)},
    };
    return blocs;
}

constexpr int VERSION_ECRITE[3] = {5, 1, 2};  // any version: the link writes what it is given

// The dump's data bytes by address, through the program's reader.
std::map<unsigned, unsigned char> LireHex(const std::string& chemin) {
    std::map<std::uint64_t, std::uint8_t> lus;
    ErreurHex erreur;
    EXPECT_TRUE(OctetsFichierIntelHex(chemin, lus, erreur)) << chemin << ":" << erreur.Ligne << ": " << erreur.Motif;
    std::map<unsigned, unsigned char> octets;
    for (const auto& [adresse, octet] : lus)
        octets[static_cast<unsigned>(adresse)] = octet;
    return octets;
}

TEST(AppareilSimule, IdentiteProgrammationEtBlocsParLePortCom) {
    auto journal = std::make_shared<JournalLigne>();
    ComP07 lien(std::make_unique<LignePseudoTerminal>(journal));
    lien.ChoisirPort(static_cast<int>(environnement::Nombre("ZANTREL_COM_SIMULATEUR")));

    int resultat = ERR_DELAI;
    for (int essai = 0; essai < 3 && resultat == ERR_DELAI; ++essai)
        resultat = lien.Connecter(1);
    ASSERT_EQ(resultat, 0);
    ASSERT_EQ(lien.EstConnecte(), 1);

    char modele[4] = {};
    ASSERT_EQ(lien.LireModele(modele), 0);
    EXPECT_STREQ(modele, "P07");
    EXPECT_EQ(lien.VerifierModele(), 0);

    unsigned variante = 0;
    ASSERT_EQ(lien.LireVariante(&variante), 0);
    EXPECT_EQ(variante, environnement::Nombre("ZANTREL_SIM_VARIANTE"));

    unsigned serie = 0;
    ASSERT_EQ(lien.LireNumeroSerie(&serie), 0);
    EXPECT_EQ(serie, environnement::Nombre("ZANTREL_SIM_SERIE"));

    unsigned majeur = 0, mineur = 0, revision = 0;
    ASSERT_EQ(lien.LireVersion(&majeur, &mineur, &revision), 0);
    char version[40];
    std::snprintf(version, sizeof version, "%u.%u.%u", majeur, mineur, revision);
    EXPECT_EQ(version, environnement::Variable("ZANTREL_SIM_VERSION"));

    ASSERT_EQ(lien.ChangerVitesse(115200), 0);
    EXPECT_EQ(lien.ReglagesLigne().BaudRate, 115200u);
    ASSERT_EQ(lien.EntrerProgrammation(), 0);
    ASSERT_EQ(lien.PreparerEcriture(), 0);
    ASSERT_EQ(lien.PhaseProgrammation(), 3);

    for (const Bloc& bloc : BlocsEnvoyes())
        EXPECT_EQ(lien.EcrireBloc(bloc.adresse, static_cast<unsigned>(bloc.mots.size()), bloc.mots.data()), 0)
            << std::hex << bloc.adresse;
    // Refused by the link itself: nothing of it reaches the device.
    EXPECT_EQ(lien.EcrireBloc(0x830, 9, Mots(0x77, 9).data()), ERR_ETAT_OU_BLOC);

    EXPECT_EQ(lien.EcrireVersion(VERSION_ECRITE[0], VERSION_ECRITE[1], VERSION_ECRITE[2]), 0);
    EXPECT_EQ(lien.TerminerProgrammation(), 0);
    EXPECT_EQ(lien.EstConnecte(), 0);
    EXPECT_EQ(lien.ReglagesLigne().BaudRate, 9600u);
    EXPECT_EQ(lien.Deconnecter(), 0);
    EXPECT_FALSE(lien.PortOuvert());

    // Every settings record the link handed to kernel32 asked for the bootloader's framing.
    ASSERT_FALSE(journal->reglagesDemandes.empty());
    for (const DCB& demande : journal->reglagesDemandes) {
        EXPECT_EQ(demande.ByteSize, 8);
        EXPECT_EQ(demande.Parity, EVENPARITY);
        EXPECT_EQ(demande.StopBits, ONESTOPBIT);
    }
}

TEST(MemoireSimulee, ProgrammeContientExactementLesBlocsEnvoyes) {
    const std::map<unsigned, unsigned char> memoire = LireHex(environnement::Variable("ZANTREL_HEX_PROGRAMME"));
    std::map<unsigned, unsigned char> attendu;
    for (const Bloc& bloc : BlocsEnvoyes())
        for (std::size_t i = 0; i < bloc.mots.size(); ++i) {
            attendu[bloc.adresse + 2 * static_cast<unsigned>(i)] = bloc.mots[i] & 0xFF;
            attendu[bloc.adresse + 2 * static_cast<unsigned>(i) + 1] = (bloc.mots[i] >> 8) & 0xFF;
        }
    EXPECT_EQ(memoire, attendu);
}

TEST(MemoireSimulee, EepromPorteLaVersionEcrite) {
    const std::map<unsigned, unsigned char> eeprom = LireHex(environnement::Variable("ZANTREL_HEX_EEPROM"));
    ASSERT_EQ(eeprom.size(), protocole::TAILLE_EEPROM);
    EXPECT_EQ(eeprom.at(protocole::EEPROM_MAJEUR), VERSION_ECRITE[0]);
    EXPECT_EQ(eeprom.at(protocole::EEPROM_MINEUR), VERSION_ECRITE[1]);
    EXPECT_EQ(eeprom.at(protocole::EEPROM_REVISION), VERSION_ECRITE[2]);
    const std::uint32_t serie = environnement::Nombre("ZANTREL_SIM_SERIE");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(eeprom.at(protocole::EEPROM_NUMERO_SERIE + i), (serie >> (8 * i)) & 0xFF);
}

}  // namespace
