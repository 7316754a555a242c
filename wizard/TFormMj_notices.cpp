// TFormMj: the notices the sequencer posts to the window, and the questions they ask.
#include <string>

#include <QTimer>

#include "about/fabricant.h"
#include "link/diagnostic_port.h"
#include "wizard/TFormMj.h"
#include "wizard/TFormMj_textes.h"

namespace {

constexpr PaireTexte ECHEC_TRANSMISSION{
    "Un Problème de transmission s'est produit.\n\nPour essayer une nouvelle fois, vous devez d'abord : \n"
    "   Arrêter puis Allumer l'appareil et faire une nouvelle tentative.\n\nVoulez vous essayer de nouveau?",
    "Transmission failure is happenned.\n\nFor trying again, first you must power off then power on the "
    "deviceWould you try again?"};

constexpr PaireTexte ECHEC_CONNEXION{
    "Echec à la connexion :\n   - Soit le %s n'a pas été connecté à l'ordinateur.\n"
    "  - Soit le %s n'a pas été mis en marche. \n"
    "  - Soit le port série sélectionné ne correspond pas au port connecté.\n\n"
    "  Dans ce dernier cas, sélectionner un autre port série dans la liste.\n",
    "Connect failled :\n\r  - Check the connection of the cordon.\n  - Check, if %s povered on.\n"
    "  - Check if the  selected serial port is corresponding to the connected serial port.\n"
    "  In that last case, select another serial port in the list.\n"};

// Why the port could not be opened, and what to do; the first %s is always the port.
constexpr PaireTexte PORT_REFUSE_GROUPE{
    "Le port %s ne peut pas être ouvert : l'accès vous est refusé. Ce port appartient au groupe « %s ». "
    "Ajoutez votre compte à ce groupe (commande : sudo usermod -a -G %s $USER), puis fermez votre session "
    "et reconnectez-vous ; ou bien installez le paquet zantrel, dont la règle de périphérique donne l'accès "
    "à l'utilisateur du bureau.",
    "The port %s cannot be opened: access is denied. The port belongs to the group \"%s\". Add your "
    "account to that group (command: sudo usermod -a -G %s $USER), then log out and log in again; or "
    "install the zantrel package, whose device rule gives the desktop user access to the port."};
constexpr PaireTexte PORT_REFUSE{
    "Le port %s ne peut pas être ouvert : l'accès vous est refusé. Installez le paquet zantrel, dont la "
    "règle de périphérique donne l'accès à l'utilisateur du bureau.",
    "The port %s cannot be opened: access is denied. Install the zantrel package, whose device rule "
    "gives the desktop user access to the port."};
// The rule is installed, but a device plugged in before it keeps its old rights until replugged.
constexpr PaireTexte PORT_REFUSE_REBRANCHER{
    "Le port %s ne peut pas être ouvert : l'accès vous est refusé. Débranchez le %s puis rebranchez-le : "
    "la règle de périphérique du paquet zantrel donnera alors l'accès à l'utilisateur du bureau.",
    "The port %s cannot be opened: access is denied. Unplug the %s and plug it in again: the zantrel "
    "package's device rule then gives the desktop user access to the port."};
constexpr PaireTexte PORT_OCCUPE_PAR{
    "Le port %s est déjà utilisé par un autre programme : %s. Fermez ce programme, puis essayez de nouveau.",
    "The port %s is already in use by another program: %s. Close that program, then try again."};
constexpr PaireTexte PORT_OCCUPE{
    "Le port %s est déjà utilisé par un autre programme. Fermez ce programme, puis essayez de nouveau.",
    "The port %s is already in use by another program. Close that program, then try again."};
constexpr PaireTexte PORT_DISPARU{
    "Le port %s a disparu : le %s a été débranché. Rebranchez-le, puis essayez de nouveau.",
    "The port %s has disappeared: the %s was unplugged. Plug it in again, then try again."};

constexpr PaireTexte REFUS_MODELE_TEXTE{"L'appareil n'est pas un appareil (%s) pour cette mise à jour .\n\n"
                                        "Voulez vous faire la mise à jour sur d'autre %s ?",
                                        "The device is  not a %s for this update.\n\nDo you want updating another %s?"};

constexpr PaireTexte DEJA_INSTALLEE{
    "Votre %s a déjà cette mise à jour.\n\nVoulez vous faire la mise à jour sur d'autre %s ?",
    "Update already installed\n\rDo you want updating another %s?"};

constexpr PaireTexte PLUS_RECENTE{
    "Votre %s a une mise à jour plus récente.\n\nVoulez vous faire la mise à jour sur d'autre %s ?",
    "Your %s has a more recently installed.Do you want updating another %s?"};

constexpr PaireTexte REFUS_VARIANTE_TEXTE{"L'appareil n'est pas pour cette version de la mise à jour.\n\n"
                                          "Voulez vous faire la mise à jour sur d'autre %s ?",
                                          "This version of is not for this device.Do you want updating another %s?"};

// The support contact goes between the two halves: telephone in French, e-mail in English.
constexpr PaireTexte INCOMPATIBLE_DEBUT{
    "L'appareil %s ne peut pas être mis à jour. \n"
    "Le logiciel de l'appareil  a un version du logiciel incopmpatible avec la mise à jour.\n\n"
    "Contacter notre service technique (tél. : ",
    "The %s cannot updated\nThe firmware of the device is not compatible with the update.\n\r"
    " Contact our technical support on "};
constexpr PaireTexte INCOMPATIBLE_FIN{".\n\nVoulez vous faire la mise à jour sur d'autre %s ?",
                                      ".\n\n\rDo you want updating another %s?"};
constexpr PaireTexte CONTACT_SUPPORT{TELEPHONE_SUPPORT, MEL_SUPPORT};

// Each %s of a question takes the product name; none has more than two.
QString TexteQuestion(const PaireTexte& paire, int langue) {
    const char* produit = ComP07::NomProduit();
    return Formater(paire.En(langue), produit, produit);
}

}  // namespace

