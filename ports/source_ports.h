// Where the port finder reads the PC's serial-port list: (value name, value type, string data)
// triples, as the Windows registry keeps them under HARDWARE\DEVICEMAP\SERIALCOMM.
#pragma once

#include <memory>
#include <string>
#include <vector>

// Value types, with the registry's numbers.
inline constexpr int TYPE_TEXTE = 1;         // REG_SZ
inline constexpr int TYPE_TEXTE_ETENDU = 2;  // REG_EXPAND_SZ

struct ValeurPort {
    std::string nom;  // e.g. "\Device\Silabser0"
    int type = TYPE_TEXTE;
    std::string donnees;  // e.g. "COM33"
};

enum class LecturePorts {
    Lue,                   // the list was read (it may be empty)
    CleAbsente,            // no serial port registered at all
    DescriptionIllisible,  // the list exists but could not be read
};

// The device's USB bridge seen on the bus while none of its serial ports is there, and why.
enum class EtatPont {
    SansExplication,  // not plugged in, its port is there or is coming: nothing to tell
    Retenu,           // another program holds it (Linux: its interface bound to another driver)
    Detache,          // its serial driver is in the kernel but was taken from it (Linux)
    SansPilote,       // the kernel has no serial driver for it (Linux)
    PiloteAbsent,     // its driver is not installed (Windows: a driver problem code)
};

struct ConstatPont {
    EtatPont etat = EtatPont::SansExplication;
    // Retenu: the programs, as far as the system shows them; Detache: the braille-display daemons
    // running, which take such bridges from their driver.
    std::vector<std::string> detenteurs;

    bool operator==(const ConstatPont& autre) const { return etat == autre.etat && detenteurs == autre.detenteurs; }
    bool operator!=(const ConstatPont& autre) const { return !(*this == autre); }
};

// The bridge's USB ids, as the bus reports them.
inline constexpr unsigned short ID_FOURNISSEUR_PONT = 0x10c4;
inline constexpr unsigned short ID_PRODUIT_PONT = 0xea60;

class SourcePorts {
public:
    virtual ~SourcePorts() = default;
    // Fills valeurs in enumeration order.
    virtual LecturePorts Lire(std::vector<ValeurPort>& valeurs) = 0;
    // Looks at the bridge on the bus now; a list without a bus behind it sees none.
    virtual ConstatPont ExaminerPont() { return {}; }
};

// The platform's serial-port list (sysfs on Linux, the registry on Windows).
std::unique_ptr<SourcePorts> CreerSourcePorts();

// Order of the port list: the user's locale collation, case-sensitive; <0, 0, >0.
int ComparerEntrees(const std::string& a, const std::string& b);
