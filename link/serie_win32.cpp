// The serial line on Windows: kernel32's communications calls on "\\.\COMn".
#include "link/ligne_serie.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HANDLE VersHandle(PoigneeSerie port) { return reinterpret_cast<HANDLE>(port); }

class LigneSerieWin32 final : public LigneSerie {
public:
    PoigneeSerie Ouvrir(int numeroPort) override {
        // The device namespace name, so that COM10 and above open like COM1.
        char nom[32];
        std::snprintf(nom, sizeof nom, "\\\\.\\COM%i", numeroPort);
        const HANDLE port = CreateFileA(nom, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (port == INVALID_HANDLE_VALUE) {
            NoterErreur();
            return PORT_INVALIDE;
        }
        return reinterpret_cast<PoigneeSerie>(port);
    }

    bool LireReglages(PoigneeSerie port, ReglagesSerie& reglages) override {
        reglages.DCBlength = sizeof(DCB);
        return Verifier(GetCommState(VersHandle(port), &reglages));
    }

    bool AppliquerReglages(PoigneeSerie port, const ReglagesSerie& reglages) override {
        // SetCommState takes a non-const DCB; it does not change it.
        DCB copie = reglages;
        return Verifier(SetCommState(VersHandle(port), &copie));
    }

    bool LireDelais(PoigneeSerie port, DelaisSerie& delais) override {
        return Verifier(GetCommTimeouts(VersHandle(port), &delais));
    }

    bool AppliquerDelais(PoigneeSerie port, const DelaisSerie& delais) override {
        COMMTIMEOUTS copie = delais;
        return Verifier(SetCommTimeouts(VersHandle(port), &copie));
    }

    bool Purger(PoigneeSerie port) override {
        constexpr DWORD tout = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
        static_assert(tout == 15, "the line is purged in both directions, pending I/O included");
        return Verifier(PurgeComm(VersHandle(port), tout));
    }

    bool Lire(PoigneeSerie port, unsigned char* octet, std::size_t* lus) override {
        *lus = 0;
        DWORD nombre = 0;
        if (!Verifier(ReadFile(VersHandle(port), octet, 1, &nombre, nullptr))) return false;
        *lus = nombre;
        return true;
    }

    bool Ecrire(PoigneeSerie port, const void* donnees, std::size_t longueur) override {
        if (longueur > MAXDWORD) {
            erreur_ = ERROR_INVALID_PARAMETER;
            return false;
        }
        DWORD ecrits = 0;
        if (!Verifier(WriteFile(VersHandle(port), donnees, static_cast<DWORD>(longueur), &ecrits, nullptr)))
            return false;
        // A synchronous write that returns short has run out of its write time-out.
        if (ecrits != longueur) {
            erreur_ = ERROR_COUNTER_TIMEOUT;
            return false;
        }
        return true;
    }

    bool Fermer(PoigneeSerie port) override { return Verifier(CloseHandle(VersHandle(port))); }

    int DerniereErreur() const override { return erreur_; }

    std::string CheminPeripherique(int numeroPort) const override { return "COM" + std::to_string(numeroPort); }

    void Dormir(int ms) override {
        // Sleep takes an unsigned count: a negative wait would be INFINITE.
        Sleep(ms > 0 ? static_cast<DWORD>(ms) : 0);
    }

    std::uint64_t Tic() const override { return GetTickCount64(); }

private:
    bool Verifier(BOOL reussi) {
        if (!reussi) NoterErreur();
        return reussi != FALSE;
    }

    void NoterErreur() {
        const DWORD code = GetLastError();
        // A failure must never read as success, whatever the driver left behind.
        erreur_ = code != ERROR_SUCCESS ? static_cast<int>(code) : ERROR_GEN_FAILURE;
    }

    int erreur_ = 0;
};

}  // namespace

std::unique_ptr<LigneSerie> CreerLigneSerie(ResolveurPort) { return std::make_unique<LigneSerieWin32>(); }
