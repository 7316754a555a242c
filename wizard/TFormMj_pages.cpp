// TFormMj: the page of each step. A page sets only what it lists; everything else keeps what
// the previous pages left, which the navigation relies on.
#include <initializer_list>

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "ports/TConfigurationPort.h"
#include "ui_FormMj.h"
#include "wizard/TFormMj.h"
#include "wizard/TFormMj_textes.h"

namespace {

constexpr PaireTexte COMPTEUR{"Etape n° %i sur %i", "Step n° %i of %i"};
constexpr PaireTexte TITRE_PAGES_1_2{"Mise à jour de votre %s ", "Update of your %s "};
constexpr PaireTexte QUITTER{"&Quitter", "E&xit"};
constexpr PaireTexte PRECEDENT{"&Précédent", "&Before"};
constexpr PaireTexte SUIVANT{"&Suivant", "&Next"};
constexpr PaireTexte CONNEXION{"&Connexion", "&Connection"};
constexpr PaireTexte A_PROPOS{"&A propos", "&About"};
constexpr PaireTexte ANNULER{"&Annuler", "&Cancel"};
constexpr PaireTexte OUI{"&Oui", "&Yes "};
constexpr PaireTexte NON{"&Non", "&No"};

constexpr PaireTexte P1_LIGNE2{"Choix De la Langue", "Choice Of Language"};
constexpr PaireTexte P1_LIGNE4{"Selectionnez la langue de votre choix parmi la liste :",
                               "Select your language of choice among the list :"};
constexpr PaireTexte P2_LIGNE2{"Bonjour,", "Hello"};
constexpr PaireTexte P2_LIGNE3{"Vous effectuez la dernière mise à jour en date sur votre %s.",
                               "You are doing the last update of your %s."};
constexpr PaireTexte P2_LIGNE4{"Celle-ci optimise les performances de votre appareil.",
                               "It improves the performance of your device."};
constexpr PaireTexte P2_PROGRESSION{"Cette mise à jour permet de bénéficier pleinement des dernières évolutions.",
                                    "This update allows you to take full advantage of recent developments."};
constexpr PaireTexte P3_TITRE{"Préparation de votre %s pour la mise à jour", "Preparation of %s for the update."};
constexpr PaireTexte P3_LIGNE1{"Connectez le cordon de connexion PC sur votre %s.",
                               "Connect the PC USB cordon on your %s."};
constexpr PaireTexte P4_TITRE{"Connexion de votre %s à l'ordinateur.", "Connection of %s to the PC."};
constexpr PaireTexte P4_LIGNE1{"Connectez le cordon de connexion à votre ordinateur.",
                               "Connect the PC USB cordon to the computer."};
constexpr PaireTexte P5_TITRE{"Sélection Automatique de l'USB.", "Automatic choice of USB port."};
constexpr PaireTexte P5_LIGNE1{"Vérifiez que votre %s est connecté à l'ordinateur.",
                               "Check your %s is connected to the computer."};
constexpr PaireTexte P5_LIGNE2{"Mettez en marche votre %s.", "Power on your %s."};
constexpr PaireTexte P5_LIGNE4{"Cliquez sur <Connexion> pour commencer la mise à jour.",
                               "Click on \"Connection\" to start the update."};
constexpr PaireTexte P6_TITRE{"Attente de la Connexion", "Waiting Connection"};
constexpr PaireTexte P6_LIGNE1{"Vous êtes en train de vous connecter à votre %s.", "Connection in progress."};
constexpr PaireTexte P6_LIGNE4{"La connexion est établie à votre %s.", "Valid connection with your %s. "};
constexpr PaireTexte P7_TITRE{"Vérification de l'appareil", "Checking of the device"};
constexpr PaireTexte P8_TITRE{"Programmation de votre %s", "Programming of %s"};
constexpr PaireTexte P8_PROGRESSION{"Avancement de la mise à jour : %.1f %%", "Update progression : %.1f %%"};
constexpr PaireTexte P8_LIGNE5{"Transmission du programme à votre %s", "Update in progess"};
constexpr PaireTexte P11_LIGNE2{"Votre %s est en train d'être déconnecté, Veuillez patienter.",
                                "Your %s is being disconnected, please wait."};
constexpr PaireTexte P11_LIGNE4{"Vous pouvez débrancher maintenant en toute sécurité votre %s.",
                                "You can now disconnect your device safely."};
constexpr PaireTexte P12_TITRE{"Mise à jour réussie", "succesful Programming"};
constexpr PaireTexte P12_QUESTION{"Voulez vous faire la mise à jour sur un autre %s?",
                                  "Do you want update another %s?"};

constexpr const char* LANGUES[] = {"Français", "English"};

constexpr int ECART_LISTE = 10;      // between the prompt's text and the list
constexpr int MAXIMUM_ATTENTE = 20;  // page 6's bar counts connection attempts

// Bold, regular or italic replaces the whole style of the label's font.
void Styler(QLabel* label, bool gras, bool italique) {
    QFont police = label->font();
    police.setBold(gras);
    police.setItalic(italique);
    police.setUnderline(false);
    police.setStrikeOut(false);
    label->setFont(police);
}
void Gras(QLabel* label) { Styler(label, true, false); }
void Normal(QLabel* label) { Styler(label, false, false); }
void Italique(QLabel* label) { Styler(label, false, true); }

void TaillePoints(QLabel* label, int points) {
    QFont police = label->font();
    police.setPointSize(points);
    label->setFont(police);
}

void Centrer(QLabel* label) { label->setAlignment(Qt::AlignHCenter | Qt::AlignTop); }
void AlignerAGauche(QLabel* label) { label->setAlignment(Qt::AlignLeft | Qt::AlignTop); }

// Shows or hides the controls, in the order given.
void Montrer(std::initializer_list<QWidget*> controles, bool visible = true) {
    for (QWidget* controle : controles)
        controle->setVisible(visible);
}
void Cacher(std::initializer_list<QWidget*> controles) { Montrer(controles, false); }

}  // namespace

