// Start-up as a whole: the window, the port finder, the settings file, the loop, the error box.
#include <gtest/gtest.h>

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "tests/commun/doublures.h"
#include "wizard/demarrage.h"

namespace {

struct Vu {
    bool boucle = false;
    bool visible = false;
    QString legende;
    QString compteur;
    QString precedent;
    bool delaiDepasse = false;
};

class Demarrage : public ::testing::Test {
protected:
    ServicesDemarrage Services() {
        ServicesDemarrage services;
        services.fenetre.ligne = std::make_unique<LigneMuette>(std::make_shared<EtatLigne>());
        services.fenetre.ouvreur = [](const std::string&) { return true; };
        services.ports = std::make_unique<PortsFactices>(std::make_shared<EtatPorts>());
        services.dossierSysteme = dossier_.path().toStdString();
        services.erreur = [this](const QString& message) { erreurs_.push_back(message); };
        return services;
    }

    void Ecrire(const char* contenu) {
        std::FILE* f =
            std::fopen(QDir(dossier_.path()).filePath(QStringLiteral("ZantrelV1.CFG")).toLocal8Bit().constData(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs(contenu, f);
        std::fclose(f);
    }

    // Once the loop runs: notes what the user sees, then presses Quit, which must end the loop.
    Vu Lancer() {
        Vu vu;
        QObject contexte;
        QTimer::singleShot(0, &contexte, [&] {
            vu.boucle = true;
            TFormMj* fenetre = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* f = qobject_cast<TFormMj*>(w)) fenetre = f;
            ASSERT_NE(fenetre, nullptr);
            vu.visible = fenetre->isVisible();
            vu.legende = fenetre->windowTitle();
            vu.compteur = fenetre->findChild<QLineEdit*>(QStringLiteral("EditEtape"))->text();
            vu.precedent = fenetre->findChild<QPushButton*>(QStringLiteral("ButtonPrecedant"))->text();
            fenetre->findChild<QPushButton*>(QStringLiteral("ButtonQuitter"))->click();
        });
        QTimer::singleShot(5000, &contexte, [&] {
            vu.delaiDepasse = true;
            QCoreApplication::quit();
        });
        EXPECT_EQ(Demarrer(Services()), 0);
        return vu;
    }

    QTemporaryDir dossier_;
    std::vector<QString> erreurs_;
};

TEST_F(Demarrage, LeFichierDeReglagesMetLAssistantEnAnglais) {
    Ecrire("Langue=1;\r\n");
    const Vu vu = Lancer();
    ASSERT_TRUE(vu.boucle);
    EXPECT_FALSE(vu.delaiDepasse) << "Quit did not end the program";
    EXPECT_TRUE(vu.visible);
    EXPECT_EQ(vu.legende, Legende(1));
    EXPECT_EQ(vu.compteur, U("Step n° 1 of 12"));
    EXPECT_EQ(vu.precedent, U("&Précédant"));
    EXPECT_TRUE(erreurs_.empty());
}

TEST_F(Demarrage, UnFichierQuiNeSOuvrePasArreteLeProgramme) {
    ASSERT_TRUE(QDir(dossier_.path()).mkdir(QStringLiteral("ZantrelV1.CFG")));
    bool boucle = false;
    {
        QObject contexte;
        QTimer::singleShot(0, &contexte, [&] { boucle = true; });
        EXPECT_EQ(Demarrer(Services()), 0);
    }
    ASSERT_EQ(erreurs_.size(), 1u);
    EXPECT_EQ(erreurs_[0], QStringLiteral("Cannot open file ") + dossier_.path() + QStringLiteral("/ZantrelV1.CFG"));
    EXPECT_FALSE(boucle) << "the message loop ran";
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TFormMj*>(w), nullptr) << "the wizard outlived start-up";
}

}  // namespace
