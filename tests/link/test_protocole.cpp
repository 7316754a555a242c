// The bootloader protocol against a scripted device on a pseudo-terminal: the bytes on the
// wire, the state the link keeps, and the result of each exchange.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "link/protocole.h"
#include "tests/link/pty_temoin.h"

namespace {

std::string Octets(std::initializer_list<int> octets) {
    std::string s;
    for (int o : octets)
        s += static_cast<char>(o);
    return s;
}

const std::string AU_REVOIR = "\x9E"
                              "0340"
                              "\x04";

// A scripted device on a pseudo-terminal, and a link whose every port number opens it.
struct Banc {
    explicit Banc(std::shared_ptr<JournalLigne> journal = nullptr)
        : lien(LienVers(pty.CheminEsclave(), std::move(journal))) {}

    void RepondreATout() {
        for (int commande : {0x83, 0x90, 0x9F, 0x91, 0x8B, 0x04})
            rep.Repondre(static_cast<unsigned char>(commande), Octets({0x84}));
        rep.Repondre(0x9E, Octets({0x84, 0x00}));
    }
    void Connecter() {
        rep.Repondre(0x80, Octets({0x81}));
        ASSERT_EQ(lien->Connecter(1), 0);
        rep.Prendre();
    }
    std::tuple<bool, int, int> Etat() const {
        return {lien->PortOuvert(), lien->EstConnecte(), lien->PhaseProgrammation()};
    }

    PairePty pty;
    Repondeur rep{pty};
    std::unique_ptr<ComP07> lien;
};

using E = std::tuple<bool, int, int>;

}  // namespace

TEST(Connexion, AppareilMuetUneSeuleDemandeEtLePortResteOuvert) {
    Banc b;
    int r = 0;
    const long long ms = DureeMs([&] { r = b.lien->Connecter(1); });
    EXPECT_EQ(r, ERR_DELAI);
    EXPECT_EQ(b.Etat(), E(true, 0, 0));
    EXPECT_EQ(b.rep.Prendre(), Octets({0x80}));
    EXPECT_GE(ms, 1900);  // the purge's wait, then one read time-out
    EXPECT_LT(ms, 4500);
}

TEST(Connexion, UnRefusFermeLePortSansAuRevoir) {
    Banc b;
    b.rep.Repondre(0x80, Octets({0x85}));
    EXPECT_EQ(b.lien->Connecter(1), ERR_DELAI);
    EXPECT_EQ(b.Etat(), E(false, 0, 0));
    EXPECT_EQ(b.rep.Prendre(), Octets({0x80}));
    // With time left, the next request finds the port closed.
    EXPECT_EQ(b.lien->Connecter(3), ERR_PORT_FERME);
    EXPECT_EQ(b.Etat(), E(false, 0, 0));
    EXPECT_EQ(b.rep.Prendre(), Octets({0x80}));
}

TEST(Connexion, UneAutreReponseFaitRedemanderJusquALEcheance) {
    Banc b;
    b.rep.Repondre(0x80, Octets({0x55}));
    EXPECT_EQ(b.lien->Connecter(2), ERR_DELAI);
    const std::string recu = b.rep.Prendre();
    EXPECT_GE(recu.size(), 2u);
    EXPECT_EQ(recu.find_first_not_of('\x80'), std::string::npos);
    EXPECT_EQ(b.Etat(), E(true, 0, 0));
    b.rep.Repondre(0x80, Octets({0x81}));
    b.RepondreATout();
    EXPECT_EQ(b.lien->Connecter(1), 0);
    EXPECT_EQ(b.Etat(), E(true, 1, 0));
}

TEST(Deconnexion, UnSeulAuRevoirAUnAppareilMuet) {
    Banc b;
    b.Connecter();
    int r = -1;
    const long long ms = DureeMs([&] { r = b.lien->Deconnecter(); });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(b.Etat(), E(false, 0, 0));
    EXPECT_EQ(b.rep.Prendre(), AU_REVOIR);
    EXPECT_GE(ms, 2400);  // rate change unanswered, 500 ms, farewell unanswered
    EXPECT_EQ(b.lien->Deconnecter(), ERR_PORT_FERME);
}