void TFormMj::ShowStep(int step) {
    Controles->EditEtape->setText(Formater(COMPTEUR.En(Language), Step, NB_ETAPES));
    switch (step) {
    case ETAPE_LANGUE: Page1(); break;
    case ETAPE_BIENVENUE: Page2(); break;
    case ETAPE_CORDON_APPAREIL: Page3(); break;
    case ETAPE_CORDON_PC: Page4(); break;
    case ETAPE_CHOIX_PORT: Page5(); break;
    case ETAPE_CONNEXION: Page6(); break;
    case ETAPE_VERIFICATION: Page7(); break;
    case ETAPE_PROGRAMMATION: Page8(); break;
    case ETAPE_DECONNEXION: Page11(); break;
    case ETAPE_REUSSITE: Page12(); break;
    default: return;  // the sequencer's own steps and other numbers have no page
    }
    if (step != ETAPE_CHOIX_PORT)  // the bridge's explanation belongs to page 5
        Controles->LabelPontSansPort->hide();
    NommerPourLecteurs();
    PlacerFocus();
}

// Next when it can be pressed; else Previous (Cancel on page 6, Yes on page 12) when shown;
// else the window itself, so that no button (and never Quit) takes a stray Space.
void TFormMj::PlacerFocus() {
    for (QPushButton* bouton : {Controles->ButtonSuivant, Controles->ButtonPrecedant}) {
        if (bouton->isVisibleTo(this) && bouton->isEnabled()) {
            bouton->setFocus();
            return;
        }
    }
    setFocus();
}

// Pages 1 and 2: their title and buttons, and the version caption both as the window's title and on line 1.
void TFormMj::EnTeteVersion() {
    Ui::FormMj& c = *Controles;
    c.ImageConnectAppareilaPC->hide();
    c.ButtonQuitter->setText(Texte(QUITTER));
    c.ButtonSuivant->setText(Texte(SUIVANT));
    c.ButtonAPropos->setText(Texte(A_PROPOS));
    c.LabelTitreEtape->setText(Texte(TITRE_PAGES_1_2));
    const QString legende = Legende();
    setWindowTitle(legende);
    c.LabelLigne1->setText(legende);
    Centrer(c.LabelLigne1);
    Gras(c.LabelLigne1);
}

// Language choice.
void TFormMj::Page1() {
    Ui::FormMj& c = *Controles;
    c.ButtonPrecedant->setEnabled(false);
    EnTeteVersion();
    c.LabelLigne2->setText(Texte(P1_LIGNE2));
    Centrer(c.LabelLigne2);
    const QString invite = Texte(P1_LIGNE4);
    c.LabelLigne4->setText(invite);
    Montrer({c.LabelLigne1, c.LabelLigne2, c.LabelLigne4});
    Cacher({c.LabelLigne3, c.LabelLigne5, c.LabelBarreProgression});

    // The list stands beside the prompt's text, whatever its language. A drop-down list keeps
    // the height its items give it.
    const QRect invitation = c.LabelLigne4->geometry();
    const int gauche = invitation.left() + QFontMetrics(c.LabelLigne4->font()).horizontalAdvance(invite) + ECART_LISTE;
    c.ComboBoxLangueSel->move(gauche, invitation.top() - 2);

    c.ComboBoxLangueSel->setEditable(false);
    c.ComboBoxLangueSel->clear();
    for (const char* langue : LANGUES)
        c.ComboBoxLangueSel->addItem(QString::fromUtf8(langue));
    c.ComboBoxLangueSel->setCurrentIndex(Language);
    c.ComboBoxLangueSel->show();
}

