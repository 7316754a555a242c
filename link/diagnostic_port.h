// Why a serial port could not be opened, told from the system error of the failed open in terms
// the user can act on: refused to this user, held by another program, or gone.
#pragma once

#include <string>
#include <vector>

enum class CauseEchecPort {
    Aucune,    // not a failed open, or one without a cause to tell
    Refusee,   // this user may not open the device
    Occupee,   // another program holds it
    Disparue,  // there is no such device any more (unplugged)
};

struct DiagnosticPort {
    CauseEchecPort cause = CauseEchecPort::Aucune;
    std::string chemin;                   // the device, as given
    std::string groupe;                   // Refusee: the group whose members may open the device; empty when
                                          // there is none to join (not readable and writable by it, or root)
    bool regleInstallee = false;          // Refusee: the package's device rule is on this PC
    std::vector<std::string> detenteurs;  // Occupee: the programs that have it open, as far as
                                          // the system shows them
};

// chemin: the device (CheminDuPort); resultat: a link result code, of which only the system
// errors (EstErreurSysteme) can name a cause; regles: where the package's device rule may be
// installed, empty for the system's own places.
DiagnosticPort DiagnostiquerOuverture(const std::string& chemin, int resultat,
                                      const std::vector<std::string>& regles = {});
