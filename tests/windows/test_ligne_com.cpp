// The Windows serial line through kernel32 under Wine: opening by COM number, the settings
// and time-outs it leaves on the port, reads that time out, and system errors passed through.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

#include "link/Com_p07_v1_2.h"
#include "link/diagnostic_port.h"
#include "link/protocole.h"
#include "link/texte_erreur_systeme.h"
#include "tests/windows/environnement.h"
#include "tests/windows/ligne_pseudo_terminal.h"

namespace {

// No dosdevices entry is ever made for it.
constexpr int PORT_ABSENT = 250;

struct LienSurPty {
    std::shared_ptr<JournalLigne> journal = std::make_shared<JournalLigne>();
    ComP07 lien{std::make_unique<LignePseudoTerminal>(journal)};
};

TEST(LigneCom, PortAbsentDonneErreurSystemeDeux) {
    ComP07 lien;  // the platform's own line
    lien.ChoisirPort(PORT_ABSENT);
    const DWORD debut = GetTickCount();
    EXPECT_EQ(lien.Connecter(1), ERROR_FILE_NOT_FOUND);
    EXPECT_LT(GetTickCount() - debut, 900u) << "a port that cannot open is not waited for";
    EXPECT_EQ(lien.DernierResultat(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(lien.PortOuvert());
    EXPECT_EQ(lien.OuvrirPort(), ERROR_FILE_NOT_FOUND);
    // What the user is told: the port, by its COM name, is gone.
    EXPECT_EQ(lien.CheminDuPort(), "COM250");
    EXPECT_EQ(DiagnostiquerOuverture(lien.CheminDuPort(), lien.DernierResultat()).cause, CauseEchecPort::Disparue);
    // The failure box's details give the system's words for the code, on one line, in either language.
    for (int langue : {0, 1}) {
        const std::string texte = TexteErreurSysteme(lien.DernierResultat(), langue);
        EXPECT_FALSE(texte.empty()) << langue;
        EXPECT_EQ(texte.find_first_of("\r\n"), std::string::npos) << texte;
    }
    EXPECT_EQ(TexteErreurSysteme(0x2FFFFFFF, 1), "") << "a code the system does not know has no text";
}

TEST(LigneCom, PortQuiRefuseLAccesDonneErreurSystemeCinq) {
    // Wine grants several handles on one serial device, so a port held elsewhere does not
    // fail here as it does on Windows; a COM name whose device refuses access gives the same 5.
    const int port = static_cast<int>(environnement::Nombre("ZANTREL_COM_REFUSE"));
    ComP07 lien;
    lien.ChoisirPort(port);
    EXPECT_EQ(lien.OuvrirPort(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(lien.DernierResultat(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(lien.PortOuvert());
    EXPECT_EQ(DiagnostiquerOuverture(lien.CheminDuPort(), lien.DernierResultat()).cause, CauseEchecPort::Occupee);
}

TEST(LigneCom, OuvertureRegleLaLigneEtSesDelais) {
    LienSurPty l;
    const int port = environnement::ComNeuf();
    ASSERT_GE(port, 10) << "ports above 9 must open like the others";
    l.lien.ChoisirPort(port);
    ASSERT_EQ(l.lien.OuvrirPort(), 0);
    ASSERT_TRUE(l.lien.PortOuvert());

    // What the link asked kernel32 for: 8 data bits, even parity, 1 stop bit, no handshake.
    ASSERT_FALSE(l.journal->reglagesDemandes.empty());
    const DCB& demande = l.journal->reglagesDemandes.back();
    EXPECT_EQ(demande.DCBlength, sizeof(DCB));
    EXPECT_EQ(demande.BaudRate, 9600u);
    EXPECT_EQ(demande.ByteSize, 8);
    EXPECT_EQ(demande.Parity, EVENPARITY);
    EXPECT_EQ(demande.fParity, 1u);
    EXPECT_EQ(demande.StopBits, ONESTOPBIT);
    EXPECT_EQ(demande.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
    EXPECT_EQ(demande.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
    EXPECT_EQ(demande.fOutxCtsFlow, 0u);
    EXPECT_EQ(demande.fOutxDsrFlow, 0u);
    EXPECT_EQ(demande.fOutX, 0u);
    EXPECT_EQ(demande.fInX, 0u);

    // What the port holds now, read back through kernel32 on the link's own handle.
    auto temoin = CreerLigneSerie(nullptr);
    DCB lu{};
    ASSERT_TRUE(temoin->LireReglages(l.journal->dernierPort, lu));
    EXPECT_EQ(lu.BaudRate, 9600u);
    EXPECT_EQ(lu.ByteSize, 8);
    EXPECT_EQ(lu.StopBits, ONESTOPBIT);
    EXPECT_EQ(lu.fOutX, 0u);
    EXPECT_EQ(lu.fInX, 0u);
    EXPECT_EQ(lu.fOutxCtsFlow, 0u);

    COMMTIMEOUTS delais{};
    ASSERT_TRUE(temoin->LireDelais(l.journal->dernierPort, delais));
    EXPECT_EQ(delais.ReadIntervalTimeout, protocole::DELAI_INTERVALLE_LECTURE_MS);
    EXPECT_EQ(delais.ReadTotalTimeoutMultiplier, protocole::DELAI_LECTURE_PAR_OCTET_MS);
    EXPECT_EQ(delais.ReadTotalTimeoutConstant, protocole::DELAI_LECTURE_CONSTANT_MS);
    EXPECT_EQ(delais.WriteTotalTimeoutMultiplier, protocole::DELAI_ECRITURE_PAR_OCTET_MS);
    EXPECT_EQ(delais.WriteTotalTimeoutConstant, protocole::DELAI_ECRITURE_CONSTANT_MS);

    // A rate change reaches the port.
    EXPECT_EQ(l.lien.ReglerVitessePC(115200), 0);
    ASSERT_TRUE(temoin->LireReglages(l.journal->dernierPort, lu));
    EXPECT_EQ(lu.BaudRate, 115200u);

    EXPECT_EQ(l.lien.ViderLigne(), 0);
    EXPECT_EQ(l.lien.EcrireTampon("3F", 2), 0);
    EXPECT_EQ(l.lien.FermerPort(), 0);
    EXPECT_FALSE(l.lien.PortOuvert());
    // The handle is really gone.
    EXPECT_FALSE(temoin->LireReglages(l.journal->dernierPort, lu));
    EXPECT_EQ(temoin->DerniereErreur(), ERROR_INVALID_HANDLE);
}

TEST(LigneCom, LectureSansReponseExpireApresLeDelaiDeLecture) {
    LienSurPty l;
    l.lien.ChoisirPort(environnement::ComNeuf());
    ASSERT_EQ(l.lien.OuvrirPort(), 0);

    unsigned octet = 0x1234;
    const DWORD debut = GetTickCount();
    EXPECT_EQ(l.lien.LireOctet(&octet), ERR_DELAI);
    const DWORD duree = GetTickCount() - debut;
    // 1 byte x 100 ms + 1000 ms; bounds left wide for a loaded machine.
    EXPECT_GE(duree, 900u);
    EXPECT_LT(duree, 10000u);
    EXPECT_EQ(octet, 0x1234u) << "a read without data leaves the byte alone";
    EXPECT_EQ(l.lien.DernierResultat(), ERR_DELAI);
    EXPECT_TRUE(l.lien.PortOuvert()) << "a time-out is not a line failure";
}

TEST(LigneCom, EcritureInacheveeEstUnEchec) {
    // The far end reads nothing: the write time-out runs out with most bytes still unsent.
    auto ligne = CreerLigneSerie(nullptr);
    const PoigneeSerie port = ligne->Ouvrir(environnement::ComNeuf());
    ASSERT_NE(port, PORT_INVALIDE) << ligne->DerniereErreur();
    COMMTIMEOUTS delais{};
    delais.WriteTotalTimeoutConstant = 300;
    ASSERT_TRUE(ligne->AppliquerDelais(port, delais));
    const std::vector<char> beaucoup(1 << 20, 'x');
    EXPECT_FALSE(ligne->Ecrire(port, beaucoup.data(), beaucoup.size()));
    EXPECT_NE(ligne->DerniereErreur(), 0);
    EXPECT_TRUE(ligne->Fermer(port));
}

TEST(LigneCom, PlateformeRendLesCodesSystemeEtNeDortJamaisSansFin) {
    auto ligne = CreerLigneSerie(nullptr);
    // A negative wait must not turn into Sleep(INFINITE).
    const std::uint64_t debut = ligne->Tic();
    ligne->Dormir(-1);
    EXPECT_LT(ligne->Tic() - debut, 1000u);

    // Calls on a handle that is not open fail with the system's own code.
    unsigned char octet = 0;
    std::size_t lus = 7;
    EXPECT_FALSE(ligne->Lire(PORT_INVALIDE, &octet, &lus));
    EXPECT_EQ(lus, 0u);
    EXPECT_EQ(ligne->DerniereErreur(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(ligne->Ecrire(PORT_INVALIDE, "x", 1));
    EXPECT_EQ(ligne->DerniereErreur(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(ligne->Purger(PORT_INVALIDE));
    EXPECT_NE(ligne->DerniereErreur(), 0);
}

}  // namespace
