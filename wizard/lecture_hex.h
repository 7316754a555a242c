// Reading Intel HEX files: the firmware image at build time, and the memory dumps of the
// simulated device. Records of types 00 (data), 01 (end of file) and 04 (extended linear
// address), upper-case digits, checksums verified; any fault is named with its line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

inline constexpr int HEX_DONNEES = 0x00;
inline constexpr int HEX_FIN = 0x01;
inline constexpr int HEX_ADRESSE_ETENDUE = 0x04;

struct EnregistrementHex {
    std::size_t Ligne = 0;  // from 1
    std::string Texte;      // as in the file, without its line end
    int Type = 0;
    // Data records: the address of the first byte, extended base included.
    std::uint64_t Adresse = 0;
    std::vector<std::uint8_t> Octets;
};

struct ErreurHex {
    std::size_t Ligne = 0;
    std::string Motif;
};

// The records of the text, up to and including its end-of-file record; after it only blank
// lines may follow. False with the first fault otherwise.
bool LireIntelHex(const std::string& contenu, std::vector<EnregistrementHex>& enregistrements, ErreurHex& erreur);

// Same from a file; a file that cannot be read is a fault at line 0.
bool LireFichierIntelHex(const std::string& chemin, std::vector<EnregistrementHex>& enregistrements, ErreurHex& erreur);

// The data bytes by address; false naming the line that gives a byte a second time.
bool OctetsIntelHex(const std::vector<EnregistrementHex>& enregistrements,
                    std::map<std::uint64_t, std::uint8_t>& octets, ErreurHex& erreur);

// The data bytes of a file by address: LireFichierIntelHex, then OctetsIntelHex.
bool OctetsFichierIntelHex(const std::string& chemin, std::map<std::uint64_t, std::uint8_t>& octets, ErreurHex& erreur);
