// zantrel_sim: the simulated Zantrel bootloader on a pseudo-terminal.
// Prints the slave's path, answers until SIGINT/SIGTERM or the end of stdin, then dumps.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "sim/arguments.h"
#include "sim/simulateur.h"

namespace {

int tubeSignal[2] = {-1, -1};

void SurSignal(int) {
    const int erreur = errno;
    const char octet = 1;
    if (write(tubeSignal[1], &octet, 1) < 0) {
        // The pipe is full: a stop is already pending.
    }
    errno = erreur;
}

bool InstallerSignaux() {
    if (pipe(tubeSignal) != 0) return false;
    fcntl(tubeSignal[1], F_SETFL, O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = SurSignal;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
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
        std::fprintf(stderr, "zantrel_sim: %s\nusage: zantrel_sim [options]\n%s", erreur.c_str(),
                     AideArguments());
        return 2;
    }
    options.surAnomalie = [](const std::string& anomalie) {
        std::fprintf(stderr, "zantrel_sim: %s\n", anomalie.c_str());
    };
    if (!InstallerSignaux()) {
        std::perror("zantrel_sim: signals");
        return 1;
    }
    Simulateur simulateur(options);
    if (!simulateur.Demarrer()) return 1;
    std::printf("%s\n", simulateur.CheminEsclave().c_str());
    std::fflush(stdout);
    AttendreFin();
    simulateur.Arreter();
    return 0;
}
