#include "wizard/demarrage.h"

#include <exception>

#include <QApplication>
#include <QMessageBox>

#include "ports/TConfigurationPort.h"
#include "wizard/dossier_systeme.h"
#include "wizard/reglages.h"

namespace {

void Lancer(ServicesDemarrage& services, const std::function<void(const QString&)>& erreur) {
    TFormMj fenetre(std::move(services.fenetre));
    TConfPort ports(services.ports ? std::move(services.ports) : CreerSourcePorts());
    fenetre.AssocierPorts(&ports);

    const LectureReglages reglages =
        LireReglages(services.dossierSysteme ? *services.dossierSysteme : DossierSysteme());
    if (reglages.etat == EtatReglages::Illisible) {
        erreur(QStringLiteral("Cannot open file %1").arg(QString::fromLocal8Bit(reglages.chemin.c_str())));
        return;
    }
    fenetre.SetLanguage(reglages.langue);

    fenetre.show();
    QApplication::exec();
    fenetre.AssocierPorts(nullptr);
}

}  // namespace

void AfficherErreurDemarrage(const QString& message) {
    QMessageBox::critical(nullptr, QGuiApplication::applicationDisplayName(), message);
}

int Demarrer(ServicesDemarrage services) {
    const auto erreur =
        services.erreur ? services.erreur : std::function<void(const QString&)>(AfficherErreurDemarrage);
    try {
        Lancer(services, erreur);
    } catch (const std::exception& e) {
        erreur(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        erreur(QString());
    }
    return 0;
}
