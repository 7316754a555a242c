// Whole updates over the serial line: what the device holds afterwards, and the way there.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <ostream>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QLabel>
#include <QProgressBar>

#include "banc_reel.h"
#include "logind_factice.h"
#include "link/protocole.h"
#include "tests/commun/blocs_attendus.h"

namespace {

constexpr int DELAI_MISE_A_JOUR_MS = 120000;

// The device after an update: every byte of the image and nothing else, but the blank half of a
// word the image half fills; its EEPROM as it was, with the image's bytes, the version stamped and
// the language.
void VerifierAppareilAJour(const Simulateur& appareil, std::vector<std::uint8_t> eeprom, unsigned langue) {
    const ImageAttendue image = LireImageAttendue();
    const std::vector<std::uint8_t> memoire = appareil.MemoireProgramme();
    for (unsigned a = 0; a < memoire.size(); ++a) {
        const auto octet = image.programme.find(a);
        const bool attendu = octet != image.programme.end()
                                 ? memoire[a] == octet->second
                                 : memoire[a] == 0xFF || (memoire[a] == 0 && image.programme.count(a ^ 1));
        ASSERT_TRUE(attendu) << "program memory at 0x" << std::hex << a << " holds 0x" << int(memoire[a]);
    }
    for (const auto& [adresse, octet] : image.eeprom)
        eeprom.at(adresse) = octet;
    eeprom.at(protocole::EEPROM_MAJEUR) = VERSION_MAJEUR;
    eeprom.at(protocole::EEPROM_MINEUR) = VERSION_MINEUR;
    eeprom.at(protocole::EEPROM_REVISION) = VERSION_REVISION;
    eeprom.at(protocole::EEPROM_LANGUE) = std::uint8_t(langue);
    EXPECT_EQ(appareil.BlocsEcrits(), BlocsDeLImage());
    EXPECT_EQ(appareil.Eeprom(), eeprom);
    EXPECT_FALSE(appareil.Connecte());
    EXPECT_EQ(appareil.Anomalies(), std::vector<std::string>());
}

struct CasAccepte {
    unsigned majeur, mineur, revision, langueAvant, langueApres;
};

void PrintTo(const CasAccepte& cas, std::ostream* sortie) {
    *sortie << cas.majeur << '.' << cas.mineur << '.' << cas.revision << "_langue" << cas.langueAvant;
}

class VersionAcceptee : public ::testing::TestWithParam<CasAccepte> {};

// The one whole update on the wire, on a system bus of its own where logind is played. Closing half
// way through would leave the device half written: the request is refused, and the window says why
// without a box that would hold the update. The computer is kept awake by one lock, taken once the
// device is connected, named and explained in the wizard's language, and closed by page 12.
TEST_P(VersionAcceptee, EstProgrammee) {
    const CasAccepte cas = GetParam();
    const LogindFactice logind;
    BancReel b;
    if (logind.Lance())
        ASSERT_TRUE(b.AttendreQue([&] { return logind.Pret(); }, 20000));
    else
        std::cout << "[   NOTE   ] no dbus-daemon or python3-dbusmock: the lock against sleep is not checked\n";
    ASSERT_TRUE(b.Brancher(Identite(cas.majeur, cas.mineur, cas.revision, cas.langueAvant)));
    const std::vector<std::uint8_t> eeprom = b.appareil->Eeprom();
    b.Lancer();

    int prises = 0, etapeALaPrise = 0, plusGrandNombre = 0;
    QStringList tenus, pris;
    const auto suivreLeVerrou = [&] {
        if (!logind.Lance()) return;
        const QStringList liste = LogindFactice::Inhibiteurs();
        if (!liste.isEmpty() && tenus.isEmpty()) {
            ++prises;
            pris = liste;
            etapeALaPrise = b.fenetre->Step;
        }
        plusGrandNombre = std::max(plusGrandNombre, int(liste.size()));
        tenus = liste;
    };
    ASSERT_TRUE(b.AttendreQue(
        [&] {
            suivreLeVerrou();
            return b.appareil->BlocsEcrits() >= 500;
        },
        DELAI_MISE_A_JOUR_MS));
    EXPECT_FALSE(b.DemanderFermeture());
    const QLabel* pourquoi = b.fenetre->findChild<QLabel*>(QStringLiteral("LabelFermetureRefusee"));
    EXPECT_TRUE(pourquoi->isVisible());
    EXPECT_EQ(pourquoi->text(), U("Mise à jour en cours : la fenêtre pourra être fermée une fois le Zantrel libéré."));
    ASSERT_TRUE(b.AttendreQue(
        [&] {
            suivreLeVerrou();
            return b.fenetre->Step == ETAPE_REUSSITE;
        },
        DELAI_MISE_A_JOUR_MS))
        << "stopped at step " << b.fenetre->Step;
    EXPECT_TRUE(pourquoi->isHidden()) << "the device is released";
    EXPECT_TRUE(b.questions.empty());
    VerifierAppareilAJour(*b.appareil, eeprom, cas.langueApres);
    EXPECT_FALSE(b.fenetre->Lien().PortOuvert());

    if (logind.Lance()) {
        EXPECT_TRUE(LogindFactice::Inhibiteurs().isEmpty()) << "the lock outlived the device's release";
        EXPECT_EQ(prises, 1);
        EXPECT_EQ(plusGrandNombre, 1);
        EXPECT_GE(etapeALaPrise, ETAPE_VERIFICATION) << "taken before the connection";
        EXPECT_EQ(pris.join(""), U("sleep:shutdown:idle|Zantrel|Mise à jour du Zantrel en cours : l'ordinateur ne doit "
                                   "ni se mettre en veille ni s'éteindre.|block"));
    }
}

// Before the device is touched the window closes at once, as asked.
TEST(MiseAJourReelle, UneDemandeDeFermetureSurLaPage4Ferme) {
    BancReel b;
    while (b.fenetre->Step < ETAPE_CORDON_PC)
        b.fenetre->NextStep();
    EXPECT_TRUE(b.DemanderFermeture());
}

// The update's own version is programmed again; the other limits and language bytes are the
// sequencer's tests.
INSTANTIATE_TEST_SUITE_P(Limites, VersionAcceptee,
                         ::testing::Values(CasAccepte{VERSION_MAJEUR, VERSION_MINEUR, VERSION_REVISION, 2, 0}));

// A device that never answers, at its last attempt (the twenty are counted by the sequencer's
// tests): the connection-failure message, and the wizard waits on page 5 with the port closed.
TEST(MiseAJourReelle, UnAppareilEteintDonneLEchecDeConnexion) {
    BancReel b;
    FautesAppareil fautes;
    fautes.silencieuxDepuis = 1;
    ASSERT_TRUE(b.Brancher(Identite(3, 7, 0), fautes));
    b.Lancer();
    auto* essais = b.fenetre->findChild<QProgressBar*>(QStringLiteral("ProgressBarProgrammation"));
    essais->setValue(essais->maximum() - 1);
    ASSERT_TRUE(b.AttendreQue([&] { return !b.questions.empty(); }, 30000));
    ASSERT_TRUE(b.AttendreRepos());
    ASSERT_EQ(b.questions.size(), 1u);
    const QuestionVue& q = b.questions[0];
    EXPECT_EQ(q.boutons, BoutonsQuestion::Ok);
    EXPECT_EQ(q.genre, GenreQuestion::Erreur);
    EXPECT_TRUE(q.texte.startsWith(U("Echec à la connexion :"))) << q.texte.toStdString();
    EXPECT_TRUE(q.texte.endsWith(U("dans la liste.\n"))) << "the port opened: no cause to add";
    EXPECT_FALSE(q.portOuvert);
    EXPECT_EQ(b.DemandesConnexion(), 1);
    EXPECT_EQ(b.fenetre->Step, ETAPE_CHOIX_PORT);
    EXPECT_FALSE(b.fenetre->Lien().PortOuvert());
}

// A port another program holds with an exclusive lock: the box says so, in the wizard's language.
TEST(MiseAJourReelle, UnPortOccupeLeDitDansLaLangueDeLAssistant) {
    for (int langue : {0, 1}) {
        BancReel b;
        b.fenetre->SetLanguage(langue);
        ASSERT_TRUE(b.Brancher(Identite(3, 7, 0)));
        const int verrou = open(b.cheminAppareil.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_EQ(flock(verrou, LOCK_EX | LOCK_NB), 0);
        b.Lancer();
        ASSERT_TRUE(b.AttendreQue([&] { return !b.questions.empty(); }, 30000));
        const QString port = U(b.cheminAppareil.c_str());
        EXPECT_TRUE(b.questions[0].texte.endsWith(
            langue
                ? "list.\n\nThe port " + port +
                      " is already in use by another program. Close that program, then try again.\n"
                : U("liste.\n\nLe port ") + port +
                      U(" est déjà utilisé par un autre programme. Fermez ce programme, puis essayez de nouveau.\n")))
            << b.questions[0].texte.toStdString();
        EXPECT_EQ(b.DemandesConnexion(), 0);
        EXPECT_EQ(b.fenetre->Step, ETAPE_CHOIX_PORT);
        close(verrou);
    }
}

}  // namespace
