// The Zantrel bootloader, simulated on the master side of a pseudo-terminal.
// The PC side opens CheminEsclave() like any serial port.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct IdentiteAppareil {
    std::string modele = "P07";      // 3 characters sent by CMD_LIRE_MODELE
    unsigned variante = 1;
    std::uint32_t numeroSerie = 123456789;
    unsigned majeur = 3, mineur = 7, revision = 0;
    unsigned langue = 0xFF;          // EEPROM byte 15
};

struct FautesAppareil {
    bool refuserConnexion = false;      // answer CMD_CONNEXION with REP_REFUS
    int silencieuxDepuis = 0;           // stop answering from the Nth command (1-based); 0 never
    unsigned char commandeFautive = 0;  // answer this command byte with octetFautif instead of ACQUIT
    unsigned char octetFautif = 0x00;
    int raccrocherApresBlocs = 0;       // close the master after N block writes; 0 never
};

struct OptionsSimulateur {
    IdentiteAppareil identite;
    FautesAppareil fautes;
    bool rapide = false;                // no pacing to wire time
    int dureeEcritureRangeeMs = 2;      // flash row write time added to each block's ack
    std::string fichierTrace;           // every byte, both directions; empty for none
    std::string fichierHexProgramme;    // program memory dumped as Intel HEX on stop
    std::string fichierHexEeprom;       // EEPROM dumped as Intel HEX on stop
};

// One byte on the wire, as the device saw it.
struct OctetTrace {
    bool versAppareil;   // true: PC to device
    unsigned char octet;
};

class Simulateur {
public:
    explicit Simulateur(OptionsSimulateur options);
    ~Simulateur();  // stops the device
    Simulateur(const Simulateur&) = delete;
    Simulateur& operator=(const Simulateur&) = delete;

    // Opens the pseudo-terminal and starts answering on a thread of its own.
    bool Demarrer();
    // Stops answering, closes the master and writes the dump files.
    void Arreter();
    const std::string& CheminEsclave() const;

    // What the device holds and saw; safe to call while it runs.
    std::vector<std::uint8_t> MemoireProgramme() const;  // 128 KiB, erased to 0xFF
    std::vector<std::uint8_t> Eeprom() const;            // 1024 bytes
    int BlocsEcrits() const;
    std::vector<OctetTrace> Trace() const;
    // Protocol faults the device noticed (bad line settings, malformed frames...).
    std::vector<std::string> Anomalies() const;
    bool Connecte() const;
    int VitesseCourante() const;  // bit/s the device listens at

private:
    struct Etat;
    std::unique_ptr<Etat> etat_;
};
