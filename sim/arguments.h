// The command line of zantrel_sim.
#pragma once

#include <string>
#include <vector>

#include "sim/simulateur.h"

// Fills options from the arguments (without the program name); false with the reason in
// erreur on an unknown option, a missing value or a value out of range.
bool LireArguments(const std::vector<std::string>& arguments, OptionsSimulateur& options, std::string& erreur);

// One line per option, for --aide and for errors.
const char* AideArguments();
