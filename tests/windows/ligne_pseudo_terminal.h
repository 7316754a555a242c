// The Windows serial line as the tests drive it over a pseudo-terminal.
// A pseudo-terminal carries no parity bit: Linux clears the bit, and then refuses (EINVAL,
// which Wine reports as 87) every further SetCommState that asks for it again. This line
// therefore hands kernel32 the settings without parity, keeps every record the link asked
// for, and passes everything else straight to the real line.
#pragma once

#include <memory>
#include <vector>

#include "link/ligne_serie.h"

struct JournalLigne {
    std::vector<DCB> reglagesDemandes;
    PoigneeSerie dernierPort = PORT_INVALIDE;
};

class LignePseudoTerminal final : public LigneSerie {
public:
    explicit LignePseudoTerminal(std::shared_ptr<JournalLigne> journal)
        : reelle_(CreerLigneSerie(nullptr)), journal_(std::move(journal)) {}

    PoigneeSerie Ouvrir(int numeroPort) override {
        journal_->dernierPort = reelle_->Ouvrir(numeroPort);
        return journal_->dernierPort;
    }
    bool LireReglages(PoigneeSerie port, ReglagesSerie& reglages) override {
        return reelle_->LireReglages(port, reglages);
    }
    bool AppliquerReglages(PoigneeSerie port, const ReglagesSerie& reglages) override {
        journal_->reglagesDemandes.push_back(reglages);
        DCB sansParite = reglages;
        sansParite.Parity = NOPARITY;
        sansParite.fParity = 0;
        return reelle_->AppliquerReglages(port, sansParite);
    }
    bool LireDelais(PoigneeSerie port, DelaisSerie& delais) override { return reelle_->LireDelais(port, delais); }
    bool AppliquerDelais(PoigneeSerie port, const DelaisSerie& delais) override {
        return reelle_->AppliquerDelais(port, delais);
    }
    bool Purger(PoigneeSerie port) override { return reelle_->Purger(port); }
    bool Lire(PoigneeSerie port, unsigned char* octet, std::size_t* lus) override {
        return reelle_->Lire(port, octet, lus);
    }
    bool Ecrire(PoigneeSerie port, const void* donnees, std::size_t longueur) override {
        return reelle_->Ecrire(port, donnees, longueur);
    }
    bool Fermer(PoigneeSerie port) override { return reelle_->Fermer(port); }
    int DerniereErreur() const override { return reelle_->DerniereErreur(); }
    void Dormir(int ms) override { reelle_->Dormir(ms); }
    std::uint64_t Tic() const override { return reelle_->Tic(); }

private:
    std::unique_ptr<LigneSerie> reelle_;
    std::shared_ptr<JournalLigne> journal_;
};
