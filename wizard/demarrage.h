// Start-up of the wizard: the main window, the port finder, the language from the settings file,
// then the message loop until the main window closes.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QString>

#include "ports/source_ports.h"
#include "wizard/TFormMj.h"

// What start-up uses of the outside world; an empty member takes the platform's own.
struct ServicesDemarrage {
    ServicesFormMj fenetre;
    std::unique_ptr<SourcePorts> ports;                  // the PC's serial-port list
    std::optional<std::string> dossierSysteme;           // where the settings file is
    std::function<void(const QString& message)> erreur;  // the error box
};

// The error box of the application.
void AfficherErreurDemarrage(const QString& message);

// Runs the wizard in the existing QApplication; an error is shown in the error box and ends the
// program without showing the wizard. Returns 0.
int Demarrer(ServicesDemarrage services = ServicesDemarrage());
