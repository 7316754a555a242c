// The serial line to the simulated device in the same process, on a virtual clock: the PC's
// waits and time-outs and the device's own timings cost no wall time. The device answers on a
// thread of its own, but the two ends take turns, so that a run is the same every time.
#pragma once

#include <memory>
#include <string>

#include "link/ligne_serie.h"
#include "sim/appareil.h"

class LigneVirtuelle : public LigneSerie {
public:
    // The device powers up at the first open, and again at the open after its power went.
    // chemin: the device file the line names for the port.
    explicit LigneVirtuelle(std::shared_ptr<Appareil> appareil, std::string chemin = {});
    ~LigneVirtuelle() override;
    LigneVirtuelle(const LigneVirtuelle&) = delete;
    LigneVirtuelle& operator=(const LigneVirtuelle&) = delete;

    PoigneeSerie Ouvrir(int numeroPort) override;
    bool LireReglages(PoigneeSerie port, ReglagesSerie& reglages) override;
    bool AppliquerReglages(PoigneeSerie port, const ReglagesSerie& reglages) override;
    bool LireDelais(PoigneeSerie port, DelaisSerie& delais) override;
    bool AppliquerDelais(PoigneeSerie port, const DelaisSerie& delais) override;
    bool Purger(PoigneeSerie port) override;
    bool Lire(PoigneeSerie port, unsigned char* octet, std::size_t* lus) override;
    bool Ecrire(PoigneeSerie port, const void* donnees, std::size_t longueur) override;
    bool Fermer(PoigneeSerie port) override;
    int DerniereErreur() const override;
    void Dormir(int ms) override;
    std::uint64_t Tic() const override;
    std::string CheminPeripherique(int) const override;

    bool PortOuvert() const;

private:
    struct Etat;
    class CoteAppareil;
    template <typename T>
    bool Copier(const T& de, T& vers);
    std::unique_ptr<Etat> etat_;
};
