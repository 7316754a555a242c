// The platform's serial calls, as the link needs them: one small interface,
// implemented by serie_posix.cpp (termios) and, on Windows, by serie_win32.cpp (kernel32).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#ifdef _WIN32
#include <windows.h>
using ReglagesSerie = DCB;         // line settings, as SetCommState takes them
using DelaisSerie = COMMTIMEOUTS;  // time-outs, as SetCommTimeouts takes them
#else
// The same members as the Windows records, so that the link fills them the same way.
struct ReglagesSerie {
    std::uint32_t DCBlength = sizeof(ReglagesSerie);
    std::uint32_t BaudRate = 0;
    std::uint32_t fBinary : 1;
    std::uint32_t fParity : 1;
    std::uint32_t fOutxCtsFlow : 1;
    std::uint32_t fOutxDsrFlow : 1;
    std::uint32_t fDtrControl : 2;
    std::uint32_t fDsrSensitivity : 1;
    std::uint32_t fTXContinueOnXoff : 1;
    std::uint32_t fOutX : 1;
    std::uint32_t fInX : 1;
    std::uint32_t fErrorChar : 1;
    std::uint32_t fNull : 1;
    std::uint32_t fRtsControl : 2;
    std::uint32_t fAbortOnError : 1;
    std::uint32_t fDummy2 : 17;
    std::uint16_t wReserved = 0;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 8;
    std::uint8_t Parity = 0;
    std::uint8_t StopBits = 0;
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    std::uint16_t wReserved1 = 0;
    ReglagesSerie()
        : fBinary(0), fParity(0), fOutxCtsFlow(0), fOutxDsrFlow(0), fDtrControl(0), fDsrSensitivity(0),
          fTXContinueOnXoff(0), fOutX(0), fInX(0), fErrorChar(0), fNull(0), fRtsControl(0), fAbortOnError(0),
          fDummy2(0) {}
};

struct DelaisSerie {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

inline constexpr std::uint32_t DTR_CONTROL_DISABLE = 0;
inline constexpr std::uint32_t DTR_CONTROL_ENABLE = 1;
inline constexpr std::uint32_t RTS_CONTROL_DISABLE = 0;
inline constexpr std::uint32_t RTS_CONTROL_ENABLE = 1;
inline constexpr std::uint8_t NOPARITY = 0;
inline constexpr std::uint8_t ODDPARITY = 1;
inline constexpr std::uint8_t EVENPARITY = 2;
inline constexpr std::uint8_t ONESTOPBIT = 0;
inline constexpr std::uint8_t TWOSTOPBITS = 2;
#endif

// A handle on an open port; PORT_INVALIDE when closed.
using PoigneeSerie = std::intptr_t;
inline constexpr PoigneeSerie PORT_INVALIDE = -1;

// Each call mirrors one platform call; a false result leaves the reason in DerniereErreur(),
// a system error code (EstErreurSysteme in link/codes_resultat.h).
class LigneSerie {
public:
    virtual ~LigneSerie() = default;

    // Opens COM<numeroPort> exclusively, for synchronous reads and writes.
    virtual PoigneeSerie Ouvrir(int numeroPort) = 0;
    virtual bool LireReglages(PoigneeSerie port, ReglagesSerie& reglages) = 0;
    virtual bool AppliquerReglages(PoigneeSerie port, const ReglagesSerie& reglages) = 0;
    virtual bool LireDelais(PoigneeSerie port, DelaisSerie& delais) = 0;
    virtual bool AppliquerDelais(PoigneeSerie port, const DelaisSerie& delais) = 0;
    // Discards what is pending in both directions.
    virtual bool Purger(PoigneeSerie port) = 0;
    // Reads at most one byte within the read time-outs; *lus = 0 when none came in time.
    virtual bool Lire(PoigneeSerie port, unsigned char* octet, std::size_t* lus) = 0;
    // Writes every byte, or fails.
    virtual bool Ecrire(PoigneeSerie port, const void* donnees, std::size_t longueur) = 0;
    virtual bool Fermer(PoigneeSerie port) = 0;
    virtual int DerniereErreur() const = 0;
    virtual void Dormir(int ms) = 0;
    // Milliseconds on a monotonic clock.
    virtual std::uint64_t Tic() const = 0;
    // The device that COM<numeroPort> stands for on this PC, to name it to the user; empty
    // when the line cannot tell.
    virtual std::string CheminPeripherique(int) const { return std::string(); }
};

// COM number to the device to open; empty when the number names no device.
using ResolveurPort = std::function<std::string(int numeroPort)>;

// The platform's serial line. The resolver is used where ports are files (POSIX);
// on Windows the line opens "\\.\COMn" itself.
std::unique_ptr<LigneSerie> CreerLigneSerie(ResolveurPort resolveur);
