// The serial line on POSIX systems: termios for the settings, poll() for the time-outs.
// A port is a tty device file; its COM number is turned into a path by the resolver.
#include "link/serie_posix.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <ctime>
#include <map>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include "link/codes_resultat.h"
#include "link/debit_libre_linux.h"

namespace {

// MAXDWORD in a time-out member: "return at once" for the interval, as on Windows.
constexpr std::uint32_t DELAI_AUCUN = 0xFFFFFFFFu;

struct DebitTermios {
    std::uint32_t bauds;
    speed_t code;
};

// The rates termios has a constant for. Any other rate (14400, 56000, 128000, 256000) is set
// through the kernel's arbitrary-rate interface.
constexpr DebitTermios DEBITS[] = {
    {50, B50},         {75, B75},     {110, B110},   {134, B134},     {150, B150},
    {200, B200},       {300, B300},   {600, B600},   {1200, B1200},   {1800, B1800},
    {2400, B2400},     {4800, B4800}, {9600, B9600}, {19200, B19200}, {38400, B38400},
#ifdef B57600
    {57600, B57600},
#endif
#ifdef B115200
    {115200, B115200},
#endif
#ifdef B230400
    {230400, B230400},
#endif
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B921600
    {921600, B921600},
#endif
};

bool CodeDebit(std::uint32_t bauds, speed_t* code) {
    for (const DebitTermios& d : DEBITS)
        if (d.bauds == bauds) {
            *code = d.code;
            return true;
        }
    return false;
}

// Pseudo-terminals have no modem lines, and their driver refuses TIOCMBIS/TIOCMBIC/TIOCMGET.
// They are told apart by the device number of the open file, not by its path: Unix98 slaves
// (/dev/pts/N) have the majors 136 to 143, the legacy BSD slaves (/dev/ttyp*) the major 3.
bool EstPseudoTerminal(int fd) {
    struct stat s {};
    if (::fstat(fd, &s) != 0 || !S_ISCHR(s.st_mode)) return false;
    const unsigned majeur = major(s.st_rdev);
    return (majeur >= 136 && majeur <= 143) || majeur == 3;
}

bool RefusDePseudoTerminal(int fd, int erreur) {
    return (erreur == ENOTTY || erreur == EINVAL) && EstPseudoTerminal(fd);
}

using Horloge = std::chrono::steady_clock;

// Milliseconds left before the deadline, for poll(); -1 waits without end.
int Restant(bool borne, Horloge::time_point echeance) {
    if (!borne) return -1;
    const auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(echeance - Horloge::now()).count();
    if (reste <= 0) return 0;
    return reste > INT_MAX ? INT_MAX : static_cast<int>(reste);
}

// Waits until fd is ready for the event: 1 ready, 0 out of time, -1 failed with errno set.
int Pret(int fd, short evenement, bool borne, Horloge::time_point echeance) {
    for (;;) {
        pollfd p{fd, evenement, 0};
        const int n = ::poll(&p, 1, Restant(borne, echeance));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n;
        if (p.revents & POLLNVAL) {
            errno = EBADF;
            return -1;
        }
        // A device that has gone reports a hang-up at once: that is a failure, not a
        // silence, so the caller learns it without waiting out the time-out.
        if (p.revents & evenement) return 1;
        errno = EIO;
        return -1;
    }
}

class LigneSeriePosix final : public LigneSerie {
public:
    explicit LigneSeriePosix(ResolveurPort resolveur) : resolveur_(std::move(resolveur)) {}

    ~LigneSeriePosix() override {
        for (const auto& p : ports_)
            ::close(p.first);
    }

