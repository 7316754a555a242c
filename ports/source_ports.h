// Where the port finder reads the PC's serial-port list: (value name, value type, string data)
// triples, as the Windows registry keeps them under HARDWARE\DEVICEMAP\SERIALCOMM.
#pragma once

#include <memory>
#include <string>
#include <vector>

// Value types, with the registry's numbers.
inline constexpr int TYPE_TEXTE = 1;          // REG_SZ
inline constexpr int TYPE_TEXTE_ETENDU = 2;   // REG_EXPAND_SZ

struct ValeurPort {
    std::string nom;      // e.g. "\Device\Silabser0"
    int type = TYPE_TEXTE;
    std::string donnees;  // e.g. "COM33"
};

enum class LecturePorts {
    Lue,                   // the list was read (it may be empty)
    CleAbsente,            // no serial port registered at all
    DescriptionIllisible,  // the list exists but could not be read
};

class SourcePorts {
public:
    virtual ~SourcePorts() = default;
    // Fills valeurs in enumeration order.
    virtual LecturePorts Lire(std::vector<ValeurPort>& valeurs) = 0;
};

// The platform's serial-port list (sysfs on Linux, the registry on Windows).
std::unique_ptr<SourcePorts> CreerSourcePorts();

// Order of the port list: the user's locale collation, case-sensitive; <0, 0, >0.
int ComparerEntrees(const std::string& a, const std::string& b);
