// TFormMj: moving between pages, the language, and the four buttons.
#include <memory>

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

#include "about/BoiteAPropos.h"
#include "ui_FormMj.h"
#include "wizard/TFormMj.h"

namespace {

constexpr int INTERVALLE_ATTENTE_MS = 1000;
constexpr int PREMIERE_ETAPE_CONNECTEE = 6;  // from here to 11 the device may be connected
constexpr int ETAPE_VERIFICATION = 7;         // from here the device is being changed
constexpr int DERNIERE_ETAPE_CONNECTEE = 11;
constexpr int ETAPE_CHOIX_PORT = 5;

}  // namespace

void TFormMj::NextStep()
{
    if (Step == 1) {
        const int choix = Controles->ComboBoxLangueSel->currentIndex();
        if (choix == 0 || choix == 1)
            Language = choix;
        TraduireBoites();
    }
    ++Step;
    ShowStep(Step);
}

void TFormMj::SetLanguage(int language)
{
    // Compared unsigned: a negative value is refused with the values from 2 up.
    if (static_cast<unsigned>(language) != static_cast<unsigned>(Language) && static_cast<unsigned>(language) < 2) {
        Language = language;
        TraduireBoites();
        ShowStep(Step);
    }
}

// One translator, installed for French and taken out for English, whose texts the toolkit has.
void TFormMj::TraduireBoites()
{
    QCoreApplication::removeTranslator(TraductionBoites);
    if (Language == 0 && !TraductionBoites->isEmpty())
        QCoreApplication::installTranslator(TraductionBoites);
}

int TFormMj::GetLanguage() const
{
    return Language;
}

void TFormMj::ButtonSuivantClick()
{
    NextStep();
}

// One page back; from the connected steps (Yes on page 12 included) the device is released and
// the wizard waits on page 5 for the next one.
void TFormMj::ButtonPrecedantClick()
{
    --Step;
    if (Step >= PREMIERE_ETAPE_CONNECTEE && Step <= DERNIERE_ETAPE_CONNECTEE) {
        Com.Deconnecter();
        Com.FermerPort();
        Step = ETAPE_CHOIX_PORT;
        ActiverTimer();
        TimerGestionSerie->setInterval(INTERVALLE_ATTENTE_MS);
        ShowStep(ETAPE_CHOIX_PORT);
    } else {
        ShowStep(Step);
    }
}

void TFormMj::ButtonQuitterClick()
{
    close();
}

// Closing with the port open would leave the device with part of its program. The program's
// own closes (No to a question) come after the link has let the device go, so they pass.
void TFormMj::closeEvent(QCloseEvent* evenement)
{
    if (Step >= ETAPE_VERIFICATION && Step <= DERNIERE_ETAPE_CONNECTEE && Com.PortOuvert())
        evenement->ignore();
    else
        evenement->accept();
}

// The buttons take no Enter of their own outside a dialog: it reaches the window.
void TFormMj::keyPressEvent(QKeyEvent* evenement)
{
    QPushButton* suivant = Controles->ButtonSuivant;
    const bool entree = evenement->key() == Qt::Key_Return || evenement->key() == Qt::Key_Enter;
    if (entree && suivant->isVisibleTo(this) && suivant->isEnabled())
        suivant->click();
    else
        QWidget::keyPressEvent(evenement);
}

// The box runs its own loop; the timer keeps ticking behind it, so an update goes on.
void TFormMj::ButtonAProposClick()
{
    auto boite = std::make_unique<TFormAPropos>(this, Ouvreur);
    boite->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    boite->SetLanguage(GetLanguage());
    boite->exec();
}