TEST(Deconnexion, FermerRouvrirEtDetruireTerminentLaConnexion) {
    Banc b;
    b.RepondreATout();
    b.Connecter();
    ASSERT_EQ(b.lien->ChangerVitesse(115200), 0);
    EXPECT_EQ(b.rep.Prendre(), "\x9E"
                               "0044");
    ASSERT_EQ(b.lien->OuvrirPort(), 0);
    EXPECT_EQ(b.rep.Prendre(), AU_REVOIR);
    EXPECT_EQ(b.Etat(), E(true, 0, 0));
    EXPECT_EQ(b.lien->ReglagesLigne().BaudRate, 9600u);

    EXPECT_EQ(b.lien->Deconnecter(), 0);  // no connection: only closes
    EXPECT_EQ(b.Etat(), E(false, 0, 0));
    EXPECT_EQ(b.rep.Prendre(), "");

    b.Connecter();
    EXPECT_EQ(b.lien->FermerPort(), 0);
    EXPECT_EQ(b.rep.Prendre(), AU_REVOIR);
    EXPECT_EQ(b.Etat(), E(false, 0, 0));

    b.Connecter();
    b.lien.reset();
    EXPECT_EQ(b.rep.Prendre(), AU_REVOIR);
}

TEST(Etats, SeulesLesOperationsPrevuesChangentLEtat) {
    Banc b;
    b.RepondreATout();
    const unsigned mot[1] = {0};
    EXPECT_EQ(b.Etat(), E(false, 0, 0));
    ASSERT_EQ(b.lien->OuvrirPort(), 0);
    EXPECT_EQ(b.Etat(), E(true, 0, 0));
    b.rep.Repondre(0x80, Octets({0x81}));
    ASSERT_EQ(b.lien->Connecter(1), 0);
    EXPECT_EQ(b.Etat(), E(true, 1, 0));

    EXPECT_EQ(b.lien->PreparerEcriture(), ERR_PAS_EN_PROGRAMMATION);
    EXPECT_EQ(b.lien->EcrireBloc(0x800, 1, mot), ERR_ETAT_OU_BLOC);
    EXPECT_EQ(b.lien->TerminerProgrammation(), ERR_ETAT_OU_BLOC);
    b.rep.Repondre(0x83, Octets({0x85}));
    EXPECT_EQ(b.lien->EntrerProgrammation(), ERR_REPONSE);
    EXPECT_EQ(b.Etat(), E(true, 1, 0));
    b.rep.Repondre(0x83, Octets({0x84}));
    ASSERT_EQ(b.lien->EntrerProgrammation(), 0);
    EXPECT_EQ(b.Etat(), E(true, 1, 2));
    EXPECT_EQ(b.lien->EcrireBloc(0x800, 1, mot), ERR_ETAT_OU_BLOC);
    EXPECT_EQ(b.lien->TerminerProgrammation(), ERR_ETAT_OU_BLOC);
    EXPECT_EQ(b.rep.Prendre(), "\x80\x83\x83");

    b.rep.Repondre(0x90, Octets({0x85}));
    int r = 0;
    EXPECT_GE(DureeMs([&] { r = b.lien->PreparerEcriture(); }), 1900);  // the waits and the purge
    EXPECT_EQ(r, ERR_REPONSE);
    EXPECT_EQ(b.Etat(), E(true, 1, 2));
    b.rep.Repondre(0x90, Octets({0x84}));
    ASSERT_EQ(b.lien->PreparerEcriture(), 0);
    EXPECT_EQ(b.Etat(), E(true, 1, 3));
    EXPECT_EQ(b.rep.Prendre(), "\x90\x90");

    ASSERT_EQ(b.lien->TerminerProgrammation(), 0);
    EXPECT_EQ(b.Etat(), E(true, 0, 0));
    EXPECT_EQ(b.rep.Prendre(), "\x9E"
                               "0340"
                               "\x91");
    EXPECT_EQ(b.lien->Deconnecter(), 0);
    EXPECT_EQ(b.Etat(), E(false, 0, 0));
    EXPECT_EQ(b.rep.Prendre(), "");  // the connection had ended: no farewell
}

TEST(Etats, SansConnexionRienNePart) {
    Banc b;
    ASSERT_EQ(b.lien->OuvrirPort(), 0);
    unsigned u = 5;
    int i = 5;
    char modele[4] = "abc";
    const unsigned mot[1] = {0};
    for (int r : {b.lien->ChangerVitesse(115200), b.lien->EntrerProgrammation(), b.lien->LireModele(modele),
                  b.lien->VerifierModele(), b.lien->LireVariante(&u), b.lien->LireEeprom(15, &u),
                  b.lien->EcrireEeprom(15, 1), b.lien->LireMotEeprom(15, &i), b.lien->LireNumeroSerie(&u),
                  b.lien->LireVersion(&u, &u, &u), b.lien->EcrireVersion(5, 1, 2), b.lien->PreparerEcriture(),
                  b.lien->EcrireBloc(0x800, 1, mot), b.lien->TerminerProgrammation(), b.lien->LireHex(&u, true)})
        EXPECT_EQ(r, ERR_NON_CONNECTE);
    EXPECT_EQ(u, 5u);
    EXPECT_EQ(i, 5);
    EXPECT_EQ(b.rep.Prendre(), "");
}

