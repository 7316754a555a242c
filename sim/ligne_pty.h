// The device's end of the line on the master side of a pseudo-terminal.
#pragma once

#include <atomic>
#include <deque>
#include <memory>
#include <string>

#include "sim/ligne_appareil.h"

class LignePty : public LigneAppareil {
public:
    // Opens a new pseudo-terminal; nullptr (and the reason in erreur) when it cannot.
    static std::unique_ptr<LignePty> Ouvrir(std::string& erreur);
    ~LignePty() override;
    LignePty(const LignePty&) = delete;
    LignePty& operator=(const LignePty&) = delete;

    const std::string& CheminEsclave() const { return cheminEsclave_; }
    // From any thread: the pending and every later Lire returns Fermee soon after.
    void Interrompre() { interrompu_ = true; }

    Lecture Lire(unsigned char& octet, int delaiMs) override;
    bool Ecrire(const unsigned char* octets, std::size_t nombre) override;
    bool ReglagesPC(int& bitsDonnees, int& bauds) override;
    void Raccrocher() override;

private:
    LignePty(int maitre, int esclave, std::string cheminEsclave);
    void Fermer();

    int maitre_;
    int esclave_;  // held open so that the PC may close and reopen its end without a hang-up
    std::string cheminEsclave_;
    std::deque<unsigned char> recus_;
    std::atomic<bool> interrompu_{false};
};
