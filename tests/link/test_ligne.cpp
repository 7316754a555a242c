// The serial line: settings as the kernel holds them, reads, writes, purges, closed ports,
// missing or busy ports, hang-ups.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "link/protocole.h"
#include "link/serie_posix.h"
#include "sim/reglages_pty.h"
#include "tests/link/pty_temoin.h"

namespace {

// The slave's settings, read through the master (the kernel hands back the slave's).
termios ReglagesEsclave(const PairePty& pty) {
    termios t{};
    EXPECT_EQ(::tcgetattr(pty.Maitre(), &t), 0);
    return t;
}

speed_t VitesseEsclave(const PairePty& pty) {
    const termios t = ReglagesEsclave(pty);
    return ::cfgetospeed(&t);
}

}  // namespace

TEST(LigneSerie, OuvrirPortRegleUneLigne8E1BruteSansControleDeFlux) {
    PairePty pty;
    auto lien = LienVers(pty.CheminEsclave());
    ASSERT_EQ(lien->OuvrirPort(), 0);
    // What the kernel keeps. A pseudo-terminal always reports 8 bits without parity.
    const termios t = ReglagesEsclave(pty);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_TRUE(t.c_iflag & INPCK);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_FALSE(t.c_oflag & OPOST);
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B9600));
    EXPECT_EQ(::cfgetispeed(&t), static_cast<speed_t>(B9600));

    // What the line asks of a real port: even parity, checked.
    termios voulu = t;
    ASSERT_EQ(ConstruireTermios(lien->ReglagesLigne(), voulu), 0);
    EXPECT_EQ(voulu.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS), static_cast<tcflag_t>(CS8 | PARENB));
    EXPECT_TRUE(voulu.c_iflag & INPCK);
    EXPECT_EQ(lien->ReglagesLigne().fDtrControl, DTR_CONTROL_DISABLE);
    EXPECT_EQ(lien->ReglagesLigne().fRtsControl, RTS_CONTROL_ENABLE);
}

TEST(LigneSerie, LesFormesSansEquivalentTermiosSontRefusees) {
    ReglagesSerie r;
    r.BaudRate = 19200;
    r.ByteSize = 7;
    r.Parity = ODDPARITY;
    r.StopBits = TWOSTOPBITS;
    r.fOutX = 1;
    r.XonChar = 0x11;
    termios t{};
    ASSERT_EQ(ConstruireTermios(r, t), 0);
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS),
              static_cast<tcflag_t>(CS7 | PARENB | PARODD | CSTOPB));
    EXPECT_FALSE(t.c_iflag & INPCK);  // parity sent but not checked
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON));
    EXPECT_EQ(t.c_cc[VSTART], 0x11);
    EXPECT_EQ(::cfgetispeed(&t), static_cast<speed_t>(B19200));

    for (auto casser :
         {+[](ReglagesSerie& x) { x.Parity = 3; },                                               // mark parity
          +[](ReglagesSerie& x) { x.ByteSize = 9; }, +[](ReglagesSerie& x) { x.StopBits = 1; },  // 1.5 stop bits
          +[](ReglagesSerie& x) { x.fDtrControl = 2; },                                          // handshake
          +[](ReglagesSerie& x) { x.BaudRate = 0; }}) {
        ReglagesSerie faux = r;
        casser(faux);
        termios u{};
        EXPECT_EQ(ConstruireTermios(faux, u), EINVAL);
    }
}

TEST(LigneSerie, ReglerVitessePC) {
    PairePty pty;
    auto lien = LienVers(pty.CheminEsclave());
    EXPECT_EQ(lien->ReglerVitessePC(115200), 0);  // closed: only stored
    EXPECT_EQ(lien->ReglagesLigne().BaudRate, 115200u);
    ASSERT_EQ(lien->OuvrirPort(), 0);  // every open starts again at 9600
    EXPECT_EQ(lien->ReglagesLigne().BaudRate, 9600u);
    EXPECT_EQ(VitesseEsclave(pty), static_cast<speed_t>(B9600));

    EXPECT_EQ(lien->ReglerVitessePC(57600), 0);
    EXPECT_EQ(VitesseEsclave(pty), static_cast<speed_t>(B57600));
    EXPECT_EQ(lien->ReglerVitessePC(12345), 0);
    EXPECT_EQ(lien->ReglagesLigne().BaudRate, 9600u);
    EXPECT_EQ(VitesseEsclave(pty), static_cast<speed_t>(B9600));
    // A rate termios has no constant for reaches the kernel in bit/s.
    EXPECT_EQ(lien->ReglerVitessePC(14400), 0);
    int bits = 0, bauds = 0;
    ASSERT_TRUE(LireReglagesPty(pty.Maitre(), bits, bauds));
    EXPECT_EQ(bauds, 14400);
    EXPECT_EQ(lien->ReglerVitessePC(9600), 0);
    EXPECT_EQ(VitesseEsclave(pty), static_cast<speed_t>(B9600));
}

