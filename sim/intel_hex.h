// Memory images as Intel HEX text, for the dumps the simulated device leaves behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Records of up to 16 bytes that never cross a 16-byte boundary, a type-04 record before the
// first record of each 64 KiB page above the first, and the end-of-file record.
// With sauterEfface, bytes equal to 0xFF (erased flash) are left out.
std::string EnIntelHex(const std::vector<std::uint8_t>& memoire, bool sauterEfface);

// Writes EnIntelHex(...) to a file; false when the file cannot be written.
bool EcrireIntelHex(const std::string& chemin, const std::vector<std::uint8_t>& memoire, bool sauterEfface);
