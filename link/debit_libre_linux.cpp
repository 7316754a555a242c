// Kept apart from the rest of the line: <asm/termbits.h> clashes with <termios.h>.
#include "link/debit_libre_linux.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

bool AppliquerDebitLibre(int fd, std::uint32_t bauds) {
    struct termios2 t {};
    if (::ioctl(fd, TCGETS2, &t) != 0) return false;
    t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER;
    t.c_ispeed = bauds;
    t.c_ospeed = bauds;
    return ::ioctl(fd, TCSETS2, &t) == 0;
}

bool LireDebitLibre(int fd, std::uint32_t& bauds) {
    struct termios2 t {};
    if (::ioctl(fd, TCGETS2, &t) != 0) return false;
    // The kernel fills both speeds in bit/s, also for a rate set by its Bxxx constant.
    bauds = t.c_ispeed == t.c_ospeed ? t.c_ospeed : 0;
    return true;
}
