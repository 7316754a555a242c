// The device's end of the serial line, as the simulated bootloader needs it.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <thread>

// A UART character's framing.
struct Trame {
    int bitsDonnees = 8;
    char parite = 'N';           // N none, O odd, E even, M mark, S space
    std::string bitsStop = "1";  // "1", "1.5" or "2"

    std::string Texte() const { return std::to_string(bitsDonnees) + parite + bitsStop; }  // "8E1"
    bool operator==(const Trame& b) const {
        return bitsDonnees == b.bitsDonnees && parite == b.parite && bitsStop == b.bitsStop;
    }
};

class LigneAppareil {
public:
    enum class Lecture { Octet, Delai, Fermee };

    virtual ~LigneAppareil() = default;

    // Waits for the PC's next byte; delaiMs < 0 waits until the line closes or is interrupted.
    virtual Lecture Lire(unsigned char& octet, int delaiMs) = 0;
    // All the bytes in one write: the PC finds them waiting together.
    virtual bool Ecrire(const unsigned char* octets, std::size_t nombre) = 0;
    // Data bits and rate (bit/s) the PC applied to its end; false when they cannot be read.
    virtual bool ReglagesPC(int& bitsDonnees, int& bauds) = 0;
    // The whole framing the PC applied, where the line carries parity and stop bits; false where
    // it carries none (a pseudo-terminal), and only data bits and rate then count.
    virtual bool TramePC(Trame&) { return false; }
    // Drops the line as a device being unplugged would: the PC's end sees a hang-up.
    virtual void Raccrocher() = 0;

    // The device's clock: the wall clock on a real line, the PC's own on a virtual one.
    using Horloge = std::chrono::steady_clock;
    virtual Horloge::time_point Maintenant() const { return Horloge::now(); }
    virtual void DormirJusqua(Horloge::time_point instant) { std::this_thread::sleep_until(instant); }
};
