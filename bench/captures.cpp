// Renders every page of the wizard, in French and in English, and the About box, to PNG files.
// usage: zantrel_screenshots <folder>   (drawn off screen unless QT_QPA_PLATFORM says otherwise)
//
// The pages from 6 on are reached the way the sequencer reaches them, without a device: the
// lines it fills are filled here, and the timer is held still so that no tick runs.
#include <cstdio>
#include <memory>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include "about/BoiteAPropos.h"
#include "ports/TConfigurationPort.h"
#include "tests/commun/ports_factices.h"
#include "wizard/TFormMj.h"
#include "wizard/TFormMj_textes.h"

namespace {

// What the sequencer writes on page 7 as the checks pass.
constexpr PaireTexte MODELE_BON{"Le type de l'appareil est le bon.", "Correct device model."};
constexpr PaireTexte NUMERO_SERIE{"Le numéro de série de l'appareil est le : %010lu",
                                  "Serial number of device is : %010lu"};
constexpr PaireTexte PREPARATION{"Préparation pour la transmission du programme.",
                                 "Preparing to transmit the program."};

class Captures {
public:
    explicit Captures(QString dossier) : Dossier(std::move(dossier)) {}

    bool Langue(int langue) {
        const QString suffixe = langue == 0 ? QStringLiteral("fr") : QStringLiteral("en");
        ServicesFormMj services;
        services.ouvreur = [](const std::string&) { return false; };
        services.question = [](QWidget*, GenreQuestion, BoutonsQuestion, const QString&, const QString&) {
            return false;
        };
        TFormMj fenetre(std::move(services));
        // The device's bridge is plugged in as COM33.
        TConfPort ports(std::make_unique<PortsFactices>(std::vector<ValeurPort>{Serie(0, "COM1"), PontAppareil()}));
        fenetre.AssocierPorts(&ports);
        fenetre.SetLanguage(langue);
        fenetre.show();

        bool ok = Page(fenetre, 1, suffixe);
        for (int page = 2; page <= 6; ++page) {
            fenetre.NextStep();
            ok &= Page(fenetre, page, suffixe);
        }

        // Connected: the sequencer shows line 4 and moves on to the checks.
        Label(fenetre, "LabelLigne4")->show();
        fenetre.NextStep();
        Ecrire(fenetre, "LabelLigne1", Formater(MODELE_BON.En(langue), ComP07::NomProduit()));
        Ecrire(fenetre, "LabelLigne2", Formater(NUMERO_SERIE.En(langue), 123456789UL));
        Ecrire(fenetre, "LabelLigne3", QStringLiteral(" "));
        Ecrire(fenetre, "LabelLigne4", Formater(PREPARATION.En(langue), ComP07::NomProduit()));
        ok &= Page(fenetre, 7, suffixe);

        // As the checks leave it: the bar counts the image's records.
        fenetre.findChild<QProgressBar*>(QStringLiteral("ProgressBarProgrammation"))
            ->setRange(0, fenetre.Parcours().ConstruireTable());
        fenetre.NextStep();
        ok &= Page(fenetre, 8, suffixe);

        // The end-of-file record leaves the walk's own step; the language byte's has no page.
        fenetre.Step = ETAPE_ENVOI;
        fenetre.NextStep();
        fenetre.NextStep();
        ok &= Page(fenetre, 11, suffixe);

        Label(fenetre, "LabelLigne4")->setEnabled(true);
        fenetre.NextStep();
        ok &= Page(fenetre, 12, suffixe);

        TFormAPropos boite(&fenetre, [](const std::string&) { return false; });
        boite.SetLanguage(langue);
        boite.show();
        QApplication::processEvents();
        ok &= Enregistrer(boite, QStringLiteral("apropos_") + suffixe);
        fenetre.AssocierPorts(nullptr);
        return ok;
    }

private:
    static QLabel* Label(TFormMj& fenetre, const char* nom) {
        return fenetre.findChild<QLabel*>(QString::fromLatin1(nom));
    }

    static void Ecrire(TFormMj& fenetre, const char* nom, const QString& texte) {
        QLabel* label = Label(fenetre, nom);
        label->setText(texte);
        label->show();
    }

    bool Page(TFormMj& fenetre, int page, const QString& suffixe) {
        // No tick may run: the pages from 6 on would talk to a device.
        fenetre.findChild<QTimer*>(QStringLiteral("TimerGestionSerie"))->stop();
        QApplication::processEvents();
        return Enregistrer(fenetre, QStringLiteral("page%1_%2").arg(page, 2, 10, QLatin1Char('0')).arg(suffixe));
    }

    bool Enregistrer(QWidget& fenetre, const QString& nom) {
        const QString chemin = QDir(Dossier).filePath(nom + QStringLiteral(".png"));
        if (fenetre.grab().save(chemin, "PNG")) {
            std::printf("%s\n", qPrintable(chemin));
            return true;
        }
        std::fprintf(stderr, "cannot write %s\n", qPrintable(chemin));
        return false;
    }

    QString Dossier;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s folder\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString dossier = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dossier)) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 1;
    }
    Captures captures(dossier);
    const bool francais = captures.Langue(0);
    const bool anglais = captures.Langue(1);
    return francais && anglais ? 0 : 1;
}