    PoigneeSerie Ouvrir(int numeroPort) override {
        const std::string chemin = resolveur_ ? resolveur_(numeroPort) : std::string();
        if (chemin.empty()) {
            Echec(ENOENT);
            return PORT_INVALIDE;
        }
        // O_NONBLOCK: open must not wait for a carrier, and writes must not block past their
        // time-out. Every call still completes or times out before it returns.
        const int fd = ::open(chemin.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            Echec(errno);
            return PORT_INVALIDE;
        }
        // TIOCEXCL keeps other programs out, but not a privileged one; the lock also stops a
        // second open from this or any other program that locks its ports. The lock comes
        // first: exclusive mode belongs to the tty, and set by an open that then fails it would
        // lock the holder out of its own port.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
            const int erreur = errno == EWOULDBLOCK ? EBUSY : errno;
            ::close(fd);
            Echec(erreur);
            return PORT_INVALIDE;
        }
        ports_[fd] = EtatPort{};
        return fd;
    }

    bool LireReglages(PoigneeSerie port, ReglagesSerie& reglages) override {
        EtatPort* etat = Etat(port);
        if (etat == nullptr) return false;
        const int fd = static_cast<int>(port);
        struct termios t {};
        if (::tcgetattr(fd, &t) != 0) return Echec(errno);

        ReglagesSerie r;
        r.DCBlength = sizeof(ReglagesSerie);
        if (!LireDebitLibre(fd, r.BaudRate)) return Echec(errno);
        r.fBinary = 1;
        r.fParity = (t.c_iflag & INPCK) ? 1 : 0;
        r.fOutxCtsFlow = (t.c_cflag & CRTSCTS) ? 1 : 0;
        r.fOutX = (t.c_iflag & IXON) ? 1 : 0;
        r.fInX = (t.c_iflag & IXOFF) ? 1 : 0;
        switch (t.c_cflag & CSIZE) {
        case CS5: r.ByteSize = 5; break;
        case CS6: r.ByteSize = 6; break;
        case CS7: r.ByteSize = 7; break;
        default: r.ByteSize = 8; break;
        }
        if (t.c_cflag & PARENB)
            r.Parity = (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
        else
            r.Parity = NOPARITY;
        r.StopBits = (t.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
        r.XonChar = static_cast<char>(t.c_cc[VSTART]);
        r.XoffChar = static_cast<char>(t.c_cc[VSTOP]);

        int lignes = 0;
        if (::ioctl(fd, TIOCMGET, &lignes) == 0) {
            etat->dtr = (lignes & TIOCM_DTR) ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
            etat->rts = (lignes & TIOCM_RTS) ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
        } else if (!RefusDePseudoTerminal(fd, errno)) {
            return Echec(errno);
        }
        // On a pseudo-terminal the lines are those last asked for.
        r.fDtrControl = etat->dtr;
        r.fRtsControl = etat->rts;
        reglages = r;
        return true;
    }

    bool AppliquerReglages(PoigneeSerie port, const ReglagesSerie& r) override {
        EtatPort* etat = Etat(port);
        if (etat == nullptr) return false;
        const int fd = static_cast<int>(port);

        struct termios t {};
        if (::tcgetattr(fd, &t) != 0) return Echec(errno);
        const int erreur = ConstruireTermios(r, t);
        if (erreur != 0) return Echec(erreur);
        // A pseudo-terminal has no wire: its driver keeps 8 bits without parity whatever is
        // asked, and tcsetattr fails when none of what it asked for took. Ask only that.
        if (EstPseudoTerminal(fd)) {
            t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD);
            t.c_cflag |= CS8;
        }
        if (::tcsetattr(fd, TCSANOW, &t) != 0) return Echec(errno);
        speed_t code = 0;
        if (!CodeDebit(r.BaudRate, &code) && !AppliquerDebitLibre(fd, r.BaudRate)) return Echec(errno);

        // tcsetattr succeeds when any part was taken; a driver that dropped the rate or the
        // frame format must not pass for a line that is set.
        struct termios relu {};
        std::uint32_t debit = 0;
        if (::tcgetattr(fd, &relu) != 0 || !LireDebitLibre(fd, debit)) return Echec(errno);
        const tcflag_t cadre = CSIZE | PARENB | PARODD | CSTOPB;
        if (debit != r.BaudRate || (relu.c_cflag & cadre) != (t.c_cflag & cadre)) return Echec(EINVAL);

        if (!Ligne(fd, TIOCM_DTR, r.fDtrControl == DTR_CONTROL_ENABLE)) return false;
        if (!Ligne(fd, TIOCM_RTS, r.fRtsControl == RTS_CONTROL_ENABLE)) return false;
        etat->dtr = r.fDtrControl;
        etat->rts = r.fRtsControl;
        return true;
    }

    bool LireDelais(PoigneeSerie port, DelaisSerie& delais) override {
        EtatPort* etat = Etat(port);
        if (etat == nullptr) return false;
        delais = etat->delais;
        return true;
    }

    bool AppliquerDelais(PoigneeSerie port, const DelaisSerie& delais) override {
        EtatPort* etat = Etat(port);
        if (etat == nullptr) return false;
        etat->delais = delais;
        return true;
    }

    bool Purger(PoigneeSerie port) override {
        if (Etat(port) == nullptr) return false;
        if (::tcflush(static_cast<int>(port), TCIOFLUSH) != 0) return Echec(errno);
        return true;
    }

    bool Lire(PoigneeSerie port, unsigned char* octet, std::size_t* lus) override {
        *lus = 0;
        const EtatPort* etat = Etat(port);
        if (etat == nullptr) return false;
        const int fd = static_cast<int>(port);
        const DelaisSerie& d = etat->delais;

        // One byte asked for: the total is multiplier x 1 + constant. All zero waits for a
        // byte without end, unless the interval is MAXDWORD (return at once).
        const std::uint64_t total = std::uint64_t{d.ReadTotalTimeoutMultiplier} + d.ReadTotalTimeoutConstant;
        const bool borne = total != 0 || d.ReadIntervalTimeout == DELAI_AUCUN;
        const Horloge::time_point echeance = Horloge::now() + std::chrono::milliseconds(total);

        for (;;) {
            const int pret = Pret(fd, POLLIN, borne, echeance);
            if (pret < 0) return Echec(errno);
            if (pret == 0) return true;  // nothing in time: a read of no byte
            const ssize_t r = ::read(fd, octet, 1);
            if (r == 1) {
                *lus = 1;
                return true;
            }
            if (r == 0) return Echec(EIO);
            if (errno == EINTR || errno == EAGAIN) continue;
            return Echec(errno);
        }
    }

    bool Ecrire(PoigneeSerie port, const void* donnees, std::size_t longueur) override {
        const EtatPort* etat = Etat(port);
        if (etat == nullptr) return false;
        const int fd = static_cast<int>(port);
        const DelaisSerie& d = etat->delais;

        const std::uint64_t total =
            std::uint64_t{d.WriteTotalTimeoutMultiplier} * longueur + d.WriteTotalTimeoutConstant;
        const bool borne = total != 0;
        const Horloge::time_point echeance = Horloge::now() + std::chrono::milliseconds(total);

        const unsigned char* p = static_cast<const unsigned char*>(donnees);
        std::size_t reste = longueur;
        while (reste > 0) {
            const int pret = Pret(fd, POLLOUT, borne, echeance);
            if (pret < 0) return Echec(errno);
            if (pret == 0) return Echec(ETIMEDOUT);
            const ssize_t w = ::write(fd, p, reste);
            if (w < 0) {
                if (errno == EINTR || errno == EAGAIN) continue;
                return Echec(errno);
            }
            p += w;
            reste -= static_cast<std::size_t>(w);
        }
        return true;
    }

    bool Fermer(PoigneeSerie port) override {
        // Only a descriptor this line opened is closed: any other may belong to someone else.
        if (Etat(port) == nullptr) return false;
        const int fd = static_cast<int>(port);
        ports_.erase(fd);
        // Exclusive mode outlives the descriptor on a pseudo-terminal; give it up first.
        ::ioctl(fd, TIOCNXCL);
        if (::close(fd) != 0) return Echec(errno);
        return true;
    }

    int DerniereErreur() const override { return erreur_; }

    std::string CheminPeripherique(int numeroPort) const override {
        return resolveur_ ? resolveur_(numeroPort) : std::string();
    }

    void Dormir(int ms) override {
        if (ms <= 0) return;
        struct timespec reste {
            ms / 1000, static_cast<long>(ms % 1000) * 1000000L
        };
        while (::nanosleep(&reste, &reste) != 0 && errno == EINTR) {}
    }

    std::uint64_t Tic() const override {
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Horloge::now().time_since_epoch()).count());
    }

