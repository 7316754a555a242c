// An in-memory port list the tests change between scans, as the user plugs and pulls.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ports/source_ports.h"

inline ValeurPort Pont(int k, const std::string& com) {
    return {"\\Device\\Silabser" + std::to_string(k), TYPE_TEXTE, com};
}

inline ValeurPort Serie(int k, const std::string& com) {
    return {"\\Device\\Serial" + std::to_string(k), TYPE_TEXTE, com};
}

// Where the fakes put the device's bridge: COM33, ttyUSB0 on Linux.
inline constexpr int COM_APPAREIL = 33;
inline ValeurPort PontAppareil() { return Pont(0, "COM" + std::to_string(COM_APPAREIL)); }

struct EtatPorts {
    LecturePorts resultat = LecturePorts::Lue;
    std::vector<ValeurPort> valeurs;
    int lectures = 0;
    ConstatPont pont;  // what the bridge's next look sees

    void Ports(std::vector<ValeurPort> v) {
        resultat = LecturePorts::Lue;
        valeurs = std::move(v);
    }
    // COM1, and the device's bridge.
    void Brancher() { Ports({Serie(0, "COM1"), PontAppareil()}); }
    void Debrancher() { Ports({Serie(0, "COM1")}); }
};

class PortsFactices : public SourcePorts {
public:
    explicit PortsFactices(std::shared_ptr<EtatPorts> etat) : Etat(std::move(etat)) {}
    // A list that holds these ports from the first scan on.
    explicit PortsFactices(std::vector<ValeurPort> valeurs) : Etat(std::make_shared<EtatPorts>()) {
        Etat->valeurs = std::move(valeurs);
    }
    LecturePorts Lire(std::vector<ValeurPort>& valeurs) override {
        ++Etat->lectures;
        valeurs = Etat->valeurs;
        return Etat->resultat;
    }
    ConstatPont ExaminerPont() override { return Etat->pont; }

private:
    std::shared_ptr<EtatPorts> Etat;
};
