// Line rates in bit/s through the kernel's arbitrary-rate interface (termios2 and BOTHER), so
// that rates without a Bxxx constant (14400, 56000, 128000, 256000) can be set and read back.
#pragma once

#include <cstdint>

// Sets both directions of the tty open on fd to bauds bit/s. False with errno set.
bool AppliquerDebitLibre(int fd, std::uint32_t bauds);

// The rate the tty open on fd runs at, in bit/s, whatever way it was set; 0 when input and
// output differ. False with errno set.
bool LireDebitLibre(int fd, std::uint32_t& bauds);