void TFormMj::PosterNotice(int msg, int wParam, int lParam) {
    Notices.push_back(MessageFenetre{msg, wParam, lParam});
    QMetaObject::invokeMethod(
        this, [this] { TraiterNotices(); }, Qt::QueuedConnection);
}

bool TFormMj::TraiterNotices() {
    // Inside a handler's question: the handler has the wizard, nothing else may move it.
    if (NoticeEnCours) return true;
    bool traitee = false;
    NoticeEnCours = true;
    while (!Notices.empty()) {
        const MessageFenetre message = Notices.front();
        Notices.pop_front();
        traitee = true;
        switch (message.Msg) {
        case MSG_ECHEC_TRANSMISSION: OnEchecTransmission(message); break;
        case MSG_ECHEC_CONNEXION: OnEchecConnexion(message); break;
        case MSG_ETAPE_SUIVANTE: OnEtapeSuivante(message); break;
        case MSG_REFUS_APPAREIL: OnRefusAppareil(message); break;
        default: break;
        }
    }
    NoticeEnCours = false;
    return traitee;
}

void TFormMj::OnEtapeSuivante(const MessageFenetre&) { NextStep(); }

// The line is released before the user answers, so that the device may be switched off.
// wParam is the failed operation's result, lParam the operation.
void TFormMj::OnEchecTransmission(const MessageFenetre& message) {
    RelacherAppareil();
    TimerGestionSerie->stop();
    Reprendre(Question(this, GenreQuestion::Erreur, BoutonsQuestion::OuiNon,
                       TexteQuestion(ECHEC_TRANSMISSION, Language),
                       DetailsEchec(static_cast<OperationMiseAJour>(message.LParam), message.WParam)));
}

