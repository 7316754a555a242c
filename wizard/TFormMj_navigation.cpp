// TFormMj: moving between pages, the language, and the four buttons.
#include <memory>

#include <QAccessible>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

#include "about/BoiteAPropos.h"
#include "ui_FormMj.h"
#include "wizard/TFormMj.h"
#include "wizard/TFormMj_textes.h"

namespace {

// From the connection to the release the device may be connected; from the checks on it is
// being changed.
constexpr int PREMIERE_ETAPE_CONNECTEE = ETAPE_CONNEXION;
constexpr int DERNIERE_ETAPE_CONNECTEE = ETAPE_DECONNEXION;

constexpr PaireTexte RAISON_VERROU{
    "Mise à jour du %s en cours : l'ordinateur ne doit ni se mettre en veille ni s'éteindre.",
    "%s update in progress: the computer must not sleep or shut down."};
constexpr PaireTexte FERMETURE_REFUSEE{"Mise à jour en cours : la fenêtre pourra être fermée une fois le %s libéré.",
                                       "Update in progress: the window can be closed once the %s is released."};

}  // namespace

void TFormMj::NextStep() {
    if (Step == ETAPE_LANGUE) {
        const int choix = Controles->ComboBoxLangueSel->currentIndex();
        if (choix == 0 || choix == 1) Language = choix;
        TraduireBoites();
    }
    ++Step;
    ShowStep(Step);
}

// Page 5 is reached as Next reaches it from page 4.
void TFormMj::RevenirAuChoixDuPort() {
    Step = ETAPE_CORDON_PC;
    NextStep();
}

void TFormMj::SetLanguage(int language) {
    // Compared unsigned: a negative value is refused with the values from 2 up.
    if (static_cast<unsigned>(language) != static_cast<unsigned>(Language) && static_cast<unsigned>(language) < 2) {
        Language = language;
        TraduireBoites();
        ShowStep(Step);
    }
}

// One translator, installed for French and taken out for English, whose texts the toolkit has.
void TFormMj::TraduireBoites() {
    QCoreApplication::removeTranslator(TraductionBoites);
    if (Language == 0 && !TraductionBoites->isEmpty()) QCoreApplication::installTranslator(TraductionBoites);
}

int TFormMj::GetLanguage() const { return Language; }

void TFormMj::ButtonSuivantClick() { NextStep(); }

// One page back; from the connected steps (Yes on page 12 included) the device is released and
// the wizard waits on page 5 for the next one.
void TFormMj::ButtonPrecedantClick() {
    --Step;
    if (Step >= PREMIERE_ETAPE_CONNECTEE && Step <= DERNIERE_ETAPE_CONNECTEE) {
        RelacherAppareil();
        Com.FermerPort();
        ActiverTimer();
        TimerGestionSerie->setInterval(INTERVALLE_ATTENTE_MS);
        RevenirAuChoixDuPort();
    } else {
        ShowStep(Step);
    }
}

void TFormMj::ButtonQuitterClick() { close(); }

// Closing with the port open would leave the device with part of its program. The program's
// own closes (No to a question) come after the link has let the device go, so they pass.
bool TFormMj::MiseAJourEnCours() const {
    return Step >= ETAPE_VERIFICATION && Step <= DERNIERE_ETAPE_CONNECTEE && Com.PortOuvert();
}

// A refused close says why, on the page rather than in a box: the update's ticks must go on.
void TFormMj::closeEvent(QCloseEvent* evenement) {
    if (!MiseAJourEnCours()) {
        evenement->accept();
        return;
    }
    evenement->ignore();
    QLabel* ligne = Controles->LabelFermetureRefusee;
    ligne->setText(Texte(FERMETURE_REFUSEE));
    ligne->show();
    QAccessibleEvent alerte(ligne, QAccessible::Alert);
    QAccessible::updateAccessibility(&alerte);
}

void TFormMj::ProtegerMiseAJour() { Verrou->Prendre(ComP07::NomProduit(), Texte(RAISON_VERROU).toStdString()); }

// The device is let go (the link's farewell): the computer may sleep again, and the window close.
void TFormMj::RelacherAppareil() {
    Com.Deconnecter();
    Verrou->Relacher();
    Controles->LabelFermetureRefusee->hide();
}

// The buttons take no Enter of their own outside a dialog: it reaches the window, which presses
// the button that has the focus, as a dialog does, or else the way forward. A held key presses once.
void TFormMj::keyPressEvent(QKeyEvent* evenement) {
    const bool entree = evenement->key() == Qt::Key_Return || evenement->key() == Qt::Key_Enter;
    if (!entree) {
        QWidget::keyPressEvent(evenement);
        return;
    }
    if (evenement->isAutoRepeat()) return;
    auto* bouton = qobject_cast<QPushButton*>(focusWidget());
    if (!bouton) bouton = Controles->ButtonSuivant;
    if (bouton->isVisibleTo(this) && bouton->isEnabled()) bouton->click();
}

// The box runs its own loop; the timer keeps ticking behind it, so an update goes on.
void TFormMj::ButtonAProposClick() {
    auto boite = std::make_unique<TFormAPropos>(this, Ouvreur);
    boite->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    boite->SetLanguage(GetLanguage());
    boite->exec();
}
