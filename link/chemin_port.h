// COM numbers of the PC's serial ports, shared by the link (to open a port)
// and the port finder (to list them).
#pragma once

#include <string>

// Device path of COM<numeroPort> under dossierDev: ttyS<k> is COM k+1, ttyUSB<k> COM k+33,
// ttyACM<k> COM k+65. Empty for a number outside those ranges.
std::string CheminPort(int numeroPort, const std::string& dossierDev = "/dev");

// COM number of a tty name ("ttyUSB0" gives 33); 0 for a name without one.
int NumeroPortTty(const std::string& nomTty);
