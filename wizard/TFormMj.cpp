// TFormMj: construction of the window from its layout, and the helpers its pages share.
#include "wizard/TFormMj.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif

#include "ui_FormMj.h"
#include "wizard/TFormMj_textes.h"

// The pictures live in a static library's resources, which must be registered by hand.
static void ChargerRessourcesAssistant() { Q_INIT_RESOURCE(assistant); }

namespace {

constexpr int LARGEUR_CLIENT = 567;
constexpr int HAUTEUR_CLIENT = 407;
constexpr int PIXELS_POLICE = 11;  // the layout's font height
constexpr int PIXELS_TITRE = 16;   // the step title's

constexpr PaireTexte LEGENDE{"Mise à jour V%i.%i.%i de votre %s", "Update V%i.%i.%i of %s"};

std::unique_ptr<Ui::FormMj> CreerControles(QWidget* fenetre) {
    ChargerRessourcesAssistant();
    auto controles = std::make_unique<Ui::FormMj>();
    controles->setupUi(fenetre);
    return controles;
}

// A picture of the resources at the screen's scale: above 1, its drawing at twice the size, so
// that the toolkit does not blow the plain one up.
QPixmap ImageALEchelle(const QString& chemin, qreal echelle) {
    if (echelle > 1.0) {
        const int point = chemin.lastIndexOf(QLatin1Char('.'));
        QPixmap grande(chemin.left(point) + QStringLiteral("@2x") + chemin.mid(point));
        if (!grande.isNull()) {
            grande.setDevicePixelRatio(2.0);
            return grande;
        }
    }
    return QPixmap(chemin);
}

// The layout's font at its pixel size; where the machine lacks the family, the system's
// sans-serif stands in, at the same size, rather than whatever the font matcher picks.
QFont PoliceFenetre(QFont police) {
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
    : QWidget(owner), Controles(CreerControles(this)),
      Verrou(services.verrou ? std::move(services.verrou) : CreerVerrouVeille()), Com(std::move(services.ligne)),
      Ouvreur(services.ouvreur ? std::move(services.ouvreur) : OuvreurUrl(OuvrirUrlBureau)),
      Question(services.question ? std::move(services.question) : PoseQuestion(PoserQuestionBoite)),
      ReglesPeripherique(std::move(services.reglesPeripherique)) {
    Ui::FormMj& c = *Controles;

    // Single fixed border, minimize box only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
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
    const qreal echelle = devicePixelRatioF();
    QPixmap bandeau = ImageALEchelle(QStringLiteral(":/assistant/bandeau.jpg"), echelle);
    const QSizeF tailleBandeau = bandeau.deviceIndependentSize();
    if (tailleBandeau.width() > c.Image1->width() || tailleBandeau.height() > c.Image1->height()) {
        const qreal ratio = bandeau.devicePixelRatio();
        bandeau = bandeau.scaled(c.Image1->size() * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        bandeau.setDevicePixelRatio(ratio);
    }
    c.Image1->setPixmap(bandeau);
    c.ImageConnectAppareilaPC->setPixmap(
        ImageALEchelle(QStringLiteral(":/assistant/connexion_appareil_pc.jpg"), echelle));
    // The window icon at each size the desktop draws it.
    QIcon icone = windowIcon();
    for (const QString& fichier : QDir(QStringLiteral(":/assistant")).entryList({QStringLiteral("icone_fenetre_*")}))
        icone.addFile(QStringLiteral(":/assistant/") + fichier);
    setWindowIcon(icone);
    // The connection picture takes no input; disabling it would grey it.
    c.ImageConnectAppareilaPC->setAttribute(Qt::WA_TransparentForMouseEvents);

    connect(c.ButtonSuivant, &QPushButton::clicked, this, &TFormMj::ButtonSuivantClick);
    connect(c.ButtonPrecedant, &QPushButton::clicked, this, &TFormMj::ButtonPrecedantClick);
    connect(c.ButtonQuitter, &QPushButton::clicked, this, &TFormMj::ButtonQuitterClick);
    connect(c.ButtonAPropos, &QPushButton::clicked, this, &TFormMj::ButtonAProposClick);

    TimerGestionSerie = new QTimer(this);
    TimerGestionSerie->setObjectName(QStringLiteral("TimerGestionSerie"));
    // The transfer asks for 1 ms and 7 ms: a coarse timer may stretch them to the system's tick.
    TimerGestionSerie->setTimerType(Qt::PreciseTimer);
    connect(TimerGestionSerie, &QTimer::timeout, this, &TFormMj::TimerGestionSerieTimer);

#if QT_CONFIG(sessionmanager)
    // A log-out asked mid-update is cancelled, where the session manager lets the program say so.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& session) {
        if (Verrou->RefuserFinDeSession(nullptr) && session.allowsInteraction()) {
            session.cancel();
            session.release();
        }
    });
#endif

    if (const QScreen* ecran = QGuiApplication::primaryScreen())
        move(ecran->availableGeometry().center() - rect().center());

    // Where the system lacks the toolkit's French texts, the boxes keep their English buttons.
    TraductionBoites = new QTranslator(this);
    static_cast<void>(
        TraductionBoites->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)));

    Step = ETAPE_LANGUE;
    Language = 0;
    TraduireBoites();
    ImageFullWidth = c.ImageConnectAppareilaPC->width();
    ShowStep(Step);

    TimerGestionSerie->setInterval(INTERVALLE_ATTENTE_MS);
    TimerGestionSerie->start();
}

// Com goes first (it is declared after the controls): the device is released while the
// window still stands.
TFormMj::~TFormMj() { TimerGestionSerie->stop(); }

void TFormMj::AssocierPorts(TConfPort* ports) { Ports = ports; }

QString TFormMj::Texte(const PaireTexte& paire) const { return Formater(paire.En(Language), ComP07::NomProduit()); }

QString TFormMj::Legende() const {
    return Formater(LEGENDE.En(Language), VERSION_MAJEUR, VERSION_MINEUR, VERSION_REVISION, ComP07::NomProduit());
}

void TFormMj::ActiverTimer() {
    if (!TimerGestionSerie->isActive()) TimerGestionSerie->start();
}