TEST(Blocs, ReglesDansLeurOrdreEtTrameBrouillee) {
    auto journal = std::make_shared<JournalLigne>();
    Banc b(journal);
    b.RepondreATout();
    b.Connecter();
    ASSERT_EQ(b.lien->EntrerProgrammation(), 0);
    ASSERT_EQ(b.lien->PreparerEcriture(), 0);
    b.rep.Prendre();

    const std::vector<unsigned> zeros(40, 0);
    const struct {
        unsigned adresse, nbMots;
        int attendu;
    } refuses[] = {
        {0x7FE, 1, ERR_ADRESSE},      {0x1FFFF, 1, ERR_ADRESSE},     {0x7FF, 33, ERR_ADRESSE},
        {0x801, 1, ERR_ETAT_OU_BLOC}, {0x800, 33, ERR_ETAT_OU_BLOC}, {0x830, 9, ERR_ETAT_OU_BLOC},
        {0x83E, 2, ERR_ETAT_OU_BLOC}, {0x801, 40, ERR_ETAT_OU_BLOC},
    };
    for (const auto& c : refuses)
        EXPECT_EQ(b.lien->EcrireBloc(c.adresse, c.nbMots, zeros.data()), c.attendu)
            << std::hex << c.adresse << " " << c.nbMots;
    EXPECT_EQ(b.lien->EcrireBloc(0x800, 1, nullptr), ERR_ETAT_OU_BLOC);
    EXPECT_EQ(b.rep.Prendre(), "");

    EXPECT_EQ(b.lien->EcrireBloc(0x830, 8, zeros.data()), 0);  // ends exactly on the row
    EXPECT_EQ(b.rep.Prendre().size(), 1u + 2 + 8 + 4 * 8);
    EXPECT_EQ(b.lien->EcrireBloc(0x800, 0, nullptr), 0);
    EXPECT_EQ(b.rep.Prendre(), "\x9F"
                               "00"
                               "4EDB4ED3");
    const unsigned donnees[3] = {0x1234, 0xABCD, 0x00FF0055};  // only the low 16 bits go out
    EXPECT_EQ(b.lien->EcrireBloc(0x12344, 3, donnees), 0);
    EXPECT_EQ(b.rep.Prendre(), "\x9F"
                               "06"
                               "0AF04FD3"
                               "7AC1"
                               "8378"
                               "1BD3");

    b.rep.Repondre(0x9F, Octets({0x85}));
    EXPECT_EQ(b.lien->EcrireBloc(0x800, 1, donnees), ERR_REPONSE);
    EXPECT_EQ(b.Etat(), E(true, 1, 3));
    b.rep.Prendre();

    // A frame that did not go out: its failure is told, not the silence that follows.
    journal->panne = "Ecrire";
    journal->erreurPanne = EIO;
    EXPECT_EQ(b.lien->EcrireBloc(0x12344, 3, donnees), EIO);
    EXPECT_EQ(b.rep.Prendre(), "");
}

