// The Zantrel bootloader, simulated on the master side of a pseudo-terminal.
// The PC side opens CheminEsclave() like any serial port.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct IdentiteAppareil {
    std::string modele = "P07";  // 3 characters sent by CMD_LIRE_MODELE
    unsigned variante = 1;
    std::uint32_t numeroSerie = 123456789;
    unsigned majeur = 3, mineur = 7, revision = 0;
    unsigned langue = 0xFF;  // EEPROM byte 15
};

struct FautesAppareil {
    bool refuserConnexion = false;  // answer CMD_CONNEXION with REP_REFUS
    int silencieuxDepuis = 0;       // stop answering from the Nth command (1-based); 0 never
    // Answer this command byte with octetFautif in place of its first reply byte, without
    // carrying it out (its parameters are still taken in); 0 for none. Only from its Nth
    // coming (1-based), only fautesMax times (0: every time), and for the EEPROM commands and
    // blocks only at adresseFautive (-1: any). Silent: no answer at all.
    unsigned char commandeFautive = 0;
    unsigned char octetFautif = 0x00;
    int fauteDepuis = 1;
    int fautesMax = 0;
    long adresseFautive = -1;
    bool fauteMuette = false;
    // Once, the power goes at the Nth coming (1-based) of this command byte, only at
    // adresseCoupure for the EEPROM commands and blocks (-1: any). Taken: the command is
    // carried out and answered first; otherwise it is lost. Flash and EEPROM keep what they
    // hold; the device starts again as after power-up, on a virtual line at the PC's next open.
    // 0 for none.
    unsigned char commandeCoupure = 0;
    int coupureA = 1;
    long adresseCoupure = -1;
    bool coupureApresPrise = true;
    int raccrocherApresBlocs = 0;  // drop the line once the Nth block is acked; 0 never
    // Each byte of the answer to the change to this rate (bit/s) comes retardVitesseMs late;
    // 0 for none.
    int vitesseFautive = 0;
    int retardVitesseMs = 0;
    // The last character of this read's reply is 'L', no hex digit: CMD_LIRE_MODELE,
    // CMD_LIRE_VARIANTE, or CMD_LIRE_EEPROM at adresseNonHex; 0 for none.
    unsigned char lectureNonHex = 0;
    unsigned adresseNonHex = 0;
    // Once, octetParasite goes retardParasiteMs after the answer to the Nth command (1-based),
    // whatever the PC sends meanwhile; parasiteApres 0 for none.
    int parasiteApres = 0;
    unsigned char octetParasite = 0;
    int retardParasiteMs = 0;
};

// zantrel_sim's other mode: the device behind an emulated USB bridge plugged into the kernel's
// vhci_hcd, instead of on a pseudo-terminal.
struct OptionsPont {
    bool actif = false;
    std::string fichierReleve;  // the bridge's record, written on exit and on each leave; empty for none
    int absenceMs = -1;         // after a leave of its own, back after this long; -1: on SIGUSR2 only
};

struct OptionsSimulateur {
    IdentiteAppareil identite;
    FautesAppareil fautes;
    OptionsPont pont;
    bool rapide = false;            // no pacing to wire time
    int dureeEcritureRangeeMs = 2;  // flash row write time added to each block's ack
    std::string fichierTrace;       // every byte, both directions; empty for none
    // Dumps written by Arreter(), empty for none. Program memory: only the bytes that are not
    // 0xFF (erased), in records of up to 16 bytes that never cross a 16-byte boundary, with
    // type-04 records above 64 KiB. EEPROM: all 1024 bytes from address 0.
    std::string fichierHexProgramme;
    std::string fichierHexEeprom;
    // Told of each anomaly as the device notices it, on the device's thread.
    std::function<void(const std::string&)> surAnomalie;
};

// One byte on the wire, as the device saw it.
struct OctetTrace {
    bool versAppareil;  // true: PC to device
    unsigned char octet;
};

class Simulateur {
public:
    explicit Simulateur(OptionsSimulateur options);
    ~Simulateur();  // stops the device
    Simulateur(const Simulateur&) = delete;
    Simulateur& operator=(const Simulateur&) = delete;

    // Opens the pseudo-terminal and starts answering on a thread of its own; once per object.
    bool Demarrer();
    // Stops answering, closes the master and writes the dump files (also after a hang-up).
    void Arreter();
    const std::string& CheminEsclave() const;  // empty before Demarrer()

    // What the device holds and saw; safe to call while it runs.
    // 128 KiB, erased to 0xFF at start and from 0x800 up by each accepted prepare command.
    std::vector<std::uint8_t> MemoireProgramme() const;
    std::vector<std::uint8_t> Eeprom() const;  // 1024 bytes
    int BlocsEcrits() const;                   // accepted block frames
    std::vector<OctetTrace> Trace() const;
    // Protocol faults the device noticed (bytes lost to a rate mismatch or while busy,
    // malformed frames...).
    std::vector<std::string> Anomalies() const;
    bool Connecte() const;
    int VitesseCourante() const;  // bit/s the device listens at
    // Waiting for the PC's next command, with no exchange under way.
    bool AuRepos() const;

private:
    struct Etat;
    std::unique_ptr<Etat> etat_;
};