// Step 6 gave up: the port is closed first, so the user may plug the device elsewhere, and
// no attempt runs behind the box. wParam is the last attempt's result.
void TFormMj::OnEchecConnexion(const MessageFenetre& message) {
    TimerGestionSerie->stop();
    RelacherAppareil();
    Com.FermerPort();
    QString texte = TexteQuestion(ECHEC_CONNEXION, Language);
    const QString cause = CauseEchecOuverture(message.WParam);
    if (!cause.isEmpty()) texte += QStringLiteral("\n") + cause + QStringLiteral("\n");
    Question(this, GenreQuestion::Erreur, BoutonsQuestion::Ok, texte,
             DetailsEchec(static_cast<OperationMiseAJour>(message.LParam), message.WParam));
    RevenirAuChoixDuPort();
    ActiverTimer();
}

QString TFormMj::CauseEchecOuverture(int resultat) const {
    const DiagnosticPort d = DiagnostiquerOuverture(Com.CheminDuPort(), resultat, ReglesPeripherique);
    const std::string port = d.chemin.empty() ? "COM" + std::to_string(Com.NumeroDuPort()) : d.chemin;
    switch (d.cause) {
    case CauseEchecPort::Refusee:
        if (d.regleInstallee) return Formater(PORT_REFUSE_REBRANCHER.En(Language), port.c_str(), ComP07::NomProduit());
        if (d.groupe.empty()) return Formater(PORT_REFUSE.En(Language), port.c_str());
        return Formater(PORT_REFUSE_GROUPE.En(Language), port.c_str(), d.groupe.c_str(), d.groupe.c_str());
    case CauseEchecPort::Occupee: {
        if (d.detenteurs.empty()) return Formater(PORT_OCCUPE.En(Language), port.c_str());
        return Formater(PORT_OCCUPE_PAR.En(Language), port.c_str(), ListeProgrammes(d.detenteurs).c_str());
    }
    case CauseEchecPort::Disparue: return Formater(PORT_DISPARU.En(Language), port.c_str(), ComP07::NomProduit());
    case CauseEchecPort::Aucune: break;
    }
    return QString();
}

void TFormMj::OnRefusAppareil(const MessageFenetre& message) {
    RelacherAppareil();
    TimerGestionSerie->stop();
    GenreQuestion genre = GenreQuestion::Erreur;
    QString texte;
    // The refused value was read without fault; only the model's check says so with a code.
    OperationMiseAJour operation = OperationMiseAJour::LireVersion;
    int resultat = 0;
    switch (message.WParam) {
    case REFUS_MODELE:
        texte = TexteQuestion(REFUS_MODELE_TEXTE, Language);
        operation = OperationMiseAJour::VerifierModele;
        resultat = ERR_MODELE;
        break;
    case REFUS_VERSION_INSTALLEE:
        genre = GenreQuestion::Information;
        texte = MajeurAppareil == unsigned(VERSION_MAJEUR) && MineurAppareil == unsigned(VERSION_MINEUR)
                    ? TexteQuestion(DEJA_INSTALLEE, Language)
                    : TexteQuestion(PLUS_RECENTE, Language);
        break;
    case REFUS_VARIANTE:
        texte = TexteQuestion(REFUS_VARIANTE_TEXTE, Language);
        operation = OperationMiseAJour::LireVariante;
        break;
    case REFUS_LOGICIEL_INCOMPATIBLE:
        texte = TexteQuestion(INCOMPATIBLE_DEBUT, Language) + QString::fromUtf8(CONTACT_SUPPORT.En(Language)) +
                TexteQuestion(INCOMPATIBLE_FIN, Language);
        break;
    default:
        ActiverTimer();  // no question for a reason it does not know
        return;
    }
    Reprendre(Question(this, genre, BoutonsQuestion::OuiNon, texte, DetailsEchec(operation, resultat)));
}

// The timer comes back only when the wizard goes on: after No the window is closed and the
// program ends, and ticks behind it would only ask again.
void TFormMj::Reprendre(bool oui) {
    if (oui) {
        RevenirAuChoixDuPort();
        ActiverTimer();
    } else {
        close();
    }
}
