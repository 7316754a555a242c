// Preloaded into Wine by make check-windows-gui. Wine sets a COM port's line with tcgetattr and
// tcsetattr, and its DTR and RTS with the modem-line ioctls. Before each setting reaches the
// terminal, this records it in the file that ZANTREL_RELEVE_LIGNE names, then the bytes written
// under it, one line each:
//   line /dev/pts/3 9600 8E1 rtscts=0 ixon=0 ixoff=0
//   modem /dev/pts/3 dtr=0 rts=1
//   write /dev/pts/3 12
// A pseudo-terminal has neither parity nor modem lines: Linux keeps it at 8 data bits without
// parity, and glibc's tcsetattr then fails (EINVAL) when parity is asked. On a pseudo-terminal the
// frame asked is therefore kept here and handed back when Wine reads the settings again, only the
// rest reaches the terminal, and the modem lines are kept here; every other call goes through.
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

constexpr tcflag_t CADRE = CSIZE | PARENB | PARODD | CMSPAR;

struct Terminal {
    std::atomic<dev_t> numero{0};
    char nom[64] = "";
    bool pseudo = false;
    bool cadreDemande = false;  // pseudo-terminal: a frame was asked and is kept in cadre
    tcflag_t cadre = 0;
    tcflag_t controleParite = 0;         // INPCK as asked
    int lignes = TIOCM_DTR | TIOCM_RTS;  // pseudo-terminal: raised, as by an open
};

Terminal terminaux[8];
std::atomic<int> nombreTerminaux{0};
std::mutex verrou;  // adding terminals and their kept state
char releve[PATH_MAX] = "";

// The C library's own calls, found once the library is loaded (and on first use before that).
int (*tcsetattrReel)(int, int, const struct termios*);
int (*tcgetattrReel)(int, struct termios*);
int (*ioctlReel)(int, unsigned long, void*);
ssize_t (*writeReel)(int, const void*, size_t);

template <typename F>
F Reel(F& fonction, const char* nom) {
    if (fonction == nullptr) fonction = reinterpret_cast<F>(dlsym(RTLD_NEXT, nom));
    return fonction;
}

__attribute__((constructor)) void Demarrer() {
    Reel(tcsetattrReel, "tcsetattr");
    Reel(tcgetattrReel, "tcgetattr");
    Reel(ioctlReel, "ioctl");
    Reel(writeReel, "write");
    if (const char* chemin = std::getenv("ZANTREL_RELEVE_LIGNE")) std::snprintf(releve, sizeof releve, "%s", chemin);
}

__attribute__((format(printf, 1, 2))) void Noter(const char* format, ...) {
    if (releve[0] == '\0') return;
    char ligne[160];
    va_list arguments;
    va_start(arguments, format);
    const int n = std::vsnprintf(ligne, sizeof ligne, format, arguments);
    va_end(arguments);
    // One write in append mode: lines from Wine's threads and processes never mix.
    const int fd = n > 0 ? open(releve, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644) : -1;
    if (fd < 0) return;
    Reel(writeReel, "write")(fd, ligne,
                             static_cast<size_t>(n) < sizeof ligne ? static_cast<size_t>(n) : sizeof ligne - 1);
    close(fd);
}

Terminal* Trouver(dev_t numero) {
    const int n = nombreTerminaux.load(std::memory_order_acquire);
    for (int i = 0; i < n; ++i)
        if (terminaux[i].numero.load(std::memory_order_relaxed) == numero) return &terminaux[i];
    return nullptr;
}

// The terminal behind fd, known from then on; null for anything else. Called under the lock.
Terminal* Suivre(int fd) {
    struct stat etat {};
    if (fstat(fd, &etat) != 0 || !S_ISCHR(etat.st_mode) || !isatty(fd)) return nullptr;
    if (Terminal* t = Trouver(etat.st_rdev)) return t;
    const int n = nombreTerminaux.load(std::memory_order_relaxed);
    if (n == static_cast<int>(sizeof terminaux / sizeof terminaux[0])) return nullptr;
    Terminal& t = terminaux[n];
    char lien[32];
    std::snprintf(lien, sizeof lien, "/proc/self/fd/%d", fd);
    const ssize_t longueur = readlink(lien, t.nom, sizeof t.nom - 1);
    t.nom[longueur > 0 ? longueur : 0] = '\0';
    // The slaves of Unix 98 pseudo-terminals have majors 136 to 143.
    t.pseudo = major(etat.st_rdev) >= 136 && major(etat.st_rdev) <= 143;
    t.numero.store(etat.st_rdev, std::memory_order_relaxed);
    nombreTerminaux.store(n + 1, std::memory_order_release);
    return &t;
}

