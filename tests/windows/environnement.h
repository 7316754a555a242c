// What scripts/check-windows prepared for the tests: COM ports on pseudo-terminals, the
// simulated device's identity and the paths of its memory dumps, all in environment variables.
#pragma once

#include <cstdint>
#include <string>

namespace environnement {

// The value of a variable the script must set; the calling test fails when it is missing.
std::string Variable(const char* nom);

// A number from a variable (decimal, or hexadecimal after 0x); 0 when missing or bad.
std::uint32_t Nombre(const char* nom);

// The next COM port linked to a fresh pseudo-terminal, from the comma-separated list in
// ZANTREL_COM_NEUFS; 0 when none is left. Each one is opened once: a pseudo-terminal keeps
// some of the settings it cannot carry out, so a second open of the same one is refused.
int ComNeuf();

}  // namespace environnement
