// A whole update through the real wizard, against the simulated device on a pseudo-terminal
// (or a device file given with --device, or the PC's own ports with --system-ports).
//
// usage: zantrel_demo [--auto] [--answer yes|no] [--device PATH | --system-ports] [--version M.m.r] [--pause MS]
//                    [--captures DIR]
//   --auto      click through every page and answer every question without a person
//   --answer    the answer to the wizard's questions (default no); page 12 is always answered No,
//               and with no the run gives up (Exit) after the first connection failure
//   --device    the device's serial port, in place of the built-in simulator
//   --system-ports  the PC's own port list and serial ports, as the shipped wizard has them: the
//               wizard finds the device's bridge by itself, and waits on page 5 while it is away
//   --captures  a folder where the window is saved each time page 5 explains the bridge anew
//   --version   the firmware version the simulated device reports (default 3.7.0)
//   --pause     how long each page stays before Next is clicked, in ms (default 300)
// Prints one line per page shown and per question; exits 0 once page 12 is reached and answered No,
// 1 when the wizard ended before.
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include <QApplication>

#include "bench/pilote_auto.h"
#include "link/protocole.h"
#include "sim/simulateur.h"
#include "wizard/demarrage.h"
#include "wizard/version_mise_a_jour.h"

namespace {

constexpr int DELAI_MAXIMUM_MS = 10 * 60 * 1000;  // a demo that hangs must still end

int Usage() {
    std::fprintf(stderr,
                 "usage: zantrel_demo [--auto] [--answer yes|no] [--device PATH | --system-ports] [--version M.m.r] "
                 "[--pause MS] [--captures DIR]\n");
    return 2;
}

bool LireVersion(const char* texte, IdentiteAppareil& identite) {
    return std::sscanf(texte, "%u.%u.%u", &identite.majeur, &identite.mineur, &identite.revision) == 3;
}

}  // namespace

int main(int argc, char** argv) {
    PiloteAuto::Options options;
    options.automatique = false;
    options.pauseMs = 300;
    std::string appareil;
    bool portsDuSysteme = false;
    OptionsSimulateur simulation;
    for (int i = 1; i < argc; ++i) {
        const bool suite = i + 1 < argc;
        if (!std::strcmp(argv[i], "--auto"))
            options.automatique = true;
        else if (!std::strcmp(argv[i], "--answer") && suite &&
                 (!std::strcmp(argv[i + 1], "yes") || !std::strcmp(argv[i + 1], "no")))
            options.repondreOui = !std::strcmp(argv[++i], "yes");
        else if (!std::strcmp(argv[i], "--device") && suite)
            appareil = argv[++i];
        else if (!std::strcmp(argv[i], "--system-ports"))
            portsDuSysteme = true;
        else if (!std::strcmp(argv[i], "--captures") && suite)
            options.capturesPont = QString::fromLocal8Bit(argv[++i]);
        else if (!std::strcmp(argv[i], "--version") && suite && LireVersion(argv[i + 1], simulation.identite))
            ++i;
        else if (!std::strcmp(argv[i], "--pause") && suite)
            options.pauseMs = std::atoi(argv[++i]);
        else
            return Usage();
    }
    if (portsDuSysteme && !appareil.empty()) return Usage();
    options.journal = [](const QString& ligne) {
        std::printf("%s\n", ligne.toUtf8().constData());
        std::fflush(stdout);
    };

    int nombreArguments = 1;
    QApplication application(nombreArguments, argv);

    std::optional<Simulateur> simulateur;
    if (appareil.empty() && !portsDuSysteme) {
        simulation.surAnomalie = [](const std::string& anomalie) {
            std::fprintf(stderr, "simulated device: %s\n", anomalie.c_str());
        };
        simulateur.emplace(simulation);
        if (!simulateur->Demarrer()) {
            std::fprintf(stderr, "zantrel_demo: cannot start the simulated device\n");
            return 1;
        }
        appareil = simulateur->CheminEsclave();
        std::printf("simulated device on %s, version %u.%u.%u\n", appareil.c_str(), simulation.identite.majeur,
                    simulation.identite.mineur, simulation.identite.revision);
    }

    PiloteAuto pilote(options);
    ServicesDemarrage services;
    if (!portsDuSysteme) {
        services.fenetre.ligne = LigneVers(appareil);
        services.ports = PortsAvecPont();
    }
    const bool fin = PiloterDemo(pilote, std::move(services), DELAI_MAXIMUM_MS);

    if (simulateur) {
        simulateur->Arreter();
        for (const std::string& anomalie : simulateur->Anomalies())
            std::fprintf(stderr, "simulated device noticed: %s\n", anomalie.c_str());
        const std::vector<std::uint8_t> eeprom = simulateur->Eeprom();
        std::printf("device now holds version %u.%u.%u (the update's is %d.%d.%d), %d blocks written\n",
                    eeprom[protocole::EEPROM_MAJEUR], eeprom[protocole::EEPROM_MINEUR],
                    eeprom[protocole::EEPROM_REVISION], VERSION_MAJEUR, VERSION_MINEUR, VERSION_REVISION,
                    simulateur->BlocsEcrits());
    }
    return fin ? 0 : 1;
}
