// An in-memory port list the tests change between scans, as the user plugs and pulls.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ports/source_ports.h"

struct EtatSource {
    LecturePorts resultat = LecturePorts::Lue;
    std::vector<ValeurPort> valeurs;
    int lectures = 0;
    EtatPont pont = EtatPont::SansExplication;  // what the bridge's next look sees

    void Ports(std::vector<ValeurPort> v)
    {
        resultat = LecturePorts::Lue;
        valeurs = std::move(v);
    }
};

class SourceFactice : public SourcePorts {
public:
    explicit SourceFactice(std::shared_ptr<EtatSource> etat) : Etat(std::move(etat)) {}
    LecturePorts Lire(std::vector<ValeurPort>& valeurs) override
    {
        ++Etat->lectures;
        valeurs = Etat->valeurs;
        return Etat->resultat;
    }
    ConstatPont ExaminerPont() override { return {Etat->pont, {}}; }

private:
    std::shared_ptr<EtatSource> Etat;
};

inline ValeurPort Pont(int k, const std::string& com)
{
    return {"\\Device\\Silabser" + std::to_string(k), TYPE_TEXTE, com};
}

inline ValeurPort Serie(int k, const std::string& com)
{
    return {"\\Device\\Serial" + std::to_string(k), TYPE_TEXTE, com};
}
