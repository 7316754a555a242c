// TFormMj: what a screen reader says of the pictures, the progress bar and the step counter, in
// the wizard's language.
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include "about/fabricant.h"
#include "ui_FormMj.h"
#include "wizard/TFormMj.h"
#include "wizard/TFormMj_textes.h"

namespace {

constexpr PaireTexte NOM_BANDEAU{"Logo de %s", "%s logo"};
constexpr PaireTexte DESCRIPTION_BANDEAU{"Le logo du fabricant, %s, en lettres bleues sur fond blanc.",
                                         "The logo of the maker, %s, in blue letters on white."};
constexpr PaireTexte NOM_CONNEXION{"Branchement du %s à l'ordinateur", "Connecting the %s to the computer"};
constexpr PaireTexte DESCRIPTION_CONNEXION{
    "Le %s à gauche, relié par son cordon rouge à un ordinateur portable marqué PC, à droite.",
    "The %s on the left, joined by its red cable to a portable computer marked PC, on the right."};
// Page 3 shows the left part only.
constexpr PaireTexte DESCRIPTION_CONNEXION_APPAREIL{"Le %s et son cordon rouge.", "The %s and its red cable."};
constexpr PaireTexte NOM_BARRE{"Avancement de la mise à jour", "Update progress"};
constexpr PaireTexte NOM_COMPTEUR{"Étape de la mise à jour", "Update step"};

// The bar counts records; a screen reader says how far the update is, in per cent.
class BarreAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit BarreAccessible(QProgressBar* barre) : QAccessibleWidget(barre, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text genre) const override {
        if (genre == QAccessible::Value) return QStringLiteral("%1 %").arg(Pourcentage());
        return QAccessibleWidget::text(genre);
    }
    QVariant currentValue() const override { return Pourcentage(); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 0; }

private:
    int Pourcentage() const {
        const auto* barre = static_cast<const QProgressBar*>(widget());
        const qint64 etendue = qint64(barre->maximum()) - barre->minimum();
        return etendue > 0 ? int((qint64(barre->value()) - barre->minimum()) * 100 / etendue) : 0;
    }
};

QAccessibleInterface* FabriqueAccessible(const QString& classe, QObject* objet) {
    if (classe == QLatin1String("QProgressBar") && objet->objectName() == QLatin1String("ProgressBarProgrammation"))
        return new BarreAccessible(static_cast<QProgressBar*>(objet));
    return nullptr;
}

}  // namespace

void TFormMj::NommerPourLecteurs() {
    static const bool fabriqueInstallee = (QAccessible::installFactory(FabriqueAccessible), true);
    static_cast<void>(fabriqueInstallee);
    Ui::FormMj& c = *Controles;
    c.Image1->setAccessibleName(Formater(NOM_BANDEAU.En(Language), FABRICANT_NOM));
    c.Image1->setAccessibleDescription(Formater(DESCRIPTION_BANDEAU.En(Language), FABRICANT_NOM));
    c.ImageConnectAppareilaPC->setAccessibleName(Texte(NOM_CONNEXION));
    const bool entiere = c.ImageConnectAppareilaPC->width() >= ImageFullWidth;
    c.ImageConnectAppareilaPC->setAccessibleDescription(
        Texte(entiere ? DESCRIPTION_CONNEXION : DESCRIPTION_CONNEXION_APPAREIL));
    c.ProgressBarProgrammation->setAccessibleName(Texte(NOM_BARRE));
    c.EditEtape->setAccessibleName(Texte(NOM_COMPTEUR));
}
