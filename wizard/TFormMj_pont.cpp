// TFormMj: page 5 says why the device's bridge, plugged in, shows no serial port, and what to do.
#include <QLabel>
#include <QPushButton>

#include "ports/TConfigurationPort.h"
#include "ui_FormMj.h"
#include "wizard/TFormMj.h"
#include "wizard/TFormMj_textes.h"

namespace {

// The first %s takes the product name, the second the programs.
constexpr PaireTexte PONT_RETENU_PAR{
    "Votre %s est branché, mais un autre programme retient son port : %s. Fermez ce programme, puis "
    "rebranchez votre appareil.",
    "Your %s is plugged in, but another program holds its port: %s. Close that program, then plug your "
    "device in again."};
constexpr PaireTexte PONT_RETENU{
    "Votre %s est branché, mais un autre programme retient son port. Fermez le programme qui l'utilise, "
    "puis rebranchez votre appareil.",
    "Your %s is plugged in, but another program holds its port. Close the program that uses it, then plug "
    "your device in again."};
constexpr PaireTexte PONT_SANS_PILOTE{
    "Votre %s est branché, mais Linux n'a pas de pilote pour son port série. Installez le module cp210x "
    "du noyau, puis rebranchez votre appareil.",
    "Your %s is plugged in, but Linux has no driver for its serial port. Install the kernel's cp210x "
    "module, then plug your device in again."};
// The second %s takes the braille-display daemons.
constexpr PaireTexte PONT_DETACHE_PAR{
    "Votre %s est branché, mais un programme pour plages braille (%s) a pris son port à son pilote. "
    "Arrêtez ou désinstallez ce programme, puis rebranchez votre appareil.",
    "Your %s is plugged in, but a braille display program (%s) took its port from its driver. Stop or "
    "remove that program, then plug your device in again."};
constexpr PaireTexte PONT_DETACHE{
    "Votre %s est branché, mais un programme a pris son port à son pilote. Rebranchez votre appareil ; "
    "si cela revient, arrêtez le programme qui le prend.",
    "Your %s is plugged in, but a program took its port from its driver. Plug your device in again; if "
    "this comes back, stop the program that takes it."};
constexpr PaireTexte PONT_PILOTE_ABSENT{
    "Votre %s est branché, mais le pilote de son port USB n'est pas installé. Laissez Windows l'installer, "
    "ou installez le pilote du fabricant du pont USB.",
    "Your %s is plugged in, but the driver of its USB port is not installed. Let Windows install it, or "
    "install the USB bridge maker's driver."};

}  // namespace

void TFormMj::ExpliquerPont() {
    const ConstatPont constat = Ports ? Ports->ExplicationPont() : ConstatPont();
    const char* produit = ComP07::NomProduit();
    QString texte;
    switch (constat.etat) {
    case EtatPont::Retenu: {
        const std::string programmes = ListeProgrammes(constat.detenteurs);
        texte = programmes.empty() ? Formater(PONT_RETENU.En(Language), produit)
                                   : Formater(PONT_RETENU_PAR.En(Language), produit, programmes.c_str());
        break;
    }
    case EtatPont::Detache: {
        const std::string demons = ListeProgrammes(constat.detenteurs);
        texte = demons.empty() ? Formater(PONT_DETACHE.En(Language), produit)
                               : Formater(PONT_DETACHE_PAR.En(Language), produit, demons.c_str());
        break;
    }
    case EtatPont::SansPilote: texte = Formater(PONT_SANS_PILOTE.En(Language), produit); break;
    case EtatPont::PiloteAbsent: texte = Formater(PONT_PILOTE_ABSENT.En(Language), produit); break;
    case EtatPont::SansExplication: break;
    }
    // Once the port is known, Connection is offered instead.
    QLabel* ligne = Controles->LabelPontSansPort;
    ligne->setText(texte);
    ligne->setVisible(!texte.isEmpty() && !Controles->ButtonSuivant->isEnabled());
}
