// The simulated device's own timings, in milliseconds, tied to the PC's waits they must fit in.
#pragma once

#include "link/protocole.h"

namespace temps_appareil {

// How long the device stays busy once it has acknowledged; it reads nothing meanwhile. Both
// lie well inside the silence the PC keeps after these commands.
inline constexpr int DUREE_EFFACEMENT_MS = 800;        // erasing program memory, after CMD_PREPARER
inline constexpr int DUREE_ECRITURE_CELLULE_MS = 100;  // writing the cell, after CMD_ECRIRE_EEPROM
static_assert(DUREE_EFFACEMENT_MS < protocole::DELAI_PREPARATION_MS + protocole::DELAI_VIDAGE_MS);
static_assert(DUREE_ECRITURE_CELLULE_MS < protocole::DELAI_ECRITURE_EEPROM_MS);

// How long the device waits for the next character of a frame, or for the PC's ACQUIT after
// one of its own characters, before it drops the exchange.
inline constexpr int DELAI_CARACTERE_APPAREIL_MS = 2000;

}  // namespace temps_appareil
