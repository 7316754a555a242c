#include "sim/ligne_pty.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include "sim/reglages_pty.h"

namespace {

// Short enough for a prompt Interrompre(), long enough not to spin.
constexpr int TRANCHE_ATTENTE_MS = 20;
constexpr int DELAI_ECRITURE_MS = 1000;
// Bound on waiting for the PC to take the last bytes before a hang-up.
constexpr int DELAI_VIDAGE_MS = 1000;
constexpr int DELAI_ARRIVEE_MS = 100;

std::string Raison(const char* appel) { return std::string(appel) + ": " + std::strerror(errno); }

}  // namespace

std::unique_ptr<LignePty> LignePty::Ouvrir(std::string& erreur) {
    const int maitre = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (maitre < 0) {
        erreur = Raison("posix_openpt");
        return nullptr;
    }
    char chemin[128] = {};
    if (grantpt(maitre) != 0 || unlockpt(maitre) != 0 || ptsname_r(maitre, chemin, sizeof chemin) != 0) {
        erreur = Raison("pseudo-terminal");
        close(maitre);
        return nullptr;
    }
    const int esclave = open(chemin, O_RDWR | O_NOCTTY);
    if (esclave < 0) {
        erreur = Raison("open slave");
        close(maitre);
        return nullptr;
    }
    // Raw bytes both ways, but the rate left as the system made it: the PC must set its own.
    struct termios t {};
    if (tcgetattr(esclave, &t) == 0) {
        const speed_t vitesse = cfgetospeed(&t);
        cfmakeraw(&t);
        cfsetspeed(&t, vitesse);
        tcsetattr(esclave, TCSANOW, &t);
    }
    return std::unique_ptr<LignePty>(new LignePty(maitre, esclave, chemin));
}

LignePty::LignePty(int maitre, int esclave, std::string cheminEsclave)
    : maitre_(maitre), esclave_(esclave), cheminEsclave_(std::move(cheminEsclave)) {}

LignePty::~LignePty() { Fermer(); }

LigneAppareil::Lecture LignePty::Lire(unsigned char& octet, int delaiMs) {
    using Horloge = std::chrono::steady_clock;
    const auto limite = Horloge::now() + std::chrono::milliseconds(delaiMs < 0 ? 0 : delaiMs);
    for (;;) {
        if (interrompu_ || maitre_ < 0) return Lecture::Fermee;
        if (!recus_.empty()) {
            octet = recus_.front();
            recus_.pop_front();
            return Lecture::Octet;
        }
        int attente = TRANCHE_ATTENTE_MS;
        if (delaiMs >= 0) {
            const auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(limite - Horloge::now()).count();
            if (reste <= 0) return Lecture::Delai;
            if (reste < attente) attente = static_cast<int>(reste);
        }
        pollfd p{maitre_, POLLIN, 0};
        const int n = poll(&p, 1, attente);
        if (n < 0 && errno != EINTR) return Lecture::Fermee;
        if (n <= 0) continue;
        if (p.revents & (POLLERR | POLLNVAL)) return Lecture::Fermee;
        unsigned char tampon[256];
        const ssize_t lus = read(maitre_, tampon, sizeof tampon);
        if (lus > 0) {
            recus_.insert(recus_.end(), tampon, tampon + lus);
        } else if (lus == 0 || (errno != EAGAIN && errno != EINTR)) {
            return Lecture::Fermee;
        }
    }
}

bool LignePty::Ecrire(const unsigned char* octets, std::size_t nombre) {
    if (maitre_ < 0) return false;
    for (;;) {
        const ssize_t n = write(maitre_, octets, nombre);
        if (n == static_cast<ssize_t>(nombre)) return true;
        if (n > 0) {
            octets += n;
            nombre -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return false;
        pollfd p{maitre_, POLLOUT, 0};
        if (poll(&p, 1, DELAI_ECRITURE_MS) <= 0) return false;
    }
}

bool LignePty::ReglagesPC(int& bitsDonnees, int& bauds) {
    return maitre_ >= 0 && LireReglagesPty(maitre_, bitsDonnees, bauds);
}

// A device unplugged after its last answer: that answer has reached the PC by then,
// whereas closing a pty master discards what the slave has not read yet. Bytes written to
// the master reach the slave's queue a little later, hence the wait to see them first.
void LignePty::Raccrocher() {
    using Horloge = std::chrono::steady_clock;
    const auto debut = Horloge::now();
    bool vus = false;
    int enAttente = 0;
    while (esclave_ >= 0 && !interrompu_ && ioctl(esclave_, TIOCINQ, &enAttente) == 0) {
        const auto ecoule = Horloge::now() - debut;
        if (enAttente > 0) vus = true;
        if (enAttente == 0 && (vus || ecoule > std::chrono::milliseconds(DELAI_ARRIVEE_MS))) break;
        if (ecoule > std::chrono::milliseconds(DELAI_VIDAGE_MS)) break;
        poll(nullptr, 0, 2);
    }
    Fermer();
}

void LignePty::Fermer() {
    if (esclave_ >= 0) close(esclave_);
    if (maitre_ >= 0) close(maitre_);
    esclave_ = -1;
    maitre_ = -1;
}