TEST(LigneSerie, LesReglagesRelusSontCeuxAppliques) {
    PairePty pty;
    const std::string chemin = pty.CheminEsclave();
    auto ligne = CreerLigneSerie([chemin](int) { return chemin; });
    const PoigneeSerie port = ligne->Ouvrir(7);
    ASSERT_NE(port, PORT_INVALIDE);

    ReglagesSerie voulu;
    voulu.BaudRate = 57600;
    voulu.fDtrControl = DTR_CONTROL_ENABLE;
    voulu.fRtsControl = RTS_CONTROL_DISABLE;
    voulu.fInX = 1;
    ASSERT_TRUE(ligne->AppliquerReglages(port, voulu));
    ReglagesSerie lu;
    ASSERT_TRUE(ligne->LireReglages(port, lu));
    EXPECT_EQ(lu.BaudRate, 57600u);
    EXPECT_EQ(lu.ByteSize, 8);
    EXPECT_EQ(lu.fInX, 1u);
    EXPECT_EQ(lu.fOutX + lu.fOutxCtsFlow, 0u);
    EXPECT_EQ(lu.fDtrControl, DTR_CONTROL_ENABLE);
    EXPECT_EQ(lu.fRtsControl, RTS_CONTROL_DISABLE);
    voulu.BaudRate = 128000;
    ASSERT_TRUE(ligne->AppliquerReglages(port, voulu));
    ASSERT_TRUE(ligne->LireReglages(port, lu));
    EXPECT_EQ(lu.BaudRate, 128000u);
    voulu.BaudRate = 0;
    EXPECT_FALSE(ligne->AppliquerReglages(port, voulu));
    EXPECT_EQ(ligne->DerniereErreur(), EINVAL);

    ASSERT_TRUE(ligne->Fermer(port));
    EXPECT_FALSE(ligne->Fermer(port));
    EXPECT_EQ(ligne->DerniereErreur(), EBADF);
}

TEST(LigneSerie, UneEcritureQuiNePeutPartirEchoueAuDelai) {
    PairePty pty;  // nobody reads the master: the pty's buffers fill up
    const std::string chemin = pty.CheminEsclave();
    auto ligne = CreerLigneSerie([chemin](int) { return chemin; });
    const PoigneeSerie port = ligne->Ouvrir(1);
    ASSERT_NE(port, PORT_INVALIDE);
    ASSERT_TRUE(ligne->AppliquerDelais(port, DelaisSerie{0, 0, 0, 0, 300}));
    const std::string beaucoup(1 << 20, 'x');
    bool ok = true;
    const long long ms = DureeMs([&] { ok = ligne->Ecrire(port, beaucoup.data(), beaucoup.size()); });
    EXPECT_FALSE(ok);
    EXPECT_EQ(ligne->DerniereErreur(), ETIMEDOUT);
    EXPECT_GE(ms, 250);
    EXPECT_LT(ms, 5000);
}

