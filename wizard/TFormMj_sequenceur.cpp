// TFormMj: the sequencer, one short piece of work per timer tick, chosen by Step.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "link/protocole.h"
#include "ports/TConfigurationPort.h"
#include "ui_FormMj.h"
#include "wizard/TFormMj.h"
#include "wizard/TFormMj_textes.h"

namespace {

// Firmware older than this cannot take the update at all.
constexpr unsigned MAJEUR_MINIMUM = 2;

constexpr PaireTexte MODELE_CORRECT{"Le type de l'appareil est le bon.", "Correct device model."};
constexpr PaireTexte NUMERO_SERIE{"Le numéro de série de l'appareil est le : %010lu",
                                  "Serial number of device is : %010lu"};
constexpr PaireTexte PREPARATION{"Préparation pour la transmission du programme.",
                                 "Preparing to transmit the program."};

enum class JugementVersion { Acceptee, DejaPlusRecente, Incompatible };

// Every version from the oldest that can take the update up to this update's own; a device
// that already runs it is programmed again.
JugementVersion JugerVersion(unsigned majeur, unsigned mineur, unsigned revision) {
    const unsigned M = VERSION_MAJEUR, m = VERSION_MINEUR, r = VERSION_REVISION;
    const bool pasPlusRecente =
        majeur < M || (majeur == M && mineur < m) || (majeur == M && mineur == m && revision <= r);
    if (majeur >= MAJEUR_MINIMUM && pasPlusRecente) return JugementVersion::Acceptee;
    return majeur >= MAJEUR_MINIMUM ? JugementVersion::DejaPlusRecente : JugementVersion::Incompatible;
}

}  // namespace

void TFormMj::TimerGestionSerieTimer() {
    // A notice posted by the last tick moves the wizard before any further work.
    if (TraiterNotices()) return;
    switch (Step) {
    case ETAPE_LANGUE:
    case ETAPE_BIENVENUE:
    case ETAPE_CORDON_APPAREIL:
    case ETAPE_CORDON_PC:
    case ETAPE_REUSSITE: SuivrePortAppareil(false); break;
    case ETAPE_CHOIX_PORT:
        SuivrePortAppareil(true);
        ExpliquerPont();
        break;
    case ETAPE_CONNEXION: EtapeConnexion(); break;
    case ETAPE_VERIFICATION: EtapeVerification(); break;
    case ETAPE_PROGRAMMATION:
    case ETAPE_ENVOI:
        if (const int resultat = ParcoursEnregistrements.Avancer(Step))
            EchecTransmission(OperationParcours(resultat), resultat);
        break;
    case ETAPE_LANGUE_APPAREIL: EtapeLangue(); break;
    case ETAPE_DECONNEXION: EtapeDeconnexion(); break;
    default: break;
    }
}

// Acts on a change of port; page 5 also looks again at a port that kept its number, whose entry
// may only now show the device's bridge. A list that could not be read (no number) changes nothing.
void TFormMj::SuivrePortAppareil(bool page5) {
    if (!Ports) return;
    const bool change = Ports->PortAChange();
    if (!change && !(page5 && Ports->Numero() > 0)) return;
    const bool appareil = Ports->PortChoisi() > 0 && Ports->EstPortAppareil();
    if (appareil) Com.ChoisirPort(Ports->PortChoisi());
    if (!page5) return;
    if (appareil != Controles->ButtonSuivant->isEnabled()) {
        Controles->ButtonSuivant->setEnabled(appareil);
        PlacerFocus();
    }
    Controles->LabelLigne4->setVisible(appareil);
}

// One attempt per tick; page 6's hidden bar counts them, and once its range is used up the
// user is told, rather than left waiting on a device that never answers. The port is opened
// here rather than by Connecter, so that the box can tell a port that would not open.
void TFormMj::EtapeConnexion() {
    Ui::FormMj& c = *Controles;
    OperationMiseAJour operation = OperationMiseAJour::OuvrirPort;
    int resultat = Com.PortOuvert() ? 0 : Com.OuvrirPort();
    if (resultat == 0) {
        operation = OperationMiseAJour::Connecter;
        resultat = Com.Connecter(1);
    }
    const bool connecte = resultat == 0;
    if (connecte) {
        c.LabelLigne4->show();
        PosterNotice(MSG_ETAPE_SUIVANTE);
    }
    QProgressBar* essais = c.ProgressBarProgrammation;
    essais->setValue(essais->value() + 1);
    TimerGestionSerie->setInterval(INTERVALLE_TRAVAIL_MS);
    // The last attempt's result goes with the notice: the link's own is overwritten by the
    // closing of the port before the box.
    if (!connecte && essais->value() >= essais->maximum())
        PosterNotice(MSG_ECHEC_CONNEXION, resultat, static_cast<int>(operation));
}

