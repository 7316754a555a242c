// Windows: the USB devices that Plug and Play knows, as the port finder looks at them to tell why
// the bridge, plugged in, has no COM port.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ports/source_ports.h"

struct AppareilPnp {
    std::string idMateriel;          // the first hardware id, e.g. "USB\VID_10C4&PID_EA60&REV_0100"
    unsigned long codeProbleme = 0;  // Device Manager's problem code; 0 when it works
    bool portCom = false;            // its driver gave it a COM name
};

using ListeAppareilsPnp = std::function<std::vector<AppareilPnp>()>;

// The present USB devices, from SetupAPI and the configuration manager.
std::vector<AppareilPnp> ListerAppareilsPnp();

// The registry's serial-port list, with the bridge looked for among appareils' devices.
std::unique_ptr<SourcePorts> CreerSourceRegistre(ListeAppareilsPnp appareils);
