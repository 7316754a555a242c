// Prints this PC's serial-port list, with the device each COM name stands for, the port the
// wizard would choose, and why the device's bridge has no port when it is plugged in without one.
#include <clocale>
#include <cstdio>
#include <string>

#include "link/chemin_port.h"
#include "link/ligne_serie.h"
#include "ports/TConfigurationPort.h"

int main() {
    // The list is sorted in the user's collation, as the wizard sorts it.
    std::setlocale(LC_ALL, "");

    TConfPort ports;
    if (!ports.RecherchePorts()) {
        std::printf("The serial-port list could not be read.\n");
        return 1;
    }
    // The line the wizard opens its ports with: it knows the device behind each number.
    const auto ligne = CreerLigneSerie([](int numero) { return CheminPort(numero); });
    std::printf("Serial ports (%u):\n", static_cast<unsigned>(ports.Ports().size()));
    for (const std::string& entree : ports.Ports())
        std::printf("  %-18s %s\n", entree.c_str(),
                    ligne->CheminPeripherique(TConfPort::ExtraitNumero(entree)).c_str());

    // Looked at twice, as page 5 does over two ticks: a cause counts when both looks see it.
    ports.ExplicationPont();
    const ConstatPont pont = ports.ExplicationPont();
    std::string programmes;
    for (const std::string& nom : pont.detenteurs)
        programmes += (programmes.empty() ? "" : ", ") + nom;
    switch (pont.etat) {
    case EtatPont::Retenu:
        std::printf("Bridge: plugged in, held by another program%s%s\n", programmes.empty() ? "" : ": ",
                    programmes.c_str());
        break;
    case EtatPont::Detache:
        std::printf("Bridge: plugged in, its serial driver is loaded but a program took the bridge from it%s%s\n",
                    programmes.empty() ? "" : "; braille-display daemon running: ", programmes.c_str());
        break;
    case EtatPont::SansPilote: std::printf("Bridge: plugged in, the kernel has no serial driver for it\n"); break;
    case EtatPont::PiloteAbsent: std::printf("Bridge: plugged in, its driver is not installed\n"); break;
    case EtatPont::SansExplication: break;
    }

    const int numero = ports.PortChoisi();
    if (numero <= 0) {
        std::printf("Chosen port: none\n");
        return 0;
    }
    std::printf("Chosen port: COM%d, %s\n", numero,
                ports.EstPortAppareil() ? "the device's bridge port" : "not the device's port");
    return 0;
}