// Model, variant, serial number, version, then 115200 bit/s and programming mode.
void TFormMj::EtapeVerification() {
    Ui::FormMj& c = *Controles;
    switch (SousEtape) {
    case 0: {
        const int resultat = Com.VerifierModele();
        if (resultat == 0) {
            SousEtape = 1;
            c.LabelLigne1->setText(Texte(MODELE_CORRECT));
            c.LabelLigne1->show();
        } else if (resultat == ERR_MODELE) {
            RefuserAppareil(REFUS_MODELE);
        } else {
            EchecTransmission(OperationMiseAJour::VerifierModele, resultat);
        }
        break;
    }
    case 1: {
        const int resultat = Com.LireVariante(&Variante);
        if (resultat != 0) {
            EchecTransmission(OperationMiseAJour::LireVariante, resultat, false);
            break;
        }
        Lu.variante = true;
        // A refused device stays at this sub-step, which its question's details name.
        if (Variante != 1) {
            RefuserAppareil(REFUS_VARIANTE);
            break;
        }
        const int enregistrements = ParcoursEnregistrements.ConstruireTable();
        c.ProgressBarProgrammation->setRange(0, enregistrements);
        c.ProgressBarProgrammation->setValue(0);
        SousEtape = 2;
        break;
    }
    case 2: {
        const int resultat = Com.LireNumeroSerie(&NumeroSerie);
        if (resultat != 0) {
            EchecTransmission(OperationMiseAJour::LireNumeroSerie, resultat);
            break;
        }
        Lu.numeroSerie = true;
        SousEtape = 3;
        c.LabelLigne2->setText(Formater(NUMERO_SERIE.En(Language), static_cast<unsigned long>(NumeroSerie)));
        c.LabelLigne2->show();
        break;
    }
    case 3: {
        const int resultat = Com.LireVersion(&MajeurAppareil, &MineurAppareil, &RevisionAppareil);
        if (resultat != 0) {
            EchecTransmission(OperationMiseAJour::LireVersion, resultat);
            break;
        }
        Lu.version = true;
        switch (JugerVersion(MajeurAppareil, MineurAppareil, RevisionAppareil)) {
        case JugementVersion::Acceptee:
            c.LabelLigne3->setText(QStringLiteral(" "));
            c.LabelLigne3->show();
            SousEtape = 4;
            break;
        case JugementVersion::DejaPlusRecente: RefuserAppareil(REFUS_VERSION_INSTALLEE); break;
        case JugementVersion::Incompatible: RefuserAppareil(REFUS_LOGICIEL_INCOMPATIBLE); break;
        }
        break;
    }
    case 4: {
        const int resultat = Com.ChangerVitesse(115200);
        if (resultat != 0)
            EchecTransmission(OperationMiseAJour::ChangerVitesse, resultat, false);
        else
            SousEtape = 5;
        break;
    }
    case 5: {
        c.LabelLigne4->setText(Texte(PREPARATION));
        c.LabelLigne4->show();
        OperationMiseAJour operation = OperationMiseAJour::EntrerProgrammation;
        int resultat = Com.EntrerProgrammation();
        if (resultat == 0) {
            operation = OperationMiseAJour::PreparerEcriture;
            resultat = Com.PreparerEcriture();
        }
        if (resultat != 0) {
            EchecTransmission(operation, resultat);
            break;
        }
        PosterNotice(MSG_ETAPE_SUIVANTE);
        ParcoursEnregistrements.PreparerTransfert();
        Ecritures.Oublier();
        TimerGestionSerie->setInterval(INTERVALLE_TRANSFERT_MS);
        break;
    }
    default: break;
    }
}

// A device without a valid language gets the user's. A byte that cannot be read is no reading
// of the device: nothing is written, and the update goes on to its end, which the device still
// has to acknowledge.
void TFormMj::EtapeLangue() {
    unsigned valeur = 0;
    if (Com.LireEeprom(protocole::EEPROM_LANGUE, &valeur) == 0 && valeur >= 2) {
        if (const int ecrit = Com.EcrireEeprom(protocole::EEPROM_LANGUE, Language)) {
            EchecTransmission(OperationMiseAJour::EcrireEeprom, ecrit);
            return;
        }
    }
    PosterNotice(MSG_ETAPE_SUIVANTE);
}

// End programming, close the line, then give the user time to read before page 12.
void TFormMj::EtapeDeconnexion() {
    switch (SousEtape) {
    case 0:
        TimerGestionSerie->setInterval(INTERVALLE_LIBERATION_MS);
        // The device only counts as updated once it has taken the end of programming.
        if (const int resultat = Com.TerminerProgrammation()) {
            EchecTransmission(OperationMiseAJour::TerminerProgrammation, resultat);
            return;
        }
        break;
    case 1: RelacherAppareil(); break;
    case 4:
        Controles->LabelLigne4->setEnabled(true);
        TimerGestionSerie->setInterval(INTERVALLE_ATTENTE_MS);
        break;
    case 7: PosterNotice(MSG_ETAPE_SUIVANTE); break;
    default: break;
    }
    ++SousEtape;
}

void TFormMj::EchecTransmission(OperationMiseAJour operation, int resultat, bool intervalleAttente) {
    PosterNotice(MSG_ECHEC_TRANSMISSION, resultat, static_cast<int>(operation));
    if (intervalleAttente) TimerGestionSerie->setInterval(INTERVALLE_ATTENTE_MS);
}

// A record the walk could not decode, or the write it was making.
OperationMiseAJour TFormMj::OperationParcours(int resultat) const {
    return resultat == ERR_IMAGE_INVALIDE ? OperationMiseAJour::LireEnregistrement : Ecritures.DerniereOperation();
}

void TFormMj::RefuserAppareil(int raison) {
    PosterNotice(MSG_REFUS_APPAREIL, raison);
    TimerGestionSerie->setInterval(INTERVALLE_ATTENTE_MS);
}
