// An image checked the only sound way: the program's own walk runs over it against a device that
// records every write and applies the bootloader's block rules.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "wizard/lecture_hex.h"

// What the device holds after the walk: program bytes (the image's, and the other half of a
// word that carries one), EEPROM bytes by EEPROM address, and the version stamp.
struct EcrituresAttendues {
    std::map<std::uint64_t, std::uint8_t> Programme;
    std::map<int, std::uint8_t> Eeprom;
    std::array<int, 3> Version{{-1, -1, -1}};
    int Blocs = 0;
};

// True when the walk writes every data byte of the records where it belongs and nothing over
// what it wrote before; otherwise false, naming the record's line and why.
bool VerifierImage(const std::vector<EnregistrementHex>& enregistrements, EcrituresAttendues& ecritures,
                   ErreurHex& erreur);