TEST(Requetes, OctetsSurLaLigneEtValeursLues) {
    Banc b;
    b.RepondreATout();
    b.Connecter();
    unsigned v = 0;
    b.rep.Repondre(0x87, "01");
    EXPECT_EQ(b.lien->LireVariante(&v), 0);
    EXPECT_EQ(v, 1u);
    EXPECT_EQ(b.rep.Prendre(), "\x87\x84\x84");

    b.rep.Repondre(0x89, "2A");
    EXPECT_EQ(b.lien->LireEeprom(1021, &v), 0);
    EXPECT_EQ(v, 42u);
    EXPECT_EQ(b.rep.Prendre(), "\x89"
                               "03FD"
                               "\x84\x84");

    char modele[4] = {};
    b.rep.Repondre(0x86, "503037");
    EXPECT_EQ(b.lien->VerifierModele(), 0);
    EXPECT_EQ(b.rep.Prendre(), "\x86\x84\x84\x84\x84\x84\x84");
    b.rep.Repondre(0x86, "503038");
    EXPECT_EQ(b.lien->VerifierModele(), ERR_MODELE);
    EXPECT_EQ(b.lien->LireModele(modele), 0);
    EXPECT_STREQ(modele, "P08");
    b.rep.Repondre(0x86, "703037");  // "p07": the comparison is case-sensitive
    EXPECT_EQ(b.lien->VerifierModele(), ERR_MODELE);
    b.rep.Prendre();

    // Half a pair: one acknowledge, then the time-out, and the value is left alone.
    b.rep.Repondre(0x87, "0");
    v = 99;
    EXPECT_EQ(b.lien->LireVariante(&v), ERR_DELAI);
    EXPECT_EQ(v, 99u);
    EXPECT_EQ(b.rep.Prendre(), "\x87\x84");
    // Only upper-case hex digits make a value; each character is acknowledged all the same.
    for (const char* paire : {"0a", "G1", "L0", "/9", "0:", "@F"}) {
        b.rep.Repondre(0x87, paire);
        EXPECT_EQ(b.lien->LireVariante(&v), ERR_REPONSE) << paire;
        EXPECT_EQ(b.rep.Prendre(), "\x87\x84\x84") << paire;
    }
    EXPECT_EQ(v, 99u);

    int r = -1;
    EXPECT_GE(DureeMs([&] { r = b.lien->EcrireEeprom(0x3FD, 0x103); }), 280);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(b.rep.Prendre(), "\x8B"
                               "03FD"
                               "03");
    b.rep.Repondre(0x8B, Octets({0x00}));
    EXPECT_EQ(b.lien->EcrireEeprom(15, 1), ERR_REPONSE);
    b.rep.Prendre();

    EXPECT_EQ(b.lien->ChangerVitesse(2400), 0);  // no code for 2400: both ends stay at 9600
    EXPECT_EQ(b.rep.Prendre(), "\x9E"
                               "0340");
    EXPECT_EQ(b.lien->ReglagesLigne().BaudRate, 9600u);
    EXPECT_EQ(b.lien->ChangerVitesse(115200), 0);
    EXPECT_EQ(b.rep.Prendre(), "\x9E"
                               "0044");
    EXPECT_EQ(b.lien->ReglagesLigne().BaudRate, 115200u);
    b.rep.Repondre(0x9E, Octets({0x85}));
    EXPECT_EQ(b.lien->ChangerVitesse(9600), ERR_REPONSE);
    EXPECT_EQ(b.lien->ReglagesLigne().BaudRate, 115200u);
}

TEST(Requetes, HexVersOctetNeVerifieRien) {
    EXPECT_EQ(ComP07::HexVersOctet('4', 'F'), 79);
    EXPECT_EQ(ComP07::HexVersOctet('F', 'F'), 255);
    EXPECT_EQ(ComP07::HexVersOctet('0', '0'), 0);
    EXPECT_EQ(ComP07::HexVersOctet('9', 'A'), 154);
    EXPECT_EQ(ComP07::HexVersOctet('a', '0'), 672);
}

TEST(Pannes, UnEchecDeLaLigneEstRapporteTelQuel) {
    auto journal = std::make_shared<JournalLigne>();
    Banc b(journal);
    b.RepondreATout();

    // The rate set inside the open is not looked at; the settings that follow are.
    journal->panne = "AppliquerReglages";
    journal->erreurPanne = EIO;
    ASSERT_EQ(b.lien->OuvrirPort(), 0);
    EXPECT_EQ(journal->appels, (std::vector<std::string>{"Ouvrir", "LireReglages", "AppliquerReglages",
                                                         "AppliquerReglages", "LireDelais", "AppliquerDelais"}));
    journal->panne = "LireDelais";
    journal->erreurPanne = EACCES;
    EXPECT_EQ(b.lien->OuvrirPort(), EACCES);
    EXPECT_TRUE(b.lien->PortOuvert());  // left open until the next close
    EXPECT_EQ(b.lien->FermerPort(), 0);

    // A close that fails is reported, and the port can still be opened again.
    ASSERT_EQ(b.lien->OuvrirPort(), 0);
    journal->panne = "Fermer";
    journal->erreurPanne = EIO;
    EXPECT_EQ(b.lien->FermerPort(), EIO);
    EXPECT_FALSE(b.lien->PortOuvert());
    EXPECT_EQ(b.lien->OuvrirPort(), 0);

    // The device has switched rates but the PC could not follow: no success.
    b.Connecter();
    journal->panne = "AppliquerReglages";
    journal->reussitesAvantPanne = 0;
    EXPECT_EQ(b.lien->ChangerVitesse(115200), EIO);
    EXPECT_EQ(b.rep.Prendre(), "\x9E"
                               "0044");
}
