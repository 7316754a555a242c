// TFormMj: what the walk over the firmware image changes on the window during steps 8 and 9.
#include <charconv>
#include <string>

#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include "ui_FormMj.h"
#include "wizard/TFormMj.h"

// The walk moves between 8 and 9 without a page: the counter keeps showing 8.
void TFormMj::DefinirEtape(int etape) { Step = etape; }

void TFormMj::RemettreSousEtape() { SousEtape = 0; }

void TFormMj::DefinirIntervalle(int ms) { TimerGestionSerie->setInterval(ms); }

void TFormMj::PositionnerProgression(int position) { Controles->ProgressBarProgrammation->setValue(position); }

// The label shows tenths of a per cent: most records leave it, and its text, as they were.
void TFormMj::AfficherAvancement(double pourcentage) {
    char c[32];
    const std::string affiche(c, std::to_chars(c, c + sizeof c, pourcentage, std::chars_format::fixed, 1).ptr);
    if (affiche != AvancementAffiche) Controles->LabelBarreProgression->setText(TexteAvancement(pourcentage));
    AvancementAffiche = affiche;
}

void TFormMj::PosterEtapeSuivante() { PosterNotice(MSG_ETAPE_SUIVANTE); }
