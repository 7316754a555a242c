// The wizard's pages and the moves between them, through the buttons and the window's operations.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QMessageBox>
#include <QPixmap>
#include <QTest>

#include "about/BoiteAPropos.h"
#include "tests/commun/doublures.h"

namespace {

TEST(FenetreAssistant, DemarreSurLaPage1EnFrancais) {
    Assistant a;
    TFormMj& f = *a.fenetre;
    EXPECT_EQ(f.Step, ETAPE_LANGUE);
    EXPECT_EQ(f.GetLanguage(), 0);
    EXPECT_EQ(a.Compteur(), U("Etape n° 1 sur 12"));
    EXPECT_EQ(f.windowTitle(), Legende(0));
    EXPECT_EQ(a.Ligne(1), Legende(0));
    EXPECT_TRUE(a.Label("LabelLigne1")->font().bold());
    EXPECT_EQ(a.Titre(), U("Mise à jour de votre Zantrel "));
    EXPECT_EQ(a.Ligne(2), U("Choix De la Langue"));
    EXPECT_EQ(a.Ligne(4), U("Selectionnez la langue de votre choix parmi la liste :"));
    EXPECT_FALSE(a.LigneVisible(3));
    EXPECT_FALSE(a.LigneVisible(5));
    EXPECT_TRUE(a.Label("ImageConnectAppareilaPC")->isHidden());

    EXPECT_FALSE(a.Bouton("ButtonPrecedant")->isEnabled());
    EXPECT_EQ(a.Bouton("ButtonPrecedant")->text(), U("&Précédant"));
    EXPECT_EQ(a.Bouton("ButtonQuitter")->text(), U("&Quitter"));
    EXPECT_EQ(a.Bouton("ButtonQuitter")->toolTip(), U("permet de quitter la mise à jours"));
    EXPECT_EQ(a.Bouton("ButtonSuivant")->text(), U("&Suivant"));
    EXPECT_EQ(a.Bouton("ButtonAPropos")->text(), U("&A propos"));

    ASSERT_EQ(a.Liste()->count(), 2);
    EXPECT_EQ(a.Liste()->itemText(0), U("Français"));
    EXPECT_EQ(a.Liste()->itemText(1), U("English"));
    EXPECT_EQ(a.Liste()->currentIndex(), 0);
    EXPECT_FALSE(a.Liste()->isEditable());

    EXPECT_TRUE(a.Timer()->isActive());
    EXPECT_EQ(a.Timer()->interval(), INTERVALLE_ATTENTE_MS);
}

TEST(FenetreAssistant, DispositionDeLaFenetre) {
    Assistant a;
    TFormMj& f = *a.fenetre;
    EXPECT_EQ(f.size(), QSize(567, 407));
    EXPECT_EQ(f.minimumSize(), f.maximumSize());
    const Qt::WindowFlags drapeaux = f.windowFlags();
    EXPECT_TRUE(drapeaux & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(drapeaux & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(drapeaux & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(f.windowIcon().isNull());

    struct Place {
        const char* nom;
        QRect rect;
    };
    const Place places[] = {
        {"Image1", {8, 8, 553, 57}},
        {"LabelTitreEtape", {8, 72, 561, 20}},
        {"LabelLigne1", {8, 120, 553, 13}},
        {"LabelLigne2", {8, 152, 553, 13}},
        {"LabelLigne3", {8, 184, 561, 13}},
        {"LabelLigne4", {8, 216, 553, 13}},
        {"LabelLigne5", {8, 248, 553, 13}},
        {"ImageConnectAppareilaPC", {32, 144, 362, 193}},
        {"LabelBarreProgression", {8, 296, 553, 17}},
        {"ProgressBarProgrammation", {16, 320, 545, 33}},
        {"EditEtape", {8, 370, 140, 21}},
        {"ButtonAPropos", {195, 368, 75, 25}},
        {"ButtonQuitter", {283, 368, 75, 25}},
        {"ButtonPrecedant", {395, 368, 75, 25}},
        {"ButtonSuivant", {483, 368, 75, 25}},
    };
    for (const Place& p : places) {
        const QWidget* w = a.Controle<QWidget>(p.nom);
        ASSERT_NE(w, nullptr) << p.nom;
        EXPECT_EQ(w->geometry(), p.rect) << p.nom;
    }
    EXPECT_EQ(a.Liste()->width(), 145);

    // The layout's font, or the system's sans-serif standing in, at the layout's pixel sizes.
    const QFontInfo ligne(a.Label("LabelLigne2")->font());
    EXPECT_EQ(ligne.pixelSize(), 11);
    EXPECT_TRUE(ligne.family() == U("MS Sans Serif") || ligne.family() == a.Label("LabelLigne2")->font().family())
        << ligne.family().toStdString();
    EXPECT_EQ(QFontInfo(a.Label("LabelTitreEtape")->font()).pixelSize(), 16);
    EXPECT_TRUE(a.Label("LabelTitreEtape")->font().bold());
    EXPECT_TRUE(a.Label("LabelBarreProgression")->font().bold());
    EXPECT_TRUE(a.Controle<QLineEdit>("EditEtape")->isReadOnly());
    EXPECT_EQ(a.Controle<QLineEdit>("EditEtape")->focusPolicy(), Qt::NoFocus);

    // Keyboard order: round the focus chain from Quit, the controls that Tab stops on. The
    // counter and the progress bar are in the order but take no focus.
    QStringList chaine;
    QWidget* premier = a.Controle<QWidget>("ButtonQuitter");
    QWidget* courant = premier;
    do {
        if (!courant->objectName().isEmpty() && (courant->focusPolicy() & Qt::TabFocus))
            chaine << courant->objectName();
        courant = courant->nextInFocusChain();
    } while (courant != premier);
    EXPECT_EQ(chaine.join(QLatin1Char(' ')).toStdString(),
              "ButtonQuitter ButtonPrecedant ButtonSuivant ButtonAPropos ComboBoxLangueSel");
}

// Above a scale of 1 the pictures are their drawings at twice the size; ctest runs this at 1 and 2.
TEST(FenetreAssistant, LesImagesSuiventLEchelleDeLEcran) {
    Assistant a;
    const qreal echelle = a.fenetre->devicePixelRatioF();
    EXPECT_EQ(echelle, qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
    const struct {
        const char* nom;
        QSize taille;
    } images[] = {{"Image1", {330, 53}}, {"ImageConnectAppareilaPC", {362, 193}}};
    for (const auto& i : images) {
        const QPixmap image = a.Label(i.nom)->pixmap();
        EXPECT_EQ(image.devicePixelRatio(), echelle > 1.0 ? 2.0 : 1.0) << i.nom;
        EXPECT_EQ(image.deviceIndependentSize().toSize(), i.taille) << i.nom;
    }
    const QList<QSize> tailles = a.fenetre->windowIcon().availableSizes();
    for (int cote : {16, 32, 48, 64, 128, 256})
        EXPECT_TRUE(tailles.contains(QSize(cote, cote))) << "window icon at " << cote;
}

// What a screen reader finds of the pictures, the bar and the counter, in the wizard's language.
TEST(FenetreAssistant, LeLecteurDEcranNommeImagesBarreEtCompteur) {
    const struct {
        const char* controle;
        QAccessible::Text genre;
        const char* textes[2];
    } lus[] = {{"Image1", QAccessible::Name, {"Logo de Korvane", "Korvane logo"}},
               {"Image1",
                QAccessible::Description,
                {"Le logo du fabricant, Korvane, en lettres bleues sur fond blanc.",
                 "The logo of the maker, Korvane, in blue letters on white."}},
               {"ImageConnectAppareilaPC",
                QAccessible::Name,
                {"Branchement du Zantrel à l'ordinateur", "Connecting the Zantrel to the computer"}},
               {"ImageConnectAppareilaPC",
                QAccessible::Description,
                {"Le Zantrel à gauche, relié par son cordon rouge à un ordinateur portable marqué PC, à droite.",
                 "The Zantrel on the left, joined by its red cable to a portable computer marked PC, on the right."}},
               {"ProgressBarProgrammation", QAccessible::Name, {"Avancement de la mise à jour", "Update progress"}},
               {"EditEtape", QAccessible::Name, {"Étape de la mise à jour", "Update step"}}};
    Assistant a;
    a.AllerA(ETAPE_CORDON_PC);
    for (int langue : {0, 1}) {
        a.fenetre->SetLanguage(langue);
        for (const auto& l : lus)
            EXPECT_EQ(QAccessible::queryAccessibleInterface(a.Controle<QWidget>(l.controle))->text(l.genre),
                      U(l.textes[langue]))
                << l.controle;
    }
    a.Barre()->setRange(0, 200);
    a.Barre()->setValue(28);  // records: the reader says how far the update is
    QAccessibleInterface* barre = QAccessible::queryAccessibleInterface(a.Barre());
    EXPECT_EQ(barre->text(QAccessible::Value), QStringLiteral("14 %"));
    EXPECT_EQ(barre->valueInterface()->currentValue().toInt(), 14);
}

struct PageAttendue {
    int etape;
    const char* titre;
    const char* lignes[5];  // nullptr: hidden
};

void VerifierPage(const Assistant& a, const PageAttendue& p) {
    SCOPED_TRACE(p.etape);
    EXPECT_EQ(a.Titre(), U(p.titre));
    for (int n = 1; n <= 5; ++n) {
        const char* attendue = p.lignes[n - 1];
        EXPECT_EQ(a.LigneVisible(n), attendue != nullptr) << "line " << n;
        if (attendue) {
            EXPECT_EQ(a.Ligne(n), U(attendue)) << "line " << n;
        }
    }
}

TEST(PagesAssistant, TextesDesPages2A5EnFrancais) {
    Assistant a;
    a.ports->Brancher();
    const std::string legende = Legende(0).toStdString();
    const PageAttendue pages[] = {
        {ETAPE_BIENVENUE,
         "Mise à jour de votre Zantrel ",
         {legende.c_str(), "Bonjour,", "Vous effectuez la dernière mise à jour en date sur votre Zantrel.",
          "Celle-ci optimise les performances de votre appareil.", nullptr}},
        {ETAPE_CORDON_APPAREIL,
         "Préparation de votre Zantrel pour la mise à jour",
         {"Connectez le cordon de connexion PC sur votre Zantrel.", nullptr, nullptr, nullptr, nullptr}},
        {ETAPE_CORDON_PC,
         "Connexion de votre Zantrel à l'ordinateur.",
         {"Connectez le cordon de connexion à votre ordinateur.", nullptr, nullptr, nullptr, nullptr}},
        {ETAPE_CHOIX_PORT,
         "Sélection Automatique de l'USB.",
         {"Vérifiez que votre Zantrel est connecté à l'ordinateur.", "Mettez en marche votre Zantrel.", nullptr,
          "Cliquez sur <Connexion> pour commencer la mise à jour.", nullptr}},
    };
    for (const PageAttendue& p : pages) {
        a.Suivant();
        ASSERT_EQ(a.fenetre->Step, p.etape);
        VerifierPage(a, p);
    }
    EXPECT_EQ(a.Bouton("ButtonSuivant")->text(), U("&Connexion"));
}

TEST(PagesAssistant, TextesDesPages2Et5EnAnglais) {
    Assistant a;
    a.ports->Brancher();
    a.Liste()->setCurrentIndex(1);
    const std::string legende = Legende(1).toStdString();
    const PageAttendue pages[] = {
        {ETAPE_BIENVENUE,
         "Update of your Zantrel ",
         {legende.c_str(), "Hello", "You are doing the last update of your Zantrel.",
          "It improves the performance of your device.", nullptr}},
        {ETAPE_CHOIX_PORT,
         "Automatic choice of USB port.",
         {"Check your Zantrel is connected to the computer.", "Power on your Zantrel.", nullptr,
          "Click on \"Connection\" to start the update.", nullptr}},
    };
    for (const PageAttendue& p : pages) {
        a.AllerA(p.etape);
        VerifierPage(a, p);
    }
    EXPECT_EQ(a.Compteur(), U("Step n° 5 of 12"));
    EXPECT_EQ(a.Bouton("ButtonSuivant")->text(), U("&Connection"));
    EXPECT_EQ(a.Bouton("ButtonQuitter")->text(), U("E&xit"));
    EXPECT_EQ(a.Bouton("ButtonPrecedant")->text(), U("&Before"));
}

TEST(PagesAssistant, Page2EnItaliqueCentreePuisPage3Reguliere) {
    Assistant a;
    a.Suivant();
    QLabel* barre = a.Label("LabelBarreProgression");
    EXPECT_EQ(barre->text(), U("Cette mise à jour permet de bénéficier pleinement des dernières évolutions."));
    EXPECT_TRUE(barre->font().italic());
    EXPECT_FALSE(barre->font().bold());
    EXPECT_EQ(barre->font().pointSize(), 10);
    EXPECT_TRUE(barre->alignment() & Qt::AlignHCenter);
    EXPECT_FALSE(barre->isHidden());
    EXPECT_TRUE(a.Liste()->isHidden());
    EXPECT_TRUE(a.Label("LabelLigne2")->alignment() & Qt::AlignLeft);

    a.Suivant();
    EXPECT_FALSE(barre->font().italic());
    EXPECT_FALSE(barre->font().bold());
    EXPECT_EQ(barre->font().pointSize(), 8);
    EXPECT_TRUE(barre->isHidden());
    EXPECT_FALSE(a.Label("LabelLigne1")->font().bold());
    EXPECT_TRUE(a.Label("LabelLigne1")->alignment() & Qt::AlignLeft);
}

TEST(LangueAssistant, SetLanguageRedessineLaPage1SaufPrecedent) {
    Assistant a;
    a.fenetre->SetLanguage(1);
    EXPECT_EQ(a.fenetre->GetLanguage(), 1);
    EXPECT_EQ(a.fenetre->windowTitle(), Legende(1));
    EXPECT_EQ(a.Compteur(), U("Step n° 1 of 12"));
    EXPECT_EQ(a.Ligne(4), U("Select your language of choice among the list :"));
    EXPECT_EQ(a.Bouton("ButtonQuitter")->text(), U("E&xit"));
    EXPECT_EQ(a.Liste()->currentIndex(), 1);
    // Page 1 leaves the disabled Previous button as the layout made it.
    EXPECT_EQ(a.Bouton("ButtonPrecedant")->text(), U("&Précédant"));

    a.Suivant();
    a.Precedent();
    EXPECT_EQ(a.fenetre->Step, ETAPE_LANGUE);
    EXPECT_EQ(a.Bouton("ButtonPrecedant")->text(), U("&Before"));
    EXPECT_FALSE(a.Bouton("ButtonPrecedant")->isEnabled());
}

TEST(LangueAssistant, SetLanguageRefuseCeQuiNEstPasUneLangue) {
    Assistant a;
    a.fenetre->SetLanguage(1);
    for (int refusee : {2, -1, -2, 1000}) {
        a.fenetre->SetLanguage(refusee);
        EXPECT_EQ(a.fenetre->GetLanguage(), 1) << refusee;
        EXPECT_EQ(a.fenetre->windowTitle(), Legende(1)) << refusee;
    }
}

TEST(LangueAssistant, LeChoixDeLaListePrendEffetAvecSuivant) {
    Assistant a;
    a.Liste()->setCurrentIndex(1);
    EXPECT_EQ(a.fenetre->windowTitle(), Legende(0));
    EXPECT_EQ(a.Ligne(2), U("Choix De la Langue"));
    a.Suivant();
    EXPECT_EQ(a.fenetre->GetLanguage(), 1);
    EXPECT_EQ(a.Ligne(2), U("Hello"));
    EXPECT_EQ(a.Compteur(), U("Step n° 2 of 12"));
}

TEST(LangueAssistant, RetourALaPage1RemplitLaListeAvecDeuxLangues) {
    Assistant a;
    a.Liste()->setCurrentIndex(1);
    a.Suivant();
    a.Precedent();
    a.Suivant();
    a.Precedent();
    ASSERT_EQ(a.Liste()->count(), 2);
    EXPECT_EQ(a.Liste()->itemText(0), U("Français"));
    EXPECT_EQ(a.Liste()->itemText(1), U("English"));
    EXPECT_EQ(a.Liste()->currentIndex(), 1);
    EXPECT_FALSE(a.Liste()->isHidden());

    // Beside the prompt, whatever the language's prompt length.
    QLabel* invite = a.Label("LabelLigne4");
    const int gauche = 8 + QFontMetrics(invite->font()).horizontalAdvance(invite->text()) + 10;
    EXPECT_EQ(a.Liste()->pos(), QPoint(gauche, 214));
}

// Dark pixels of the window's picture area right of the narrow frame's edge: the PC.
int PixelsSombresADroite(TFormMj& fenetre) {
    const QImage rendu = fenetre.grab().toImage();
    int sombres = 0;
    for (int y = 144; y < 144 + 193; ++y)
        for (int x = 32 + 226; x < 32 + 362; ++x)
            sombres += qGray(rendu.pixel(x, y)) < 128;
    return sombres;
}

TEST(ImageConnexion, Page3MontreLeDebutDeLImagePage4LImageEntiere) {
    Assistant a;
    a.fenetre->show();
    QLabel* image = a.Label("ImageConnectAppareilaPC");
    const QPixmap dessin = image->pixmap();
    ASSERT_FALSE(dessin.isNull()) << "the JPEG picture did not load";
    EXPECT_EQ(dessin.size(), QSize(362, 193));
    EXPECT_EQ(a.fenetre->ImageFullWidth, 362);

    a.AllerA(ETAPE_CORDON_APPAREIL);
    EXPECT_FALSE(image->isHidden());
    EXPECT_EQ(image->size(), QSize(226, 193));
    EXPECT_EQ(PixelsSombresADroite(*a.fenetre), 0);
    // Unscaled, from the top-left corner: the window shows the picture's first columns as they are.
    const QImage rendu = a.fenetre->grab().toImage();
    EXPECT_EQ(rendu.copy(32, 144, 226, 193), dessin.toImage().copy(0, 0, 226, 193).convertToFormat(rendu.format()));

    a.Suivant();
    EXPECT_EQ(image->size(), QSize(362, 193));
    EXPECT_GT(PixelsSombresADroite(*a.fenetre), 200);

    a.Precedent();
    EXPECT_EQ(image->width(), 226);
    a.Suivant();
    a.Suivant();
    EXPECT_TRUE(image->isHidden());
    a.Precedent();
    EXPECT_EQ(a.fenetre->Step, ETAPE_CORDON_PC);
    EXPECT_EQ(image->width(), 362);
    EXPECT_FALSE(image->isHidden());
}

TEST(NavigationAssistant, AnnulerSurLaPage6RevientALaPage5SansDeconnecter) {
    Assistant a;
    a.ports->Brancher();
    a.AllerA(ETAPE_CHOIX_PORT);
    ASSERT_EQ(a.fenetre->Lien().OuvrirPort(), 0);
    a.Suivant();
    ASSERT_EQ(a.fenetre->Step, ETAPE_CONNEXION);
    EXPECT_EQ(a.Bouton("ButtonPrecedant")->text(), U("&Annuler"));
    EXPECT_FALSE(a.Bouton("ButtonSuivant")->isEnabled());
    EXPECT_EQ(a.Timer()->interval(), INTERVALLE_TRAVAIL_MS);
    EXPECT_EQ(a.Barre()->maximum(), 20);
    EXPECT_TRUE(a.Barre()->isHidden());
    EXPECT_EQ(a.Ligne(4), U("La connexion est établie à votre Zantrel."));
    EXPECT_FALSE(a.LigneVisible(4));

    a.Precedent();
    EXPECT_EQ(a.fenetre->Step, ETAPE_CHOIX_PORT);
    EXPECT_EQ(a.Compteur(), U("Etape n° 5 sur 12"));
    EXPECT_TRUE(a.fenetre->Lien().PortOuvert());
    EXPECT_EQ(a.ligne->fermetures, 0);
    EXPECT_EQ(a.Timer()->interval(), INTERVALLE_TRAVAIL_MS);
    EXPECT_EQ(a.Bouton("ButtonPrecedant")->text(), U("&Précédent"));
}

TEST(NavigationAssistant, OuiSurLaPage12FermeLeLienEtAttendLAppareilSuivant) {
    Assistant a;
    a.ports->Brancher();
    a.fenetre->SetLanguage(1);
    a.AllerA(ETAPE_CONNEXION);
    ASSERT_EQ(a.fenetre->Lien().OuvrirPort(), 0);
    // One record fetched: the walk's index stands past the first.
    ASSERT_GT(a.fenetre->Parcours().ConstruireTable(), 1);
    ASSERT_EQ(a.fenetre->Parcours().LireEnregistrementSuivant(), 0);
    ASSERT_EQ(a.fenetre->Parcours().IndexCourant(), 1);
    a.AllerA(ETAPE_REUSSITE);
    EXPECT_EQ(a.Titre(), U("succesful Programming"));
    EXPECT_EQ(a.Label("LabelBarreProgression")->text(), U("Do you want update another Zantrel?"));
    EXPECT_TRUE(a.Bouton("ButtonSuivant")->isHidden());
    EXPECT_EQ(a.Bouton("ButtonPrecedant")->text(), U("&Yes "));
    EXPECT_FALSE(a.Bouton("ButtonPrecedant")->isHidden());
    EXPECT_EQ(a.Bouton("ButtonQuitter")->text(), U("&No"));
    EXPECT_TRUE(a.Bouton("ButtonQuitter")->isEnabled());
    a.Timer()->stop();

    a.Precedent();
    EXPECT_EQ(a.fenetre->Step, ETAPE_CHOIX_PORT);
    EXPECT_FALSE(a.fenetre->Lien().PortOuvert());
    EXPECT_EQ(a.ligne->fermetures, 1);
    EXPECT_TRUE(a.Timer()->isActive());
    EXPECT_EQ(a.Timer()->interval(), INTERVALLE_ATTENTE_MS);
    EXPECT_EQ(a.Bouton("ButtonPrecedant")->text(), U("&Before"));
    EXPECT_EQ(a.Bouton("ButtonQuitter")->text(), U("E&xit"));
    EXPECT_FALSE(a.Bouton("ButtonSuivant")->isHidden());
    EXPECT_TRUE(a.Bouton("ButtonSuivant")->isEnabled());

    // The next device's transfer starts again at the first record.
    a.Suivant();
    EXPECT_EQ(a.fenetre->Parcours().IndexCourant(), 0);
}

TEST(NavigationAssistant, LesPagesDuSequenceur) {
    Assistant a;
    a.ports->Brancher();
    a.AllerA(ETAPE_VERIFICATION);
    a.fenetre->SousEtape = 4;
    a.fenetre->ShowStep(ETAPE_VERIFICATION);
    EXPECT_EQ(a.fenetre->SousEtape, 0u);
    EXPECT_EQ(a.Titre(), U("Vérification de l'appareil"));
    EXPECT_TRUE(a.Bouton("ButtonPrecedant")->isHidden());
    EXPECT_FALSE(a.Bouton("ButtonQuitter")->isEnabled());
    for (int n = 1; n <= 5; ++n)
        EXPECT_FALSE(a.LigneVisible(n)) << n;

    a.Barre()->setRange(0, a.fenetre->Parcours().ConstruireTable());
    a.Timer()->stop();
    a.fenetre->NextStep();
    EXPECT_EQ(a.Titre(), U("Programmation de votre Zantrel"));
    EXPECT_EQ(a.Label("LabelBarreProgression")->text(), U("Avancement de la mise à jour : 0.0 %"));
    EXPECT_EQ(a.Ligne(5), U("Transmission du programme à votre Zantrel"));
    EXPECT_FALSE(a.Barre()->isHidden());
    EXPECT_EQ(a.Barre()->value(), 0);
    EXPECT_TRUE(a.Timer()->isActive());
    EXPECT_EQ(a.Timer()->interval(), INTERVALLE_TRAVAIL_MS);

    // 9 and 10 have no page: only the counter moves.
    a.fenetre->Step = ETAPE_ENVOI;
    a.fenetre->NextStep();
    EXPECT_EQ(a.Compteur(), U("Etape n° 10 sur 12"));
    EXPECT_EQ(a.Titre(), U("Programmation de votre Zantrel"));
    EXPECT_TRUE(a.LigneVisible(5));

    a.fenetre->NextStep();
    EXPECT_EQ(a.Titre(), U("Programmation de votre Zantrel"));
    EXPECT_EQ(a.Ligne(2), U("Votre Zantrel est en train d'être déconnecté, Veuillez patienter."));
    EXPECT_EQ(a.Ligne(4), U("Vous pouvez débrancher maintenant en toute sécurité votre Zantrel."));
    EXPECT_TRUE(a.LigneVisible(4));
    EXPECT_FALSE(a.Label("LabelLigne4")->isEnabled());
    EXPECT_TRUE(a.Barre()->isHidden());
}

TEST(NavigationAssistant, LAvancementNeDependNiDeLaLocaleNiDUneImageVide) {
    Assistant a;
    a.fenetre->SetLanguage(1);
    a.Barre()->setRange(0, 0);
    a.fenetre->Step = ETAPE_PROGRAMMATION;
    a.fenetre->ShowStep(ETAPE_PROGRAMMATION);
    EXPECT_EQ(a.Label("LabelBarreProgression")->text(), U("Update progression : 0.0 %"));
}

// The box is modal, in the wizard's language, and the sequencer's ticks go on behind it.
TEST(BoutonsAssistant, APropos) {
    Assistant a;
    a.ports->Brancher();
    a.fenetre->SetLanguage(1);
    a.fenetre->show();
    a.AllerA(ETAPE_CONNEXION);
    a.Precedent();  // page 5, ticking every 100 ms
    ASSERT_EQ(a.Timer()->interval(), INTERVALLE_TRAVAIL_MS);

    QString titre;
    bool auDessus = false;
    int lecturesAvant = 0;
    int lecturesPendant = 0;
    QObject contexte;
    QTimer::singleShot(0, &contexte, [&] {
        auto* boite = qobject_cast<TFormAPropos*>(QApplication::activeModalWidget());
        ASSERT_NE(boite, nullptr);
        titre = boite->windowTitle();
        auDessus = boite->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        lecturesAvant = a.ports->lectures;
        QTimer::singleShot(450, &contexte, [&, boite] {
            lecturesPendant = a.ports->lectures - lecturesAvant;
            boite->close();
        });
    });
    a.Bouton("ButtonAPropos")->click();

    EXPECT_EQ(titre, U("About update"));
    EXPECT_TRUE(auDessus);
    EXPECT_GE(lecturesPendant, 2);
    EXPECT_TRUE(a.fenetre->findChildren<TFormAPropos*>().isEmpty());
}

// Enter presses the focused button, else the way forward; a held key's repeats do nothing.
// After each page the focus rests on the way forward, never on Quit: a language chosen at the
// keyboard used to leave it there.
TEST(ClavierAssistant, EntreePresseLeBoutonDuFocusEtLeFocusSuitLaPage) {
    Assistant a;
    a.ports->Brancher();
    a.fenetre->show();
    a.fenetre->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(a.fenetre.get()));
    EXPECT_EQ(QApplication::focusWidget(), a.Bouton("ButtonSuivant"));
    a.Liste()->setFocus();
    QTest::keyClick(a.Liste(), Qt::Key_Down);  // English
    // From the list, Enter is Next; keypad Enter too; Previous with the focus goes back; Connection
    // on page 5; Cancel, which has the focus on page 6.
    const struct {
        Qt::Key touche;
        bool repetee;
        const char* placer;
        int etape;
        const char* focus;
    } touches[] = {{Qt::Key_Return, false, nullptr, ETAPE_BIENVENUE, "ButtonSuivant"},
                   {Qt::Key_Space, false, nullptr, ETAPE_CORDON_APPAREIL, "ButtonSuivant"},
                   {Qt::Key_Enter, false, nullptr, ETAPE_CORDON_PC, "ButtonSuivant"},
                   {Qt::Key_Return, true, nullptr, ETAPE_CORDON_PC, "ButtonSuivant"},
                   {Qt::Key_Return, false, "ButtonPrecedant", ETAPE_CORDON_APPAREIL, "ButtonSuivant"},
                   {Qt::Key_Return, false, nullptr, ETAPE_CORDON_PC, "ButtonSuivant"},
                   {Qt::Key_Return, false, nullptr, ETAPE_CHOIX_PORT, "ButtonSuivant"},
                   {Qt::Key_Return, false, nullptr, ETAPE_CONNEXION, "ButtonPrecedant"},
                   {Qt::Key_Return, true, nullptr, ETAPE_CONNEXION, "ButtonPrecedant"},
                   {Qt::Key_Return, false, nullptr, ETAPE_CHOIX_PORT, "ButtonSuivant"},
                   {Qt::Key_Return, false, nullptr, ETAPE_CONNEXION, "ButtonPrecedant"}};
    for (const auto& t : touches) {
        if (t.placer) a.Bouton(t.placer)->setFocus();
        QWidget* cible = QApplication::focusWidget();
        if (t.repetee) {
            QKeyEvent repetition(QEvent::KeyPress, t.touche, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(cible, &repetition);
        } else {
            QTest::keyClick(cible, t.touche, t.touche == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        }
        EXPECT_EQ(a.fenetre->Step, t.etape);
        EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), t.focus) << t.etape;
    }
    EXPECT_EQ(a.fenetre->GetLanguage(), 1);

    // Page 5 without the device: Previous; pages 7 to 11: the window itself; page 12: Yes.
    a.ports->Debrancher();
    a.Precedent();
    EXPECT_EQ(QApplication::focusWidget(), a.Bouton("ButtonPrecedant"));
    a.AllerA(ETAPE_VERIFICATION);
    EXPECT_EQ(QApplication::focusWidget(), a.fenetre.get());
    a.AllerA(ETAPE_REUSSITE);
    EXPECT_EQ(QApplication::focusWidget(), a.Bouton("ButtonPrecedant"));

    // Page 12: Enter on Yes leads to page 5; on Quit it ends.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(a.fenetre->Step, ETAPE_CHOIX_PORT);
    a.Bouton("ButtonQuitter")->setFocus();
    QTest::keyClick(a.Bouton("ButtonQuitter"), Qt::Key_Return);
    EXPECT_FALSE(a.fenetre->isVisible());
}

// The question boxes' buttons speak the wizard's language, their details too, and Escape answers No.
TEST(ClavierAssistant, LesBoitesDeQuestionParlentLaLangueDeLAssistant) {
    const struct {
        int langue;
        const char* oui;
        const char* non;
        const char* boutonDetails;
        const char* resultat;
    } cas[] = {{0, "&Oui", "&Non", "Montrer les détails...",
                "Résultat : 100002 (ERR_DELAI : l'appareil n'a pas répondu à temps)"},
               {1, "&Yes", "&No", "Show Details...", "Result: 100002 (ERR_DELAI: the device did not answer in time)"}};
    for (const auto& c : cas) {
        Assistant a({nullptr, PoserQuestionBoite});  // the toolkit's message boxes
        a.fenetre->SetLanguage(c.langue);
        a.AllerA(ETAPE_PROGRAMMATION);
        QString oui, non, boutonDetails, details;
        QTimer::singleShot(0, a.fenetre.get(), [&] {
            if (auto* boite = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                oui = boite->button(QMessageBox::Yes)->text();
                non = boite->button(QMessageBox::No)->text();
                for (QAbstractButton* bouton : boite->buttons())
                    if (boite->buttonRole(bouton) == QMessageBox::ActionRole) boutonDetails = bouton->text();
                details = boite->detailedText();
                QTest::keyClick(boite, Qt::Key_Escape);
            }
        });
        a.fenetre->OnEchecTransmission(MessageFenetre{TFormMj::MSG_ECHEC_TRANSMISSION, ERR_DELAI, 0});
        EXPECT_EQ(oui.toStdString(), c.oui);
        EXPECT_EQ(non.toStdString(), c.non);
        EXPECT_EQ(boutonDetails.toStdString(), c.boutonDetails);
        EXPECT_TRUE(details.split('\n').contains(U(c.resultat))) << details.toStdString();
        EXPECT_EQ(a.fenetre->Step, ETAPE_PROGRAMMATION) << "No: the wizard does not go back to page 5";
    }
}

}  // namespace

// Every text pair {"...", "..."} of the wizard, the About box and the result codes, from their sources, takes the
// same printf arguments in both languages; one taking only names may give fewer in one, as some of the device's do.
TEST(TextesAssistant, LesDeuxLanguesPrennentLesMemesArguments) {
    const std::regex JETON(  // a literal, a comment, a character or a punctuation mark
        R"re(("(?:[^"\\]|\\.)*")|//[^\n]*|'(?:\\.|[^'\\])'|([{},();]))re");
    const std::regex CONVERSION(R"(%[-+ #0]*(\*?)[0-9]*\.?(\*?)[0-9]*(hh|h|ll|l|L|z|j|t)?([a-zA-Z%]))");
    const auto conversions = [&](const std::string& format) {
        std::string suite;
        for (std::sregex_iterator it(format.begin(), format.end(), CONVERSION), fin; it != fin; ++it)
            suite += it->str(4) == "%" ? "" : it->str(1) + it->str(2) + it->str(3) + it->str(4) + ' ';
        return suite;
    };
    std::set<std::string> lus;
    for (const char* dossier : {"wizard", "about", "link"})
        for (const auto& entree :
             std::filesystem::directory_iterator(std::filesystem::path(DOSSIER_SOURCES) / dossier)) {
            std::ifstream fichier(entree.is_regular_file() ? entree.path() : "");
            const std::string s{std::istreambuf_iterator<char>(fichier), std::istreambuf_iterator<char>()};
            std::vector<std::string> j;  // literals as '"' and their text, adjacent ones joined; marks
            for (std::sregex_iterator it(s.begin(), s.end(), JETON), fin; s.find("PaireTexte") != s.npos && it != fin;
                 ++it) {
                const std::string t = it->length(1) ? '"' + it->str(1).substr(1, it->length(1) - 2) : it->str(2);
                if (t[0] == '"' && !j.empty() && j.back()[0] == '"')
                    j.back() += t.substr(1);
                else if (!t.empty())
                    j.push_back(t);
            }
            for (std::size_t k = 0; k + 4 < j.size(); ++k)
                if (j[k] == "{" && j[k + 1][0] == '"' && j[k + 2] == "," && j[k + 3][0] == '"' && j[k + 4] == "}") {
                    lus.insert(entree.path().filename().string());
                    const std::string fr = conversions(j[k + 1]), en = conversions(j[k + 3]);
                    EXPECT_TRUE(fr == en || std::regex_match(fr + en, std::regex("(s )*")))
                        << j[k + 1] << " / " << j[k + 3];
                }
        }
    for (const char* nom : {"TFormMj_pages.cpp", "BoiteAPropos.cpp", "codes_resultat.h"})
        EXPECT_EQ(lus.count(nom), 1u) << nom;
}