// Welcome.
void TFormMj::Page2() {
    Ui::FormMj& c = *Controles;
    c.ButtonPrecedant->setEnabled(true);
    c.ButtonPrecedant->setText(Texte(PRECEDENT));
    EnTeteVersion();
    AlignerAGauche(c.LabelLigne2);
    c.LabelLigne2->setText(Texte(P2_LIGNE2));
    c.LabelLigne3->setText(Texte(P2_LIGNE3));
    c.LabelLigne4->setText(Texte(P2_LIGNE4));
    c.LabelBarreProgression->setText(Texte(P2_PROGRESSION));
    Italique(c.LabelBarreProgression);
    TaillePoints(c.LabelBarreProgression, 10);
    Centrer(c.LabelBarreProgression);
    Montrer({c.LabelLigne1, c.LabelLigne2, c.LabelLigne3, c.LabelLigne4, c.LabelBarreProgression});
    Cacher({c.LabelLigne5, c.ComboBoxLangueSel});
}

// Preparing the device: the picture cut to the device and its cable.
void TFormMj::Page3() {
    Ui::FormMj& c = *Controles;
    c.LabelTitreEtape->setText(Texte(P3_TITRE));
    AlignerAGauche(c.LabelLigne1);
    Normal(c.LabelLigne1);
    Normal(c.LabelBarreProgression);
    TaillePoints(c.LabelBarreProgression, 8);
    AlignerAGauche(c.LabelBarreProgression);
    c.LabelLigne1->setText(Texte(P3_LIGNE1));
    c.LabelLigne1->show();
    Cacher({c.LabelBarreProgression, c.LabelLigne2, c.LabelLigne3, c.LabelLigne4, c.LabelLigne5});
    c.ImageConnectAppareilaPC->resize(ImageFullWidth * 15 / 24, c.ImageConnectAppareilaPC->height());
    c.ButtonPrecedant->setEnabled(true);
    c.ImageConnectAppareilaPC->show();
}

// Connecting to the PC: the whole picture.
void TFormMj::Page4() {
    Ui::FormMj& c = *Controles;
    c.LabelTitreEtape->setText(Texte(P4_TITRE));
    c.ImageConnectAppareilaPC->resize(ImageFullWidth, c.ImageConnectAppareilaPC->height());
    c.LabelLigne1->setText(Texte(P4_LIGNE1));
    c.LabelLigne1->show();
    Cacher({c.LabelLigne2, c.LabelLigne3, c.LabelLigne4, c.LabelLigne5});
    c.ImageConnectAppareilaPC->show();
    c.ButtonSuivant->setText(Texte(SUIVANT));
    c.ButtonSuivant->setEnabled(true);
    c.ButtonSuivant->show();
}

// Automatic choice of the USB port: Connection is offered only once the device's port is known.
void TFormMj::Page5() {
    Ui::FormMj& c = *Controles;
    c.ImageConnectAppareilaPC->hide();
    c.LabelTitreEtape->setText(Texte(P5_TITRE));
    c.ButtonSuivant->setText(Texte(CONNEXION));
    c.ButtonPrecedant->setText(Texte(PRECEDENT));
    c.ButtonQuitter->setText(Texte(QUITTER));
    c.ButtonSuivant->show();
    c.LabelLigne1->setText(Texte(P5_LIGNE1));
    c.LabelLigne2->setText(Texte(P5_LIGNE2));
    c.LabelLigne4->setText(Texte(P5_LIGNE4));
    c.LabelLigne4->setEnabled(true);  // page 11 greys it, and a failed release never lifts that
    Montrer({c.LabelLigne1, c.LabelLigne2});
    Cacher({c.LabelLigne3, c.LabelLigne4, c.LabelLigne5, c.LabelBarreProgression, c.ProgressBarProgrammation});
    c.ButtonQuitter->setEnabled(true);

    bool appareil = false;
    if (Ports) {
        Ports->PortAChange();  // a fresh scan; whether the choice moved does not matter here
        appareil = Ports->EstPortAppareil();
        if (appareil) Com.ChoisirPort(Ports->PortChoisi());
    }
    c.ButtonSuivant->setEnabled(appareil);
    c.LabelLigne4->setVisible(appareil);
    ExpliquerPont();
}

