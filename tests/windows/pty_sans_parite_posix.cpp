// Preloaded into Wine by make check-windows-gui, so that the unchanged wizard can talk to the
// simulated device's pseudo-terminal: a pseudo-terminal carries no parity bit, and Linux refuses
// (EINVAL) a tcsetattr that asks for one, so Wine's SetCommState with even parity would fail. On a
// pseudo-terminal the parity is dropped from the request; every other call goes through unchanged.
#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

namespace {

// The slaves of Unix 98 pseudo-terminals have majors 136 to 143.
bool PseudoTerminal(int fd)
{
    struct stat etat {};
    return fstat(fd, &etat) == 0 && S_ISCHR(etat.st_mode) && major(etat.st_rdev) >= 136 && major(etat.st_rdev) <= 143;
}

}  // namespace

extern "C" int tcsetattr(int fd, int quand, const struct termios* reglages)
{
    using Tcsetattr = int (*)(int, int, const struct termios*);
    static const auto reel = reinterpret_cast<Tcsetattr>(dlsym(RTLD_NEXT, "tcsetattr"));
    if (reglages == nullptr || !(reglages->c_cflag & (PARENB | PARODD)) || !PseudoTerminal(fd))
        return reel(fd, quand, reglages);
    struct termios sansParite = *reglages;
    sansParite.c_cflag &= ~tcflag_t(PARENB | PARODD);
    sansParite.c_iflag &= ~tcflag_t(INPCK);
    return reel(fd, quand, &sansParite);
}
