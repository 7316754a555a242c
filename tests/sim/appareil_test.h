// A running simulator and the test PC on its line, at 9600 bit/s.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "link/protocole.h"
#include "sim/simulateur.h"
#include "sim/temps_appareil.h"
#include "tests/sim/pair_pc.h"

class AppareilTest : public ::testing::Test {
protected:
    // How long a test waits to be sure that no answer is coming.
    static constexpr int SILENCE_MS = 300;

    static OptionsSimulateur OptionsRapides() {
        OptionsSimulateur o;
        o.rapide = true;
        return o;
    }

    void Demarrer(OptionsSimulateur options = OptionsRapides()) {
        simulateur_ = std::make_unique<Simulateur>(std::move(options));
        ASSERT_TRUE(simulateur_->Demarrer());
        ASSERT_TRUE(pc_.Ouvrir(simulateur_->CheminEsclave(), protocole::VITESSE_INITIALE));
    }

    // Sends the bytes and returns the device's one-byte answer (or PairPc::AUCUN).
    int Echanger(const std::string& octets, int delaiMs = 1000) {
        pc_.Envoyer(octets);
        return pc_.Lire(delaiMs);
    }
    int Echanger(unsigned char octet, int delaiMs = 1000) {
        return Echanger(std::string(1, static_cast<char>(octet)), delaiMs);
    }

    // As a PC does, says nothing while the device is busy after an acknowledge.
    static void LaisserTravailler(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    // Connected, programming entered and prepared: ready for block writes.
    void PreparerBlocs() {
        ASSERT_EQ(Echanger(protocole::CMD_CONNEXION), protocole::REP_CONNECTE);
        ASSERT_EQ(Echanger(protocole::CMD_PROGRAMMATION), protocole::ACQUIT);
        ASSERT_EQ(Echanger(protocole::CMD_PREPARER), protocole::ACQUIT);
        LaisserTravailler(temps_appareil::DUREE_EFFACEMENT_MS);
    }

    std::unique_ptr<Simulateur> simulateur_;
    PairPc pc_;
};