TEST(LigneSerie, LectureEcritureEtVidage) {
    PairePty pty;
    auto lien = LienVers(pty.CheminEsclave());
    ASSERT_EQ(lien->OuvrirPort(), 0);

    pty.Envoyer("\xFF");
    unsigned octet = 0xABCD;
    EXPECT_EQ(lien->LireOctet(&octet), 0);
    EXPECT_EQ(octet, 0xFFu);
    EXPECT_EQ(lien->EcrireOctet(0x80), 0);
    EXPECT_EQ(lien->EcrireTampon("03FD", 4), 0);
    EXPECT_EQ(pty.Recevoir(), "\x80"
                              "03FD");

    // Pending bytes are dropped after the wait; the read then finds nothing and times out.
    pty.Envoyer("pending");
    EXPECT_GE(DureeMs([&] { EXPECT_EQ(lien->ViderLigne(), 0); }), 900);
    octet = 0xABCD;
    const long long ms = DureeMs([&] { EXPECT_EQ(lien->LireOctet(&octet), ERR_DELAI); });
    EXPECT_EQ(octet, 0xABCDu);
    EXPECT_EQ(lien->DernierResultat(), ERR_DELAI);
    EXPECT_GE(ms, 1000);  // 1100 ms for one byte
    EXPECT_LT(ms, 3000);
}

TEST(LigneSerie, UnAppareilQuiDisparaitEstUneErreurSystemeImmediate) {
    PairePty pty;
    auto lien = LienVers(pty.CheminEsclave());
    ASSERT_EQ(lien->OuvrirPort(), 0);
    pty.Raccrocher();
    unsigned octet = 7;
    int lu = 0;
    EXPECT_LT(DureeMs([&] { lu = lien->LireOctet(&octet); }), 700);
    EXPECT_TRUE(EstErreurSysteme(lu)) << lu;
    EXPECT_EQ(octet, 7u);
    const int ecrit = lien->EcrireOctet(0x80);
    EXPECT_TRUE(EstErreurSysteme(ecrit)) << ecrit;
    EXPECT_EQ(lien->FermerPort(), 0);
    EXPECT_FALSE(lien->PortOuvert());
}

TEST(LigneSerie, PortAbsentOuTenuDonneUneErreurSysteme) {
    auto absent = LienVers("/dev/zantrel-absent");
    int r = 0;
    EXPECT_LT(DureeMs([&] { r = absent->Connecter(1); }), 500);  // no wait without a port
    EXPECT_EQ(r, ENOENT);
    EXPECT_FALSE(absent->PortOuvert());

    ComP07 sansNom(CreerLigneSerie([](int) { return std::string(); }));
    EXPECT_EQ(sansNom.OuvrirPort(), ENOENT);

    PairePty pty;
    auto premier = LienVers(pty.CheminEsclave());
    auto second = LienVers(pty.CheminEsclave());
    ASSERT_EQ(premier->OuvrirPort(), 0);
    EXPECT_EQ(second->OuvrirPort(), EBUSY);
    EXPECT_FALSE(second->PortOuvert());
    ASSERT_EQ(premier->FermerPort(), 0);
    EXPECT_EQ(second->OuvrirPort(), 0);
    ASSERT_EQ(second->FermerPort(), 0);

    // Another program that only locks the port: the refused open leaves its tty as it was.
    const int autre = ::open(pty.CheminEsclave().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(autre, 0);
    ASSERT_EQ(::flock(autre, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(second->OuvrirPort(), EBUSY);
    int exclusif = -1;
    EXPECT_EQ(::ioctl(autre, TIOCGEXCL, &exclusif), 0);
    EXPECT_EQ(exclusif, 0);
    ::close(autre);
}

TEST(LigneSerie, SansPortOuvertAucunAppelALaLigne) {
    auto journal = std::make_shared<JournalLigne>();
    auto lien = LienVers("/dev/zantrel-absent", journal);
    unsigned v = 0;
    EXPECT_EQ(lien->FermerPort(), 0);
    EXPECT_EQ(lien->ViderLigne(), ERR_PORT_FERME);
    EXPECT_EQ(lien->EcrireOctet(1), ERR_PORT_FERME);
    EXPECT_EQ(lien->EcrireTampon("AB", 2), ERR_PORT_FERME);
    EXPECT_EQ(lien->LireOctet(&v), ERR_PORT_FERME);
    EXPECT_EQ(lien->EnvoyerHex(0x12), ERR_PORT_FERME);
    EXPECT_EQ(lien->Deconnecter(), ERR_PORT_FERME);
    EXPECT_EQ(lien->DernierResultat(), ERR_PORT_FERME);
    EXPECT_EQ(lien->ReglerVitessePC(38400), 0);
    EXPECT_EQ(lien->DernierResultat(), 0);
    EXPECT_TRUE(journal->appels.empty());  // not even the purge's wait
}
