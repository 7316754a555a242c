// TFormMj: the update wizard's main window. Its pages, the navigation between them and the
// timer-driven sequencer that runs an update.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QString>
#include <QWidget>

#include "about/ouvreur_url.h"
#include "link/Com_p07_v1_2.h"
#include "wizard/ecritures_comp07.h"
#include "wizard/operations_mise_a_jour.h"
#include "wizard/etapes.h"
#include "wizard/parcours_image.h"
#include "wizard/verrou_veille.h"
#include "wizard/version_mise_a_jour.h"

class QCloseEvent;
class QKeyEvent;
class QTimer;
class QTranslator;
class TConfPort;
struct PaireTexte;

namespace Ui {
class FormMj;
}

// Kinds and buttons of the sequencer's modal questions.
enum class GenreQuestion { Erreur, Information };
enum class BoutonsQuestion { OuiNon, Ok };

// Shows a modal question over the window; true when the user answered Yes (or OK). details: what
// support needs to know, behind the box's details button; empty for none.
using PoseQuestion = std::function<bool(QWidget* fenetre, GenreQuestion genre, BoutonsQuestion boutons,
                                        const QString& texte, const QString& details)>;

// The question as a message box of the toolkit.
bool PoserQuestionBoite(QWidget* fenetre, GenreQuestion genre, BoutonsQuestion boutons, const QString& texte,
                        const QString& details);

// What the window uses of the outside world; an empty member takes the platform's own.
struct ServicesFormMj {
    std::unique_ptr<LigneSerie> ligne;            // the device's serial line (the PC's ports, by COM number)
    OuvreurUrl ouvreur;                           // hands the About box's links to the desktop
    PoseQuestion question;                        // the sequencer's questions (message boxes)
    std::unique_ptr<VerrouVeille> verrou;         // keeps the computer awake from the checks to the release
    std::vector<std::string> reglesPeripherique;  // where the package's device rule may be installed
};

// A notice the window posts to itself: its number and what it carries.
struct MessageFenetre {
    int Msg = 0;
    int WParam = 0;
    int LParam = 0;  // the failures: the OperationMiseAJour that failed; else 0
};

// The walk over the firmware image reaches the window through FenetreParcours.
class TFormMj : public QWidget, private FenetreParcours {
    Q_OBJECT

public:
    explicit TFormMj(ServicesFormMj services = ServicesFormMj(), QWidget* owner = nullptr);
    ~TFormMj() override;
    TFormMj(const TFormMj&) = delete;
    TFormMj& operator=(const TFormMj&) = delete;

    // The port finder, made after the window at start-up; null until then (page 5 then finds no port).
    void AssocierPorts(TConfPort* ports);
    // The device link the window holds.
    ComP07& Lien() { return Com; }

    void ShowStep(int step);
    void NextStep();
    void SetLanguage(int language);
    int GetLanguage() const;

    void ButtonSuivantClick();
    void ButtonPrecedantClick();
    void ButtonQuitterClick();
    void ButtonAProposClick();
    void TimerGestionSerieTimer();

    // Notices. Posting queues the notice and schedules its handling once the current handler
    // returns; a tick handles any pending notice first and then does no work of its own, so the
    // sequencer always sees the step a notice leads to.
    void PosterNotice(int msg, int wParam = 0, int lParam = 0);
    // Handles every pending notice, in order; true when the tick must not work (one was handled,
    // or a handler is still running its question).
    bool TraiterNotices();
    std::size_t NoticesEnAttente() const { return Notices.size(); }

    void OnEtapeSuivante(const MessageFenetre& message);
    void OnEchecTransmission(const MessageFenetre& message);
    void OnEchecConnexion(const MessageFenetre& message);
    void OnRefusAppareil(const MessageFenetre& message);

    // The walk over the firmware image (its record index, its record table).
    ParcoursImage& Parcours() { return ParcoursEnregistrements; }
    const ParcoursImage& Parcours() const { return ParcoursEnregistrements; }

    static constexpr int MSG_ECHEC_TRANSMISSION = 1025;
    static constexpr int MSG_ECHEC_CONNEXION = 1029;
    static constexpr int MSG_ETAPE_SUIVANTE = 1030;
    static constexpr int MSG_REFUS_APPAREIL = 1031;

    // Why MSG_REFUS_APPAREIL refuses the device.
    static constexpr int REFUS_MODELE = 0;
    static constexpr int REFUS_VERSION_INSTALLEE = 2;
    static constexpr int REFUS_VARIANTE = 3;
    static constexpr int REFUS_LOGICIEL_INCOMPATIBLE = 6;

    static constexpr int NB_ETAPES = ::NB_ETAPES;
    static constexpr int VERSION_MAJEUR = ::VERSION_MAJEUR;
    static constexpr int VERSION_MINEUR = ::VERSION_MINEUR;
    static constexpr int VERSION_REVISION = ::VERSION_REVISION;