private:
    struct EtatPort {
        DelaisSerie delais;
        // POSIX raises both lines when a port opens.
        std::uint32_t dtr = DTR_CONTROL_ENABLE;
        std::uint32_t rts = RTS_CONTROL_ENABLE;
    };

    bool Echec(int erreur) {
        erreur_ = EstErreurSysteme(erreur) ? erreur : EIO;
        return false;
    }

    EtatPort* Etat(PoigneeSerie port) {
        if (port >= 0 && port <= INT_MAX) {
            const auto it = ports_.find(static_cast<int>(port));
            if (it != ports_.end()) return &it->second;
        }
        Echec(EBADF);
        return nullptr;
    }

    bool Ligne(int fd, int ligne, bool active) {
        if (::ioctl(fd, active ? TIOCMBIS : TIOCMBIC, &ligne) == 0) return true;
        if (RefusDePseudoTerminal(fd, errno)) return true;
        return Echec(errno);
    }

    ResolveurPort resolveur_;
    std::map<int, EtatPort> ports_;
    int erreur_ = 0;
};

}  // namespace

int ConstruireTermios(const ReglagesSerie& r, struct termios& t) {
    speed_t debit = 0;
    tcflag_t taille = 0;
    if (r.BaudRate == 0) return EINVAL;  // B0 would hang the line up
    switch (r.ByteSize) {
    case 5: taille = CS5; break;
    case 6: taille = CS6; break;
    case 7: taille = CS7; break;
    case 8: taille = CS8; break;
    default: return EINVAL;
    }
    // Mark and space parity and 1.5 stop bits have no termios form.
    if (r.Parity != NOPARITY && r.Parity != ODDPARITY && r.Parity != EVENPARITY) return EINVAL;
    if (r.StopBits != ONESTOPBIT && r.StopBits != TWOSTOPBITS) return EINVAL;
    if (r.fDtrControl != DTR_CONTROL_DISABLE && r.fDtrControl != DTR_CONTROL_ENABLE) return EINVAL;
    if (r.fRtsControl != RTS_CONTROL_DISABLE && r.fRtsControl != RTS_CONTROL_ENABLE) return EINVAL;

    ::cfmakeraw(&t);
    t.c_iflag &= ~static_cast<tcflag_t>(INPCK | IXON | IXOFF | IXANY);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    t.c_cflag |= taille | CLOCAL | CREAD;
    if (r.Parity != NOPARITY) {
        t.c_cflag |= PARENB;
        if (r.Parity == ODDPARITY) t.c_cflag |= PARODD;
        if (r.fParity) t.c_iflag |= INPCK;
    }
    if (r.StopBits == TWOSTOPBITS) t.c_cflag |= CSTOPB;
    if (r.fOutxCtsFlow) t.c_cflag |= CRTSCTS;
    if (r.fOutX) t.c_iflag |= IXON;
    if (r.fInX) t.c_iflag |= IXOFF;
    if (r.fOutX || r.fInX) {
        t.c_cc[VSTART] = static_cast<cc_t>(r.XonChar);
        t.c_cc[VSTOP] = static_cast<cc_t>(r.XoffChar);
    }
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (!CodeDebit(r.BaudRate, &debit)) return 0;  // left as it is until AppliquerDebitLibre
    if (::cfsetispeed(&t, debit) != 0 || ::cfsetospeed(&t, debit) != 0) return EINVAL;
    return 0;
}

std::unique_ptr<LigneSerie> CreerLigneSerie(ResolveurPort resolveur) {
    return std::make_unique<LigneSeriePosix>(std::move(resolveur));
}
