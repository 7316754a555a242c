#include "about/BoiteAPropos.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>

#include "about/fabricant.h"
#include "ui_FormAPropos.h"
#include "wizard/paire_texte.h"

// The logo lives in a static library's resources, which must be registered by hand.
static void ChargerRessourcesAPropos() { Q_INIT_RESOURCE(apropos); }

namespace {

constexpr const char* LOGO = ":/apropos/logo_korvane.jpg";

constexpr PaireTexte TITRE{"A propos de la mise à jour", "About update"};
constexpr PaireTexte OK{"&Ok", "&Ok"};
constexpr PaireTexte TELEPHONE{"Tél : ", "Phone : "};
constexpr PaireTexte TELECOPIE{"Télécopie  : ", "Fax : "};
constexpr PaireTexte SITE{"Site : ", "Site : "};
constexpr PaireTexte MEL{"Mèl : ", "Mail : "};

QString Texte(const PaireTexte& paire, int langue) { return QString::fromUtf8(paire.En(langue)); }

// Labels take the size of their text, as the layout's labels do.
void Ecrire(QLabel* label, const QString& texte) {
    label->setText(texte);
    label->adjustSize();
}

}  // namespace

TFormAPropos::TFormAPropos(QWidget* owner, OuvreurUrl ouvreur)
    : QDialog(owner), ui(std::make_unique<Ui::TFormAPropos>()) {
    ChargerRessourcesAPropos();
    ui->setupUi(this);
    // Fixed dialog frame: a close box, no minimise or maximise box, no resizing.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(446, 207);

    // The logo is centred in its frame and shrunk, keeping its proportions, when larger.
    QPixmap logo(QString::fromLatin1(LOGO));
    const QSize cadre = ui->Image1->size();
    if (logo.width() > cadre.width() || logo.height() > cadre.height())
        logo = logo.scaled(cadre, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    ui->Image1->setPixmap(logo);

    BrowseInternet.Ouvreur = std::move(ouvreur);
    connect(ui->ButtonOk, &QPushButton::clicked, this, &TFormAPropos::ButtonOkClick);
    ui->LabelNomSite->installEventFilter(this);
    ui->LabelMel->installEventFilter(this);

    Language = 0;
    FillTexts();
}

TFormAPropos::~TFormAPropos() = default;

void TFormAPropos::SetLanguage(int langue) {
    if ((langue == 0 || langue == 1) && langue != Language) {
        Language = langue;
        FillTexts();
    }
}

void TFormAPropos::FillTexts() {
    setWindowTitle(Texte(TITRE, Language));
    ui->ButtonOk->setText(Texte(OK, Language));
    Ecrire(ui->LabelAdresse, QString::fromUtf8(FABRICANT_ADRESSE));
    Ecrire(ui->LabelCodeVille, QString::fromUtf8(FABRICANT_CODE_VILLE));
    Ecrire(ui->LabelPays, QString::fromUtf8(FABRICANT_PAYS));
    Ecrire(ui->LabelTelephone, Texte(TELEPHONE, Language) + QString::fromUtf8(FABRICANT_TELEPHONE));
    Ecrire(ui->LabelTelecopie, Texte(TELECOPIE, Language) + QString::fromUtf8(FABRICANT_TELECOPIE));
    Ecrire(ui->LabelNomSite, Texte(SITE, Language) + QString::fromUtf8(FABRICANT_SITE));
    Ecrire(ui->LabelMel, Texte(MEL, Language) + QString::fromUtf8(FABRICANT_MEL));
}

void TFormAPropos::ButtonOkClick() { accept(); }

void TFormAPropos::LabelNomSiteClick() {
    BrowseInternet.URL = FABRICANT_SITE;
    // Nothing is reported when the desktop cannot open it; the box stays as it is.
    BrowseInternet.Execute();
}

void TFormAPropos::LabelMelClick() {
    BrowseInternet.URL = std::string("mailto: ") + FABRICANT_MEL;
    BrowseInternet.Execute();
}

bool TFormAPropos::eventFilter(QObject* objet, QEvent* evenement) {
    // A link label acts on the left button's release over it, like a click.
    if (evenement->type() == QEvent::MouseButtonRelease && (objet == ui->LabelNomSite || objet == ui->LabelMel)) {
        const auto* souris = static_cast<QMouseEvent*>(evenement);
        const auto* label = static_cast<QLabel*>(objet);
        if (souris->button() == Qt::LeftButton && label->rect().contains(souris->position().toPoint())) {
            if (objet == ui->LabelNomSite)
                LabelNomSiteClick();
            else
                LabelMelClick();
            return true;
        }
    }
    return QDialog::eventFilter(objet, evenement);
}
