// TFormMj: the sequencer, one short piece of work per timer tick, chosen by Step.
#include <QLabel>
#include <QPushButton>

#include "ports/TConfigurationPort.h"
#include "ui_FormMj.h"
#include "wizard/TFormMj.h"

void TFormMj::TimerGestionSerieTimer()
{
    switch (Step) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 12:
        SuivrePortAppareil(false);
        break;
    case 5:
        SuivrePortAppareil(true);
        break;
    case 6:   // connection attempt
    case 7:   // device check
    case 8:   // next image record
    case 9:   // data bytes of the record
    case 10:  // the device's language byte
    case 11:  // release of the device
        break;
    default:
        break;
    }
}

// Acts on changes only: a tick whose scan keeps the same port changes nothing.
void TFormMj::SuivrePortAppareil(bool page5)
{
    if (!Ports || !Ports->PortAChange())
        return;
    const bool appareil = Ports->PortChoisi() > 0 && Ports->EstPortAppareil();
    if (appareil)
        Com.ChoisirPort(Ports->PortChoisi());
    if (page5) {
        Controles->ButtonSuivant->setEnabled(appareil);
        Controles->LabelLigne4->setVisible(appareil);
    }
}
