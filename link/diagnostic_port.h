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
    std::string chemin;     // the device, as given
    std::string groupe;     // Refusee: the group that owns the device; empty when unknown
    std::vector<std::string> detenteurs;  // Occupee: the programs that have it open, as far as
                                          // the system shows them
};

// chemin: the device (CheminDuPort); resultat: a link result code, of which only the system
// errors (below 100000) can name a cause.
DiagnosticPort DiagnostiquerOuverture(const std::string& chemin, int resultat);
