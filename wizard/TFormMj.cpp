// TFormMj: construction of the window from its layout, and the helpers its pages share.
#include "wizard/TFormMj.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

#include "ui_FormMj.h"
#include "wizard/TFormMj_textes.h"

// The pictures live in a static library's resources, which must be registered by hand.
static void ChargerRessourcesAssistant()
{
    Q_INIT_RESOURCE(assistant);
}

namespace {

constexpr int LARGEUR_CLIENT = 567;
constexpr int HAUTEUR_CLIENT = 407;
constexpr int PIXELS_POLICE = 11;  // the layout's font height
constexpr int PIXELS_TITRE = 16;   // the step title's
constexpr int INTERVALLE_INITIAL_MS = 1000;

constexpr PaireTexte LEGENDE{"Mise à jour V%i.%i.%i de votre %s", "Update V%i.%i.%i of %s"};

std::unique_ptr<Ui::FormMj> CreerControles(QWidget* fenetre)
{
    ChargerRessourcesAssistant();
    auto controles = std::make_unique<Ui::FormMj>();
    controles->setupUi(fenetre);
    return controles;
}

// The layout's font at its pixel size; where the machine lacks the family, the system's
// sans-serif stands in, at the same size, rather than whatever the font matcher picks.
QFont PoliceFenetre(QFont police)
{
    police.setPixelSize(PIXELS_POLICE);
    if (!QFontDatabase::hasFamily(police.family())) {
        QFont systeme = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        systeme.setStyleHint(QFont::SansSerif);
        police.setFamily(QFontInfo(systeme).family());
    }
    return police;
}

}  // namespace

TFormMj::TFormMj(ServicesFormMj services, QWidget* owner)
    : QWidget(owner),
      Controles(CreerControles(this)),
      Com(std::move(services.ligne)),
      Ouvreur(services.ouvreur ? std::move(services.ouvreur) : OuvreurUrl(OuvrirUrlBureau)),
      Question(services.question ? std::move(services.question) : PoseQuestion(PoserQuestionBoite))
{
    Ui::FormMj& c = *Controles;

    // Single fixed border, minimize box only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowMinimizeButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(LARGEUR_CLIENT, HAUTEUR_CLIENT);

    // Children inherit the size and family; only the title has its own size.
    setFont(PoliceFenetre(font()));
    QFont titre = c.LabelTitreEtape->font();
    titre.setPixelSize(PIXELS_TITRE);
    c.LabelTitreEtape->setFont(titre);

    // Button-face background for the window and the step counter.
    QPalette fond = palette();
    fond.setColor(QPalette::Window, fond.color(QPalette::Button));
    setPalette(fond);
    setAutoFillBackground(true);
    QPalette compteur = c.EditEtape->palette();
    compteur.setColor(QPalette::Base, compteur.color(QPalette::Button));
    c.EditEtape->setPalette(compteur);

    // The banner is centred in its frame and shrunk, keeping its proportions, only when larger.
    QPixmap bandeau = c.Image1->pixmap();
    if (bandeau.width() > c.Image1->width() || bandeau.height() > c.Image1->height())
        c.Image1->setPixmap(bandeau.scaled(c.Image1->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    // The connection picture takes no input; disabling it would grey it.
    c.ImageConnectAppareilaPC->setAttribute(Qt::WA_TransparentForMouseEvents);

    connect(c.ButtonSuivant, &QPushButton::clicked, this, &TFormMj::ButtonSuivantClick);
    connect(c.ButtonPrecedant, &QPushButton::clicked, this, &TFormMj::ButtonPrecedantClick);
    connect(c.ButtonQuitter, &QPushButton::clicked, this, &TFormMj::ButtonQuitterClick);
    connect(c.ButtonAPropos, &QPushButton::clicked, this, &TFormMj::ButtonAProposClick);

    TimerGestionSerie = new QTimer(this);
    TimerGestionSerie->setObjectName(QStringLiteral("TimerGestionSerie"));
    connect(TimerGestionSerie, &QTimer::timeout, this, &TFormMj::TimerGestionSerieTimer);

    if (const QScreen* ecran = QGuiApplication::primaryScreen())
        move(ecran->availableGeometry().center() - rect().center());

    // Where the system lacks the toolkit's French texts, the boxes keep their English buttons.
    TraductionBoites = new QTranslator(this);
    static_cast<void>(
        TraductionBoites->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)));

    Step = 1;
    Language = 0;
    TraduireBoites();
    ImageFullWidth = c.ImageConnectAppareilaPC->width();
    ShowStep(Step);

    TimerGestionSerie->setInterval(INTERVALLE_INITIAL_MS);
    TimerGestionSerie->start();
}

// Com goes first (it is declared after the controls): the device is released while the
// window still stands.
TFormMj::~TFormMj()
{
    TimerGestionSerie->stop();
}

void TFormMj::AssocierPorts(TConfPort* ports)
{
    Ports = ports;
}

QString TFormMj::Texte(const PaireTexte& paire) const
{
    return Formater(paire.En(Language), ComP07::NomProduit());
}

QString TFormMj::Legende() const
{
    return Formater(LEGENDE.En(Language), VERSION_MAJEUR, VERSION_MINEUR, VERSION_REVISION,
                    ComP07::NomProduit());
}

void TFormMj::ActiverTimer()
{
    if (!TimerGestionSerie->isActive())
        TimerGestionSerie->start();
}
