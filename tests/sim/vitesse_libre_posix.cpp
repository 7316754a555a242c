// termios2 lets the test PC ask for any rate, as a PC using BOTHER does.
#include <asm/termbits.h>
#include <sys/ioctl.h>

bool ReglerVitesseLibre(int fd, int bauds) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return false;
    t.c_cflag &= ~CBAUD;
    t.c_cflag |= BOTHER;
    t.c_ispeed = static_cast<speed_t>(bauds);
    t.c_ospeed = static_cast<speed_t>(bauds);
    return ioctl(fd, TCSETS2, &t) == 0;
}
