// Page 5 and the ticks of the waiting steps follow the device's port in the PC's port list.
#include <gtest/gtest.h>

#include <tuple>

#include "tests/commun/doublures.h"

namespace {

TEST(PortAppareil, Page5OffreLaConnexionQuandLAppareilEstBranche) {
    Assistant a;
    a.ports->Brancher();
    a.AllerA(ETAPE_CHOIX_PORT);
    EXPECT_TRUE(a.Bouton("ButtonSuivant")->isEnabled());
    EXPECT_TRUE(a.LigneVisible(4));
    EXPECT_EQ(a.fenetre->Lien().NumeroDuPort(), COM_APPAREIL);

    a.Suivant();
    EXPECT_EQ(a.fenetre->Step, ETAPE_CONNEXION);
}

TEST(PortAppareil, Page5SansAppareilNeLaissePasPasser) {
    Assistant a;
    a.ports->Debrancher();
    const int portAvant = a.fenetre->Lien().NumeroDuPort();
    a.AllerA(ETAPE_CHOIX_PORT);
    EXPECT_FALSE(a.Bouton("ButtonSuivant")->isEnabled());
    EXPECT_FALSE(a.LigneVisible(4));
    EXPECT_EQ(a.fenetre->Lien().NumeroDuPort(), portAvant) << "an ordinary port is not the device's";

    a.Bouton("ButtonSuivant")->click();
    EXPECT_EQ(a.fenetre->Step, ETAPE_CHOIX_PORT);
}

TEST(PortAppareil, LesTopsDeLaPage5SuiventLeBranchement) {
    Assistant a;
    a.ports->Debrancher();
    a.AllerA(ETAPE_CHOIX_PORT);
    ASSERT_FALSE(a.Bouton("ButtonSuivant")->isEnabled());

    a.ports->Brancher();
    a.fenetre->TimerGestionSerieTimer();
    EXPECT_TRUE(a.Bouton("ButtonSuivant")->isEnabled());
    EXPECT_TRUE(a.LigneVisible(4));
    EXPECT_EQ(a.fenetre->Lien().NumeroDuPort(), COM_APPAREIL);

    a.ports->Debrancher();
    a.fenetre->TimerGestionSerieTimer();
    EXPECT_FALSE(a.Bouton("ButtonSuivant")->isEnabled());
    EXPECT_FALSE(a.LigneVisible(4));

    // Pulled with nothing left at all: the choice falls to no port.
    a.ports->Brancher();
    a.fenetre->TimerGestionSerieTimer();
    a.ports->valeurs.clear();
    a.fenetre->TimerGestionSerieTimer();
    EXPECT_FALSE(a.Bouton("ButtonSuivant")->isEnabled());
}

// A port that keeps its number but only now shows as the device's bridge (a bridge coming back
// after a reset): the next tick of page 5 offers Connection, though the number did not change.
TEST(PortAppareil, UnTopSansChangementDeNumeroSuitLePont) {
    Assistant a;
    a.ports->valeurs = {{"\\Device\\Serial33", TYPE_TEXTE, "COM33"}};
    a.AllerA(ETAPE_CHOIX_PORT);
    ASSERT_FALSE(a.Bouton("ButtonSuivant")->isEnabled());
    a.ports->Brancher();
    const int lectures = a.ports->lectures;
    a.fenetre->TimerGestionSerieTimer();
    EXPECT_GT(a.ports->lectures, lectures) << "every tick scans again";
    EXPECT_TRUE(a.Bouton("ButtonSuivant")->isEnabled());
    EXPECT_TRUE(a.LigneVisible(4));
    EXPECT_EQ(a.fenetre->Lien().NumeroDuPort(), COM_APPAREIL);
}

TEST(PortAppareil, LesTopsDesAutresPagesChoisissentLePortSansToucherSuivant) {
    for (int etape : {ETAPE_LANGUE, ETAPE_BIENVENUE, ETAPE_CORDON_APPAREIL, ETAPE_CORDON_PC}) {
        SCOPED_TRACE(etape);
        Assistant a;
        a.ports->Debrancher();
        a.AllerA(etape);
        a.fenetre->TimerGestionSerieTimer();
        const bool suivantActif = a.Bouton("ButtonSuivant")->isEnabled();
        const bool ligne4 = a.LigneVisible(4);

        a.ports->Brancher();
        a.fenetre->TimerGestionSerieTimer();
        EXPECT_EQ(a.fenetre->Lien().NumeroDuPort(), COM_APPAREIL);
        EXPECT_EQ(a.Bouton("ButtonSuivant")->isEnabled(), suivantActif);
        EXPECT_EQ(a.LigneVisible(4), ligne4);

        // Another ordinary port: not the device's, the link keeps the bridge's number.
        a.ports->Debrancher();
        a.fenetre->TimerGestionSerieTimer();
        EXPECT_EQ(a.fenetre->Lien().NumeroDuPort(), COM_APPAREIL);
        EXPECT_EQ(a.Bouton("ButtonSuivant")->isEnabled(), suivantActif);
    }
}

TEST(PortAppareil, LaPage12SuitLePortPourLAppareilSuivant) {
    Assistant a;
    a.ports->Debrancher();
    a.AllerA(ETAPE_REUSSITE);
    a.fenetre->TimerGestionSerieTimer();
    a.ports->Brancher();
    a.fenetre->TimerGestionSerieTimer();
    EXPECT_EQ(a.fenetre->Lien().NumeroDuPort(), COM_APPAREIL);
    EXPECT_TRUE(a.Bouton("ButtonSuivant")->isHidden());
}

// A bridge plugged in without its port: page 5 tells why, in the wizard's language, once two
// ticks agree, and hides it as soon as the port comes or the page is left.
TEST(PortAppareil, Page5DitPourquoiLePontNaPasDePort) {
    const std::tuple<ConstatPont, int, const char*> cas[] = {
        {{EtatPont::Retenu, {"brltty", "autre"}},
         0,
         "Votre Zantrel est branché, mais un autre programme retient son port : brltty, autre. Fermez"},
        {{EtatPont::Retenu, {}}, 1, "another program holds its port. Close the program that uses it"},
        {{EtatPont::Detache, {"brltty"}},
         0,
         "un programme pour plages braille (brltty) a pris son port à son pilote. Arrêtez"},
        {{EtatPont::Detache, {}}, 1, "a program took its port from its driver. Plug your device in again"},
        {{EtatPont::SansPilote, {}}, 0, "Linux n'a pas de pilote pour son port série"},
        {{EtatPont::PiloteAbsent, {}},
         1,
         "Your Zantrel is plugged in, but the driver of its USB port is not installed. Let Windows"},
    };
    for (const auto& [pont, langue, extrait] : cas) {
        SCOPED_TRACE(extrait);
        Assistant a;
        QLabel* ligne = a.Label("LabelPontSansPort");
        const auto tick = [&a, ligne] {
            a.fenetre->TimerGestionSerieTimer();
            return !ligne->isHidden();
        };
        a.ports->Debrancher();
        a.ports->pont = pont;
        a.fenetre->SetLanguage(langue);
        a.AllerA(ETAPE_CHOIX_PORT);
        EXPECT_TRUE(ligne->isHidden()) << "a first look may be a bridge still binding its driver";
        EXPECT_TRUE(tick());
        EXPECT_TRUE(ligne->text().contains(U(extrait))) << ligne->text().toStdString();

        a.ports->Brancher();
        a.ports->pont = {};
        EXPECT_FALSE(tick());
        EXPECT_TRUE(a.Bouton("ButtonSuivant")->isEnabled());

        // The port taken away again: told on the second tick, gone with the page.
        a.ports->Debrancher();
        a.ports->pont = pont;
        EXPECT_FALSE(tick());
        EXPECT_TRUE(tick());
        a.Precedent();
        EXPECT_TRUE(ligne->isHidden());
    }
}

}  // namespace
