// A whole update through the real wizard against the simulated device, the line paced at real
// wire time, and what it costs.
//
// usage: zantrel_bench [--ecriture-rangee-ms MS]   (flash row write time of the device, default 2)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "bench/pilote_auto.h"
#include "link/protocole.h"
#include "sim/simulateur.h"
#include "wizard/demarrage.h"

namespace {

constexpr int VITESSE_TRANSFERT = 115200;  // bit/s during the transfer
constexpr int PAS_BATTEMENT_MS = 5;        // the event loop is asked to run this often

// The longest stretch during which the event loop ran nothing, and the step it fell in.
class Battement {
public:
    explicit Battement(const int& etape) : Etape(etape)
    {
        Minuterie.setTimerType(Qt::PreciseTimer);
        Minuterie.setInterval(PAS_BATTEMENT_MS);
        QObject::connect(&Minuterie, &QTimer::timeout, [this] {
            // The stretch began at the last beat: it belongs to the step shown then.
            const qint64 ecart = Horloge.restart();
            if (ecart > PlusLong) {
                PlusLong = ecart;
                EtapePlusLong = EtapeAuBattement;
            }
            EtapeAuBattement = Etape;
        });
        Horloge.start();
        Minuterie.start();
    }
    qint64 PlusLong = 0;
    int EtapePlusLong = 0;

private:
    const int& Etape;
    int EtapeAuBattement = 0;
    QTimer Minuterie;
    QElapsedTimer Horloge;
};

}  // namespace

int main(int argc, char** argv)
{
    OptionsSimulateur simulation;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--ecriture-rangee-ms") && i + 1 < argc) {
            simulation.dureeEcritureRangeeMs = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: zantrel_bench [--ecriture-rangee-ms MS]\n");
            return 2;
        }
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int nombreArguments = 1;
    QApplication application(nombreArguments, argv);

    Simulateur simulateur(simulation);
    if (!simulateur.Demarrer()) {
        std::fprintf(stderr, "zantrel_bench: cannot start the simulated device\n");
        return 1;
    }

    PiloteAuto::Options options;
    options.journal = [](const QString&) {};
    PiloteAuto pilote(options);
    int etape = 0;
    std::size_t caracteresPage8 = 0;
    std::size_t caracteresPage11 = 0;
    pilote.surPage = [&](int nouvelle) {
        etape = nouvelle;
        if (nouvelle == ETAPE_PROGRAMMATION)
            caracteresPage8 = simulateur.Trace().size();
        if (nouvelle == ETAPE_DECONNEXION)
            caracteresPage11 = simulateur.Trace().size();
    };

    ServicesDemarrage services;
    services.fenetre.ligne = LigneVers(simulateur.CheminEsclave());
    services.fenetre.question = pilote.Question();
    services.ports = PortsAvecPont();
    services.erreur = [](const QString& message) { std::fprintf(stderr, "error: %s\n", message.toUtf8().constData()); };
    pilote.Surveiller();
    Battement battement(etape);
    Demarrer(std::move(services));
    simulateur.Arreter();

    const auto& instants = pilote.InstantsPages();
    if (!pilote.FinAtteinte() || !instants.count(ETAPE_PROGRAMMATION) || !instants.count(ETAPE_DECONNEXION)
        || !instants.count(ETAPE_REUSSITE)) {
        std::fprintf(stderr, "zantrel_bench: the update did not reach page 12\n");
        return 1;
    }
    const double total = (instants.at(ETAPE_REUSSITE) - instants.at(ETAPE_LANGUE)) / 1000.0;
    const double transfert = (instants.at(ETAPE_DECONNEXION) - instants.at(ETAPE_PROGRAMMATION)) / 1000.0;
    const std::size_t caracteres = caracteresPage11 - caracteresPage8;
    const double plancher = static_cast<double>(caracteres) * protocole::BITS_PAR_CARACTERE / VITESSE_TRANSFERT;
    std::printf("whole update (page 1 to page 12):         %7.2f s\n", total);
    std::printf("transfer (page 8 to page 11):             %7.2f s\n", transfert);
    std::printf("characters on the line in the transfer:   %7zu (both directions, %d blocks)\n", caracteres,
                simulateur.BlocsEcrits());
    std::printf("wire floor of the transfer at %d bit/s: %7.2f s\n", VITESSE_TRANSFERT, plancher);
    std::printf("transfer / wire floor:                    %7.2f\n", transfert / plancher);
    std::printf("longest time without processing events:   %7.3f s (during step %d)\n", battement.PlusLong / 1000.0,
                battement.EtapePlusLong);
    return 0;
}
