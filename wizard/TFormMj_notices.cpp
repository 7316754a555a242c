// TFormMj: the notices the sequencer posts to the window, and the questions they ask.
#include <QTimer>

#include "about/fabricant.h"
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

constexpr PaireTexte REFUS_MODELE_TEXTE{
    "L'appareil n'est pas un appareil (%s) pour cette mise à jour .\n\n"
    "Voulez vous faire la mise à jour sur d'autre %s ?",
    "The device is  not a %s for this update.\n\nDo you want updating another %s?"};

constexpr PaireTexte DEJA_INSTALLEE{
    "Votre %s a déjà cette mise à jour.\n\nVoulez vous faire la mise à jour sur d'autre %s ?",
    "Update already installed\n\rDo you want updating another %s?"};

constexpr PaireTexte PLUS_RECENTE{
    "Votre %s a une mise à jour plus récente.\n\nVoulez vous faire la mise à jour sur d'autre %s ?",
    "Your %s has a more recently installed.Do you want updating another %s?"};

constexpr PaireTexte REFUS_VARIANTE_TEXTE{
    "L'appareil n'est pas pour cette version de la mise à jour.\n\n"
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
QString TexteQuestion(const PaireTexte& paire, int langue)
{
    const char* produit = ComP07::NomProduit();
    return Formater(paire.En(langue), produit, produit);
}

}  // namespace

void TFormMj::PosterNotice(int msg, int wParam)
{
    Notices.push_back(MessageFenetre{msg, wParam, 0});
    QMetaObject::invokeMethod(this, [this] { TraiterNotices(); }, Qt::QueuedConnection);
}

bool TFormMj::TraiterNotices()
{
    // Inside a handler's question: the handler has the wizard, nothing else may move it.
    if (NoticeEnCours)
        return true;
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

void TFormMj::OnEtapeSuivante(const MessageFenetre&)
{
    NextStep();
}

// The line is released before the user answers, so that the device may be switched off.
void TFormMj::OnEchecTransmission(const MessageFenetre&)
{
    Com.Deconnecter();
    TimerGestionSerie->stop();
    Reprendre(Question(this, GenreQuestion::Erreur, BoutonsQuestion::OuiNon,
                       TexteQuestion(ECHEC_TRANSMISSION, Language)));
}

// Step 6 gave up: the port is closed first, so the user may plug the device elsewhere, and
// no attempt runs behind the box.
void TFormMj::OnEchecConnexion(const MessageFenetre&)
{
    TimerGestionSerie->stop();
    Com.Deconnecter();
    Com.FermerPort();
    Question(this, GenreQuestion::Erreur, BoutonsQuestion::Ok, TexteQuestion(ECHEC_CONNEXION, Language));
    Step = 4;
    NextStep();
    ActiverTimer();
}

void TFormMj::OnRefusAppareil(const MessageFenetre& message)
{
    Com.Deconnecter();
    TimerGestionSerie->stop();
    GenreQuestion genre = GenreQuestion::Erreur;
    QString texte;
    switch (message.WParam) {
    case REFUS_MODELE:
        texte = TexteQuestion(REFUS_MODELE_TEXTE, Language);
        break;
    case REFUS_VERSION_INSTALLEE:
        genre = GenreQuestion::Information;
        texte = MajeurAppareil == unsigned(VERSION_MAJEUR) && MineurAppareil == unsigned(VERSION_MINEUR)
                    ? TexteQuestion(DEJA_INSTALLEE, Language)
                    : TexteQuestion(PLUS_RECENTE, Language);
        break;
    case REFUS_VARIANTE:
        texte = TexteQuestion(REFUS_VARIANTE_TEXTE, Language);
        break;
    case REFUS_LOGICIEL_INCOMPATIBLE:
        texte = TexteQuestion(INCOMPATIBLE_DEBUT, Language) + QString::fromUtf8(CONTACT_SUPPORT.En(Language))
                + TexteQuestion(INCOMPATIBLE_FIN, Language);
        break;
    default:
        ActiverTimer();  // no question for a reason it does not know
        return;
    }
    Reprendre(Question(this, genre, BoutonsQuestion::OuiNon, texte));
}

// The timer comes back only when the wizard goes on: after No the window is closed and the
// program ends, and ticks behind it would only ask again.
void TFormMj::Reprendre(bool oui)
{
    if (oui) {
        Step = 4;
        NextStep();
        ActiverTimer();
    } else {
        close();
    }
}
