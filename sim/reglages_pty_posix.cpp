// Kept apart: <asm/termbits.h> clashes with <termios.h>, and only its termios2 gives the
// real rate when the PC asked for one without a Bxxx constant.
#include "sim/reglages_pty.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

bool LireReglagesPty(int descripteur, int& bitsDonnees, int& bauds) {
    struct termios2 t {};
    if (ioctl(descripteur, TCGETS2, &t) != 0) return false;
    switch (t.c_cflag & CSIZE) {
    case CS5: bitsDonnees = 5; break;
    case CS6: bitsDonnees = 6; break;
    case CS7: bitsDonnees = 7; break;
    default: bitsDonnees = 8; break;
    }
    // An input rate of 0 means "same as output"; a split rate suits no device.
    const bool memeVitesse = t.c_ispeed == 0 || t.c_ispeed == t.c_ospeed;
    bauds = memeVitesse ? static_cast<int>(t.c_ospeed) : 0;
    return true;
}
