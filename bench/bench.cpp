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
#include "wizard/etapes.h"
#include "wizard/parcours_image.h"

namespace {

constexpr int VITESSE_TRANSFERT = 115200;  // bit/s during the transfer
constexpr int PAS_BATTEMENT_MS = 5;        // the event loop is asked to run this often

// The longest stretch during which the event loop ran nothing, and the step it fell in.
class Battement {
public:
    explicit Battement(const int& etape) : Etape(etape) {
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

int main(int argc, char** argv) {
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
    std::size_t caracteresPage11 = 0;  // the trace's length when each page came
    pilote.surPage = [&](int nouvelle) {
        etape = nouvelle;
        if (nouvelle == ETAPE_PROGRAMMATION) caracteresPage8 = simulateur.Trace().size();
        if (nouvelle == ETAPE_DECONNEXION) caracteresPage11 = simulateur.Trace().size();
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
    if (!pilote.FinAtteinte() || !instants.count(ETAPE_PROGRAMMATION) || !instants.count(ETAPE_DECONNEXION) ||
        !instants.count(ETAPE_REUSSITE)) {
        std::fprintf(stderr, "zantrel_bench: the update did not reach page 12\n");
        return 1;
    }
    const double total = (instants.at(ETAPE_REUSSITE) - instants.at(ETAPE_LANGUE)) / 1000.0;
    const double transfert = (instants.at(ETAPE_DECONNEXION) - instants.at(ETAPE_PROGRAMMATION)) / 1000.0;
    const std::size_t caracteres = caracteresPage11 - caracteresPage8;
    const double plancher = static_cast<double>(caracteres) * protocole::BITS_PAR_CARACTERE / VITESSE_TRANSFERT;

    // What the device and the wizard ask for besides the wire: the device writes each block's row,
    // the PC waits on each EEPROM write, and the sequencer waits 1 ms before each record but the
    // one after a block write, whose 7 ms run while the block crosses the wire.
    const auto trace = simulateur.Trace();
    const auto ecrituresEeprom =
        std::count_if(trace.begin() + caracteresPage8, trace.begin() + caracteresPage11,
                      [](const OctetTrace& o) { return o.versAppareil && o.octet == protocole::CMD_ECRIRE_EEPROM; });
    const int enregistrements = static_cast<int>(EnregistrementsEmbarques().size());
    const int blocs = simulateur.BlocsEcrits();
    const double rangees = blocs * simulation.dureeEcritureRangeeMs / 1000.0;
    const double eeprom = ecrituresEeprom * protocole::DELAI_ECRITURE_EEPROM_MS / 1000.0;
    const double entreEnregistrements = (enregistrements - blocs) * INTERVALLE_REMPLISSAGE_MS / 1000.0;
    const double rythme = plancher + rangees + eeprom + entreEnregistrements;
    std::printf("whole update (page 1 to page 12):         %7.2f s\n", total);
    std::printf("transfer (page 8 to page 11):             %7.2f s\n", transfert);
    std::printf("characters on the line in the transfer:   %7zu (both directions, %d blocks)\n", caracteres,
                simulateur.BlocsEcrits());
    std::printf("wire floor of the transfer at %d bit/s: %7.2f s\n", VITESSE_TRANSFERT, plancher);
    std::printf("transfer / wire floor:                    %7.2f\n", transfert / plancher);
    std::printf("  + the device's row writes:              %7.2f s (%d x %d ms)\n", rangees, blocs,
                simulation.dureeEcritureRangeeMs);
    std::printf("  + waits on its EEPROM writes:           %7.2f s (%ld x %d ms)\n", eeprom,
                static_cast<long>(ecrituresEeprom), protocole::DELAI_ECRITURE_EEPROM_MS);
    std::printf("  + 1 ms between records:                 %7.2f s (%d x 1 ms)\n", entreEnregistrements,
                enregistrements - blocs);
    std::printf("the pace the device and the wizard set:   %7.2f s (%.2f x the wire floor)\n", rythme,
                rythme / plancher);
    std::printf("transfer / that pace:                     %7.2f (the rest is this program's own)\n",
                transfert / rythme);
    std::printf("longest time without processing events:   %7.3f s (during step %d)\n", battement.PlusLong / 1000.0,
                battement.EtapePlusLong);
    return 0;
}
