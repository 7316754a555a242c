// The PC's serial-port list read from sysfs: the Linux counterpart of the registry's list.
#pragma once

#include <string>
#include <vector>

#include "ports/source_ports.h"

class SourceSysfs : public SourcePorts {
public:
    explicit SourceSysfs(std::string dossierClasse = "/sys/class/tty", std::string dossierDev = "/dev",
                         std::string dossierUsb = "/sys/bus/usb/devices");

    // One value per tty backed by hardware and reachable in dossierDev, in name order.
    LecturePorts Lire(std::vector<ValeurPort>& valeurs) override;
    // The bridges among dossierUsb's devices: held when an interface is bound to another driver
    // (a program's claim through usbfs shows so); when none is bound, detached if the bus knows
    // the bridge's driver (dossierUsb/../drivers), else without a driver.
    ConstatPont ExaminerPont() override;

private:
    std::string DossierClasse;
    std::string DossierDev;
    std::string DossierUsb;
};
