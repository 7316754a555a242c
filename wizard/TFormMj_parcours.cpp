// TFormMj: what the walk over the firmware image changes on the window during steps 8 and 9.
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include "ui_FormMj.h"
#include "wizard/TFormMj.h"

// The walk moves between 8 and 9 without a page: the counter keeps showing 8.
void TFormMj::DefinirEtape(int etape)
{
    Step = etape;
}

void TFormMj::RemettreSousEtape()
{
    SousEtape = 0;
}

void TFormMj::DefinirIntervalle(int ms)
{
    TimerGestionSerie->setInterval(ms);
}

void TFormMj::PositionnerProgression(int position)
{
    Controles->ProgressBarProgrammation->setValue(position);
}

void TFormMj::AfficherAvancement(double pourcentage)
{
    Controles->LabelBarreProgression->setText(TexteAvancement(pourcentage));
}

void TFormMj::PosterEtapeSuivante()
{
    PosterNotice(MSG_ETAPE_SUIVANTE);
}
