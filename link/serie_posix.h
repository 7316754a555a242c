// The termios form of the line settings, shared by the POSIX line and its tests.
#pragma once

#include <termios.h>

#include "link/ligne_serie.h"

// Turns t, the port's current settings, into the raw line that r describes. A rate without a
// Bxxx constant is left as t has it, for the arbitrary-rate call that follows on Linux.
// 0, or EINVAL for what termios cannot express (rate 0, mark or space parity, 1.5 stop bits,
// handshaking modem lines).
int ConstruireTermios(const ReglagesSerie& r, struct termios& t);