// Waiting for the connection.
void TFormMj::Page6() {
    Ui::FormMj& c = *Controles;
    Cacher({c.LabelLigne2, c.LabelLigne3, c.LabelLigne4, c.LabelLigne5});
    c.LabelTitreEtape->setText(Texte(P6_TITRE));
    Gras(c.LabelLigne1);
    c.LabelLigne1->setText(Texte(P6_LIGNE1));
    c.LabelLigne4->setText(Texte(P6_LIGNE4));  // shown by the sequencer once connected
    c.ButtonPrecedant->setText(Texte(ANNULER));
    c.ProgressBarProgrammation->setRange(0, MAXIMUM_ATTENTE);
    c.ProgressBarProgrammation->setValue(0);
    ParcoursEnregistrements.RemettreIndex();
    Lu = LecturesAppareil();  // a new attempt, maybe another device
    c.ProgressBarProgrammation->hide();
    c.ButtonSuivant->setEnabled(false);
    TimerGestionSerie->setInterval(INTERVALLE_TRAVAIL_MS);
}

// Checking the device: the sequencer fills lines 1 to 4 as the checks pass.
void TFormMj::Page7() {
    Ui::FormMj& c = *Controles;
    Normal(c.LabelLigne1);
    c.LabelTitreEtape->setText(Texte(P7_TITRE));
    Cacher({c.ProgressBarProgrammation, c.ButtonPrecedant, c.LabelBarreProgression, c.LabelLigne1, c.LabelLigne2,
            c.LabelLigne3, c.LabelLigne4, c.LabelLigne5});
    SousEtape = 0;
    c.ButtonQuitter->setEnabled(false);
    TimerGestionSerie->setInterval(INTERVALLE_TRAVAIL_MS);
    ProtegerMiseAJour();
}

// Programming: the bar's maximum is the record count, set by the sequencer.
void TFormMj::Page8() {
    Ui::FormMj& c = *Controles;
    QProgressBar* barre = c.ProgressBarProgrammation;
    barre->setValue(0);
    c.LabelTitreEtape->setText(Texte(P8_TITRE));
    // An empty image would leave the maximum at 0: no division by it.
    const double avancement = barre->maximum() > 0 ? double(barre->value()) / barre->maximum() * 100.0 : 0.0;
    AvancementAffiche.clear();
    AfficherAvancement(avancement);
    c.LabelLigne5->setText(Texte(P8_LIGNE5));
    Montrer({c.LabelLigne5, barre, c.LabelBarreProgression});
    TimerGestionSerie->setInterval(INTERVALLE_TRAVAIL_MS);
    ActiverTimer();
}

QString TFormMj::TexteAvancement(double pourcentage) const {
    return FormaterAvecDecimale(P8_PROGRESSION.En(Language), pourcentage, ComP07::NomProduit());
}

// Disconnecting: the title stays the programming one; line 4 greyed until the device is released.
void TFormMj::Page11() {
    Ui::FormMj& c = *Controles;
    c.LabelLigne2->setText(Texte(P11_LIGNE2));
    c.LabelLigne4->setText(Texte(P11_LIGNE4));
    c.LabelLigne4->setEnabled(false);
    Montrer({c.LabelLigne2, c.LabelLigne4});
    Cacher({c.LabelLigne1, c.LabelLigne3, c.LabelLigne5, c.LabelBarreProgression, c.ProgressBarProgrammation});
}

// Success: Yes (Previous) takes the next device, No (Quit) ends.
void TFormMj::Page12() {
    Ui::FormMj& c = *Controles;
    c.LabelTitreEtape->setText(Texte(P12_TITRE));
    c.ButtonSuivant->hide();
    c.ButtonQuitter->setText(Texte(NON));
    c.ButtonPrecedant->setText(Texte(OUI));
    c.ButtonPrecedant->show();
    c.LabelBarreProgression->setText(Texte(P12_QUESTION));
    c.ProgressBarProgrammation->hide();
    c.ButtonQuitter->setEnabled(true);
    Cacher({c.LabelLigne1, c.LabelLigne2, c.LabelLigne3, c.LabelLigne4, c.LabelLigne5});
    c.LabelBarreProgression->show();
}
