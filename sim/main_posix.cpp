// zantrel_sim: the simulated Zantrel bootloader on a pseudo-terminal, or behind an emulated USB
// bridge plugged into the kernel's vhci_hcd (--pont-usb).
// On a pseudo-terminal: prints the slave's path, answers until SIGINT/SIGTERM or the end of
// stdin, then dumps. Behind the bridge: prints each plug and unplug, leaves on SIGUSR1, comes
// back on SIGUSR2, ends on SIGINT/SIGTERM, then dumps and writes the bridge's record.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "sim/appareil.h"
#include "sim/arguments.h"
#include "sim/pont_usb.h"
#include "sim/simulateur.h"
#include "sim/vhci_posix.h"

namespace {

int tubeSignal[2] = {-1, -1};
// In the pipe beside the signals' numbers: the bridge's link ended by itself.
constexpr char EVENEMENT_DEPART = 0;

void Reveiller(char code) {
    if (write(tubeSignal[1], &code, 1) < 0) {
        // The pipe is full: the loop has plenty to read already.
    }
}

void SurSignal(int numero) {
    const int erreur = errno;
    Reveiller(static_cast<char>(numero));
    errno = erreur;
}

bool InstallerSignaux(bool pont) {
    if (pipe(tubeSignal) != 0) return false;
    fcntl(tubeSignal[1], F_SETFL, O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = SurSignal;
    sigemptyset(&action.sa_mask);
    for (int numero : {SIGINT, SIGTERM, SIGUSR1, SIGUSR2}) {
        if ((numero == SIGUSR1 || numero == SIGUSR2) && !pont) continue;
        if (sigaction(numero, &action, nullptr) != 0) return false;
    }
    return true;
}

void Dire(const std::string& ligne) {
    std::printf("%s\n", ligne.c_str());
    std::fflush(stdout);
}

// Until a signal comes or stdin ends; what stdin carries is not used.
void AttendreFin() {
    bool stdinOuvert = true;
    for (;;) {
        pollfd p[2] = {{tubeSignal[0], POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        const int n = poll(p, stdinOuvert ? 2 : 1, -1);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (p[0].revents) return;
        if (stdinOuvert && p[1].revents) {
            char tampon[256];
            const ssize_t lus = read(STDIN_FILENO, tampon, sizeof tampon);
            if (lus == 0 || (lus < 0 && errno != EINTR && errno != EAGAIN)) return;
            if (p[1].revents & POLLNVAL) stdinOuvert = false;
        }
    }
}

// The device behind the bridge, plugged into vhci_hcd, unplugged and back on signals or by
// itself, until SIGINT/SIGTERM. Flash and EEPROM live through every unplug.
int ServirPont(const OptionsSimulateur& options) {
    Appareil appareil(options);
    PontUsb pont([] { Reveiller(EVENEMENT_DEPART); });
    std::thread fil;
    int port = -1;
    bool branche = false;

    auto brancher = [&] {
        int paire[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, paire) != 0) {
            std::fprintf(stderr, "zantrel_sim: socketpair: %s\n", std::strerror(errno));
            return false;
        }
        std::string erreur;
        const bool attache = AttacherVhci(paire[0], port, erreur);
        close(paire[0]);
        if (!attache) {
            close(paire[1]);
            std::fprintf(stderr, "zantrel_sim: %s\n", erreur.c_str());
            return false;
        }
        pont.Brancher(paire[1]);
        fil = std::thread([&] { appareil.Servir(pont); });  // powered up
        branche = true;
        Dire("usb bridge attached on vhci port " + std::to_string(port));
        return true;
    };
    auto debrancher = [&] {
        DetacherVhci(port);
        pont.Debrancher();
        fil.join();  // powered off
        branche = false;
        Dire("usb bridge detached");
    };
    auto ecrireReleve = [&] {
        const std::string& chemin = options.pont.fichierReleve;
        if (!chemin.empty() && !pont.EcrireReleve(chemin))
            std::fprintf(stderr, "zantrel_sim: cannot write %s\n", chemin.c_str());
        Dire("usb bridge record: " + pont.ResumeReleve());
    };

    if (!brancher()) return 1;
    using Horloge = std::chrono::steady_clock;
    bool retourPrevu = false;
    Horloge::time_point retour{};
    int resultat = 0;
    for (;;) {
        int attente = -1;
        if (retourPrevu) {
            const auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(retour - Horloge::now());
            attente = static_cast<int>(std::max<long long>(0, reste.count()));
        }
        pollfd p{tubeSignal[0], POLLIN, 0};
        const int n = poll(&p, 1, attente);
        if (n < 0 && errno != EINTR) break;
        char code = -1;
        if (n > 0 && read(tubeSignal[0], &code, 1) != 1) continue;
        if (n == 0 || (code == SIGUSR2 && !branche)) {
            retourPrevu = false;
            if (!brancher()) {
                resultat = 1;
                break;
            }
        } else if (code == SIGINT || code == SIGTERM) {
            break;
        } else if (code == SIGUSR1 && branche) {
            retourPrevu = false;
            debrancher();
            ecrireReleve();
        } else if (code == EVENEMENT_DEPART && branche && pont.Parti()) {
            debrancher();
            ecrireReleve();
            retourPrevu = options.pont.absenceMs >= 0;
            retour = Horloge::now() + std::chrono::milliseconds(options.pont.absenceMs);
        }
    }
    if (branche) debrancher();
    EcrireVidages(appareil, options);
    ecrireReleve();
    return resultat;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!arguments.empty() && (arguments[0] == "--aide" || arguments[0] == "-h")) {
        std::printf("usage: zantrel_sim [options]\n%s", AideArguments());
        return 0;
    }
    OptionsSimulateur options;
    std::string erreur;
    if (!LireArguments(arguments, options, erreur)) {
        std::fprintf(stderr, "zantrel_sim: %s\nusage: zantrel_sim [options]\n%s", erreur.c_str(), AideArguments());
        return 2;
    }
    options.surAnomalie = [](const std::string& anomalie) {
        std::fprintf(stderr, "zantrel_sim: %s\n", anomalie.c_str());
    };
    if (!InstallerSignaux(options.pont.actif)) {
        std::perror("zantrel_sim: signals");
        return 1;
    }
    if (options.pont.actif) return ServirPont(options);
    Simulateur simulateur(options);
    if (!simulateur.Demarrer()) return 1;
    std::printf("%s\n", simulateur.CheminEsclave().c_str());
    std::fflush(stdout);
    AttendreFin();
    simulateur.Arreter();
    return 0;
}
