// The PC's serial-port list read from sysfs: the Linux counterpart of the registry's list.
#pragma once

#include <string>
#include <vector>

#include "ports/source_ports.h"

class SourceSysfs : public SourcePorts {
public:
    explicit SourceSysfs(std::string dossierClasse = "/sys/class/tty", std::string dossierDev = "/dev");

    // One value per tty backed by hardware and reachable in dossierDev, in name order.
    LecturePorts Lire(std::vector<ValeurPort>& valeurs) override;

private:
    std::string DossierClasse;
    std::string DossierDev;
};
