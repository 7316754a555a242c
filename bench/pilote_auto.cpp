#include "bench/pilote_auto.h"

#include <cstdio>

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include "link/chemin_port.h"

namespace {

// The step the counter shows: the walk moves between its two steps without a page.
int EtapeAffichee(const TFormMj& fenetre) { return fenetre.Step == ETAPE_ENVOI ? ETAPE_PROGRAMMATION : fenetre.Step; }

QString UneLigne(QString texte) {
    return texte.replace(QLatin1Char('\r'), QString()).replace(QLatin1Char('\n'), QStringLiteral(" | "));
}

}  // namespace

std::unique_ptr<SourcePorts> PortsAvecPont() {
    return std::make_unique<PortsFactices>(std::vector<ValeurPort>{PontAppareil()});
}

std::unique_ptr<LigneSerie> LigneVers(const std::string& cheminAppareil) {
    return CreerLigneSerie(
        [cheminAppareil](int numero) { return numero == COM_APPAREIL ? cheminAppareil : CheminPort(numero); });
}

PiloteAuto::PiloteAuto(Options options) : Opt(std::move(options)) {
    Sondage.setInterval(5);
    connect(&Sondage, &QTimer::timeout, this, [this] { Sonder(); });
}

PoseQuestion PiloteAuto::Question() {
    return [this](QWidget* fenetre, GenreQuestion genre, BoutonsQuestion boutons, const QString& texte,
                  const QString& details) {
        const bool ouiNon = boutons == BoutonsQuestion::OuiNon;
        bool reponse = true;
        if (!Opt.automatique)
            reponse = PoserQuestionBoite(fenetre, genre, boutons, texte, details);
        else if (ouiNon)
            reponse = Opt.repondreOui;
        const QString genreTexte =
            genre == GenreQuestion::Erreur ? QStringLiteral("error") : QStringLiteral("information");
        const QString reponseTexte = !ouiNon   ? QStringLiteral("OK")
                                     : reponse ? QStringLiteral("Yes")
                                               : QStringLiteral("No");
        Opt.journal(QStringLiteral("question (%1): %2 -> %3").arg(genreTexte, UneLigne(texte), reponseTexte));
        // The connection-failure box has only OK and leads back to page 5: a run that answers
        // No gives up there rather than trying again for ever.
        if (Opt.automatique && !Opt.repondreOui && !ouiNon) Abandon = true;
        return reponse;
    };
}

void PiloteAuto::Surveiller() {
    Horloge.start();
    Sondage.start();
}

void PiloteAuto::Sonder() {
    if (!Fenetre) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<TFormMj*>(w); f && f->isVisible()) Fenetre = f;
        if (!Fenetre) return;
    }
    auto* titre = Fenetre->findChild<QLabel*>(QStringLiteral("LabelTitreEtape"));
    auto* suivant = Fenetre->findChild<QPushButton*>(QStringLiteral("ButtonSuivant"));
    auto* quitter = Fenetre->findChild<QPushButton*>(QStringLiteral("ButtonQuitter"));
    if (!titre || !suivant || !quitter) return;

    const int etape = EtapeAffichee(*Fenetre);
    if (etape != DerniereEtape) {
        DerniereEtape = etape;
        DepuisPage = Horloge.elapsed();
        Instants[etape] = DepuisPage;
        Opt.journal(QStringLiteral("page %1: %2").arg(etape).arg(titre->text()));
        if (surPage) surPage(etape);
    }
    if (auto* pont = Fenetre->findChild<QLabel*>(QStringLiteral("LabelPontSansPort"))) {
        const QString explication = etape == ETAPE_CHOIX_PORT && pont->isVisible() ? pont->text() : QString();
        if (explication != ExplicationPont) {
            ExplicationPont = explication;
            const QString instant = QString::number(Horloge.elapsed() / 1000.0, 'f', 1);
            Opt.journal(QStringLiteral("page 5 bridge line at %1 s: %2")
                            .arg(instant, explication.isEmpty() ? QStringLiteral("none") : UneLigne(explication)));
            if (!explication.isEmpty() && !Opt.capturesPont.isEmpty())
                Fenetre->grab().save(QStringLiteral("%1/page5-%2.png").arg(Opt.capturesPont).arg(++CapturesFaites));
        }
    }
    if (!Opt.automatique || Horloge.elapsed() - DepuisPage < Opt.pauseMs) return;

    if (Abandon && etape == ETAPE_CHOIX_PORT && quitter->isEnabled()) {
        Abandon = false;
        Opt.journal(QStringLiteral("gave up on page 5: %1").arg(quitter->text().remove(QLatin1Char('&'))));
        quitter->click();
    } else if (etape >= ETAPE_LANGUE && etape <= ETAPE_CHOIX_PORT && suivant->isVisible() && suivant->isEnabled()) {
        DepuisPage = Horloge.elapsed();
        suivant->click();
    } else if (etape == ETAPE_REUSSITE && !Fin) {
        Fin = true;
        Opt.journal(QStringLiteral("page 12 answered: %1").arg(quitter->text().remove(QLatin1Char('&'))));
        quitter->click();
    }
}

bool PiloterDemo(PiloteAuto& pilote, ServicesDemarrage services, int delaiMaximumMs) {
    services.fenetre.question = pilote.Question();
    services.erreur = [](const QString& message) { std::fprintf(stderr, "error: %s\n", message.toUtf8().constData()); };
    pilote.Surveiller();
    QTimer::singleShot(delaiMaximumMs, [delaiMaximumMs] {
        std::fprintf(stderr, "zantrel_demo: no end after %d s\n", delaiMaximumMs / 1000);
        QApplication::exit(3);
    });
    Demarrer(std::move(services));
    return pilote.FinAtteinte();
}
