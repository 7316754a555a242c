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
};