unsigned Debit(const struct termios& r) {
    static constexpr unsigned bas[] = {0,   50,   75,   110,  134,  150,  200,   300,
                                       600, 1200, 1800, 2400, 4800, 9600, 19200, 38400};
    static constexpr unsigned hauts[] = {0,       57600,   115200,  230400,  460800,  500000,  576000,  921600,
                                         1000000, 1152000, 1500000, 2000000, 2500000, 3000000, 3500000, 4000000};
    const speed_t code = cfgetospeed(&r);
    return (code & CBAUDEX) ? hauts[code & 017] : bas[code & 017];
}

char Parite(tcflag_t c) {
    if (!(c & PARENB)) return 'N';
    if (c & CMSPAR) return (c & PARODD) ? 'M' : 'S';
    return (c & PARODD) ? 'O' : 'E';
}

}  // namespace

extern "C" int tcsetattr(int fd, int quand, const struct termios* reglages) {
    const auto reel = Reel(tcsetattrReel, "tcsetattr");
    if (reglages == nullptr) return reel(fd, quand, reglages);
    const tcflag_t c = reglages->c_cflag;
    Terminal* t = nullptr;
    {
        std::lock_guard<std::mutex> garde(verrou);
        t = Suivre(fd);
        if (t != nullptr && t->pseudo) {
            t->cadreDemande = true;
            t->cadre = c & CADRE;
            t->controleParite = reglages->c_iflag & INPCK;
        }
    }
    if (t == nullptr) return reel(fd, quand, reglages);
    Noter("line %s %u %u%c%c rtscts=%d ixon=%d ixoff=%d\n", t->nom, Debit(*reglages),
          (c & CSIZE) == CS5   ? 5
          : (c & CSIZE) == CS6 ? 6
          : (c & CSIZE) == CS7 ? 7
                               : 8,
          Parite(c), (c & CSTOPB) ? '2' : '1', (c & CRTSCTS) ? 1 : 0, (reglages->c_iflag & IXON) ? 1 : 0,
          (reglages->c_iflag & IXOFF) ? 1 : 0);
    if (!t->pseudo) return reel(fd, quand, reglages);
    struct termios surPseudo = *reglages;
    surPseudo.c_cflag = (c & ~CADRE) | CS8;
    surPseudo.c_iflag &= ~tcflag_t(INPCK);
    return reel(fd, quand, &surPseudo);
}

extern "C" int tcgetattr(int fd, struct termios* reglages) {
    const auto reel = Reel(tcgetattrReel, "tcgetattr");
    const int resultat = reel(fd, reglages);
    if (resultat != 0 || nombreTerminaux.load(std::memory_order_acquire) == 0) return resultat;
    std::lock_guard<std::mutex> garde(verrou);
    struct stat etat {};
    Terminal* t = fstat(fd, &etat) == 0 ? Trouver(etat.st_rdev) : nullptr;
    if (t != nullptr && t->cadreDemande) {
        reglages->c_cflag = (reglages->c_cflag & ~CADRE) | t->cadre;
        reglages->c_iflag = (reglages->c_iflag & ~tcflag_t(INPCK)) | t->controleParite;
    }
    return resultat;
}

extern "C" int ioctl(int fd, unsigned long requete, ...) {
    const auto reel = Reel(ioctlReel, "ioctl");
    va_list arguments;
    va_start(arguments, requete);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    if (requete != TIOCMGET && requete != TIOCMSET && requete != TIOCMBIS && requete != TIOCMBIC)
        return reel(fd, requete, argument);
    std::unique_lock<std::mutex> garde(verrou);
    Terminal* t = Suivre(fd);
    if (t == nullptr) return reel(fd, requete, argument);
    int* valeur = static_cast<int*>(argument);
    if (requete == TIOCMGET) {
        if (!t->pseudo) return reel(fd, requete, argument);
        *valeur = t->lignes;
        return 0;
    }
    int avant = t->lignes;
    if (!t->pseudo && reel(fd, TIOCMGET, &avant) != 0) avant = 0;
    const int apres = requete == TIOCMSET ? *valeur : requete == TIOCMBIS ? avant | *valeur : avant & ~*valeur;
    t->lignes = apres;
    garde.unlock();
    Noter("modem %s dtr=%d rts=%d\n", t->nom, (apres & TIOCM_DTR) ? 1 : 0, (apres & TIOCM_RTS) ? 1 : 0);
    return t->pseudo ? 0 : reel(fd, requete, argument);
}

extern "C" ssize_t write(int fd, const void* donnees, size_t longueur) {
    const auto reel = Reel(writeReel, "write");
    const ssize_t ecrits = reel(fd, donnees, longueur);
    // Lock-free: Wine writes to its server from signal handlers too.
    struct stat etat {};
    if (ecrits <= 0 || nombreTerminaux.load(std::memory_order_acquire) == 0 || fstat(fd, &etat) != 0 ||
        !S_ISCHR(etat.st_mode))
        return ecrits;
    if (const Terminal* t = Trouver(etat.st_rdev)) Noter("write %s %zd\n", t->nom, ecrits);
    return ecrits;
}