    int Step = ETAPE_LANGUE;
    int Language = 0;
    int ImageFullWidth = 0;

    // Sequencer state: the sub-step of steps 7 and 11 and what the device reported at step 7.
    unsigned SousEtape = 0;
    std::uint32_t NumeroSerie = 0;
    unsigned Variante = 0;
    unsigned MajeurAppareil = 0;
    unsigned MineurAppareil = 0;
    unsigned RevisionAppareil = 0;
    // Which of these the device plugged for this attempt has given; page 6 forgets them, so that
    // a failure never speaks of the device before.
    struct LecturesAppareil {
        bool variante = false;
        bool numeroSerie = false;
        bool version = false;
    };
    LecturesAppareil Lu;

protected:
    // A close request (the window manager's close, Alt+F4) is refused from the device checks
    // until the device is released; elsewhere the window closes at once.
    void closeEvent(QCloseEvent* evenement) override;
    // Enter presses the focused button, else the page's way forward.
    void keyPressEvent(QKeyEvent* evenement) override;
#ifdef Q_OS_WIN
    // A log-out or shut-down is refused while the device is being changed.
    bool nativeEvent(const QByteArray& genre, void* message, qintptr* resultat) override;
#endif

private:
    // Page fillers, one per step that has a page.
    void EnTeteVersion();
    void Page1();
    void Page2();
    void Page3();
    void Page4();
    void Page5();
    void Page6();
    void Page7();
    void Page8();
    void Page11();
    void Page12();

    // Follows the device's port on a tick of steps 1 to 5 and 12; on page 5 also keeps
    // Next and the invitation line in step with it.
    void SuivrePortAppareil(bool page5);
    // Page 5's line on a bridge plugged in without its port, kept in step on every tick.
    void ExpliquerPont();

    // The work of one tick at steps 6, 7, 10 and 11; steps 8 and 9 are the walk's.
    void EtapeConnexion();
    void EtapeVerification();
    void EtapeLangue();
    void EtapeDeconnexion();
    // A link operation failed: the transmission-problem question follows.
    void EchecTransmission(OperationMiseAJour operation, int resultat, bool intervalleAttente = true);
    // The operation of the walk whose failure gave resultat.
    OperationMiseAJour OperationParcours(int resultat) const;
    void RefuserAppareil(int raison);
    // After a refusal or failure question: Yes waits on page 5 for a device, No ends.
    void Reprendre(bool oui);
    // Back to page 5, to wait for a device.
    void RevenirAuChoixDuPort();

    // FenetreParcours: what the walk changes on the window.
    void DefinirEtape(int etape) override;
    void RemettreSousEtape() override;
    void DefinirIntervalle(int ms) override;
    void PositionnerProgression(int position) override;
    void AfficherAvancement(double pourcentage) override;
    void PosterEtapeSuivante() override;

    // Page 8's progress label for a percentage.
    QString TexteAvancement(double pourcentage) const;

    // A text pair in the current language, formatted with the product name.
    QString Texte(const PaireTexte& paire) const;
    QString Legende() const;  // "Mise à jour V<update's version> de votre Zantrel"
    void ActiverTimer();      // enables the timer, leaving a running one as it is
    // The keyboard focus after a page change: on the way forward, never on Quit.
    void PlacerFocus();
    // The toolkit's own texts (the question boxes' buttons) follow Language.
    void TraduireBoites();
    // The paragraph the connection-failure box adds when the port could not be opened.
    QString CauseEchecOuverture(int resultat) const;
    // The failure boxes' details for support, in the wizard's language: the step and the
    // operation, the result code and its meaning, the port, how far the transfer came, what the
    // device said of itself, and the wizard's version.
    QString DetailsEchec(OperationMiseAJour operation, int resultat) const;

    // From the device checks until the device is released the window refuses to close, and the
    // computer must neither sleep nor shut down.
    bool MiseAJourEnCours() const;
    void ProtegerMiseAJour();
    void RelacherAppareil();
    // The names and descriptions a screen reader gives the pictures, the bar and the counter.
    void NommerPourLecteurs();

    std::unique_ptr<Ui::FormMj> Controles;
    // Released only once the link (below) has let the device go.
    std::unique_ptr<VerrouVeille> Verrou;
    // Made right after the controls; destroyed before them, which releases the device.
    ComP07 Com;
    EcrituresComP07 Ecritures{Com};
    ParcoursImage ParcoursEnregistrements{Ecritures, *this};
    std::string AvancementAffiche;        // the per cent the progress label shows, as its digits
    QTimer* TimerGestionSerie = nullptr;  // owned by the window
    TConfPort* Ports = nullptr;
    OuvreurUrl Ouvreur;
    PoseQuestion Question;
    std::vector<std::string> ReglesPeripherique;
    QTranslator* TraductionBoites = nullptr;  // owned by the window; French, when found

    std::deque<MessageFenetre> Notices;
    bool NoticeEnCours = false;  // a handler runs, maybe inside its question's own loop
};
