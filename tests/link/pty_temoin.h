// Test doubles around the real POSIX line: a pseudo-terminal whose master plays the device,
// a responder thread that answers command bytes, and a line that records and breaks calls.
#pragma once

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/Com_p07_v1_2.h"
#include "link/ligne_serie.h"

class PairePty {
public:
    PairePty();
    ~PairePty();
    PairePty(const PairePty&) = delete;
    PairePty& operator=(const PairePty&) = delete;

    const std::string& CheminEsclave() const { return esclave_; }
    int Maitre() const { return maitre_; }
    void Envoyer(const std::string& octets);
    // What the PC sent, until the line has been quiet for silenceMs.
    std::string Recevoir(int silenceMs = 150);
    // The device goes away: the PC's end sees a hang-up.
    void Raccrocher();

private:
    int maitre_ = -1;
    std::string esclave_;
};

// Answers each listed command byte with its reply; records every byte the PC sends.
class Repondeur {
public:
    explicit Repondeur(PairePty& pty);
    ~Repondeur();
    void Repondre(unsigned char commande, const std::string& reponse);
    void Taire(unsigned char commande);
    // What the PC sent since the last call, once the line has been quiet a moment.
    std::string Prendre();

private:
    void Servir();

    PairePty& pty_;
    mutable std::mutex verrou_;
    std::map<unsigned char, std::string> reponses_;
    std::string recu_;
    std::atomic<bool> fin_{false};
    std::thread fil_;
};

// What a LigneTemoin saw, shared with the test once the link owns the line.
struct JournalLigne {
    std::vector<std::string> appels;
    std::vector<int> portsDemandes;
    // One failure to come: call name, successful calls of that name before it, error.
    std::string panne;
    int reussitesAvantPanne = 0;
    int erreurPanne = 0;
};

class LigneTemoin final : public LigneSerie {
public:
    LigneTemoin(std::unique_ptr<LigneSerie> reelle, std::shared_ptr<JournalLigne> journal)
        : reelle_(std::move(reelle)), journal_(std::move(journal)) {}

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
    std::uint64_t Tic() const override { return reelle_->Tic(); }

private:
    // Records the call; true when it is the one to break.
    bool Casser(const char* appel);

    std::unique_ptr<LigneSerie> reelle_;
    std::shared_ptr<JournalLigne> journal_;
    int erreurForcee_ = 0;
};

// A link whose every port number opens the given device.
std::unique_ptr<ComP07> LienVers(const std::string& chemin, std::shared_ptr<JournalLigne> journal = nullptr);

// Milliseconds taken by f().
template <class F>
long long DureeMs(F&& f) {
    const auto debut = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - debut).count();
}
