// TFormMj: moving between pages, the language, and the four buttons.
#include <memory>

#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include "about/BoiteAPropos.h"
#include "ui_FormMj.h"
#include "wizard/TFormMj.h"

namespace {

constexpr int INTERVALLE_ATTENTE_MS = 1000;
constexpr int PREMIERE_ETAPE_CONNECTEE = 6;  // from here to 11 the device may be connected
constexpr int DERNIERE_ETAPE_CONNECTEE = 11;
constexpr int ETAPE_CHOIX_PORT = 5;

}  // namespace

void TFormMj::NextStep()
{
    if (Step == 1) {
        const int choix = Controles->ComboBoxLangueSel->currentIndex();
        if (choix == 0 || choix == 1)
            Language = choix;
    }
    ++Step;
    ShowStep(Step);
}

void TFormMj::SetLanguage(int language)
{
    // Compared unsigned: a negative value is refused with the values from 2 up.
    if (static_cast<unsigned>(language) != static_cast<unsigned>(Language) && static_cast<unsigned>(language) < 2) {
        Language = language;
        ShowStep(Step);
    }
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

// The box runs its own loop; the timer keeps ticking behind it, so an update goes on.
void TFormMj::ButtonAProposClick()
{
    auto boite = std::make_unique<TFormAPropos>(this, Ouvreur);
    boite->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    boite->SetLanguage(GetLanguage());
    boite->exec();
}
