// TConfPort: finds the COM port of the device's USB-to-serial bridge in the PC's port list.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "source_ports.h"

class TConfPort {
public:
    TConfPort();  // reads the platform's port list
    explicit TConfPort(std::unique_ptr<SourcePorts> source);
    ~TConfPort();  // FormDestroy
    TConfPort(const TConfPort&) = delete;
    TConfPort& operator=(const TConfPort&) = delete;

    int PortChoisi();
    bool PortAChange();
    bool EstPortAppareil();
    bool RecherchePorts();
    static int ExtraitNumero(const std::string& entree);
    // Why the device's bridge is plugged in while none of its ports is there. A cause counts once
    // two looks in a row see it (a bridge just plugged in is without its driver for a moment);
    // until then the cause seen before stands. Nothing to tell counts at once.
    ConstatPont ExplicationPont();

    const std::vector<std::string>& Ports() const { return ListePorts; }
    int Index() const { return IndexChoisi; }
    int Numero() const { return NumeroChoisi; }  // without scanning

    static constexpr const char* MARQUE_APPAREIL = "KORVANE";
    static constexpr const char* NOM_PONT = "Silabser";

private:
    void FormDestroy();

    std::unique_ptr<SourcePorts> Source;
    std::vector<std::string> ListePorts;
    int IndexChoisi = -1;
    int NumeroChoisi = 0;
    EtatPont DernierEtatPont = EtatPont::SansExplication;
    ConstatPont PontConfirme;
};
