// The cause of a failed open on Windows, from the error CreateFileA left.
#include "link/diagnostic_port.h"

#include <windows.h>

// Windows has no device rule: access is the driver's.
DiagnosticPort DiagnostiquerOuverture(const std::string& chemin, int resultat, const std::vector<std::string>&) {
    DiagnosticPort diagnostic;
    diagnostic.chemin = chemin;
    switch (resultat) {
    // A COM port is opened exclusively: refused access is, nearly always, another program's handle.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: diagnostic.cause = CauseEchecPort::Occupee; break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: diagnostic.cause = CauseEchecPort::Disparue; break;
    default: break;
    }
    return diagnostic;
}
