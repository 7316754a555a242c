// Bytes, rates and waits of the Zantrel bootloader protocol.
// Shared by the PC side (ComP07) and the simulated device (sim/).
#pragma once

#include <cstdint>

namespace protocole {

// Command and reply bytes (raw on the wire).
inline constexpr unsigned char CMD_CONNEXION = 0x80;      // PC: connection request
inline constexpr unsigned char REP_CONNECTE = 0x81;       // device: connection accepted
inline constexpr unsigned char CMD_PROGRAMMATION = 0x83;  // PC: enter programming
inline constexpr unsigned char ACQUIT = 0x84;             // both: command done / character received
inline constexpr unsigned char REP_REFUS = 0x85;          // device: connection refused
inline constexpr unsigned char CMD_LIRE_MODELE = 0x86;    // PC: read the 3-character model code
inline constexpr unsigned char CMD_LIRE_VARIANTE = 0x87;  // PC: read the variant byte
inline constexpr unsigned char CMD_LIRE_EEPROM = 0x89;    // PC: read one EEPROM byte
inline constexpr unsigned char CMD_ECRIRE_EEPROM = 0x8B;  // PC: write one EEPROM byte
inline constexpr unsigned char CMD_PREPARER = 0x90;       // PC: prepare program memory for writing
inline constexpr unsigned char CMD_TERMINER = 0x91;       // PC: end programming
inline constexpr unsigned char CMD_VITESSE = 0x9E;        // PC: change the line rate
inline constexpr unsigned char CMD_ECRIRE_BLOC = 0x9F;    // PC: write a block of program memory
inline constexpr unsigned char CMD_AU_REVOIR = 0x04;      // PC: farewell, ends the connection
// What the simulated device answers to a frame it rejects or a command out of phase;
// the PC only needs it to differ from ACQUIT.
inline constexpr unsigned char REP_REJET = 0x15;

// Block frames: address and data bytes are XORed with this key, K0 on even bytes, K1 on odd.
inline constexpr unsigned char CLE_K0 = 0x4E;
inline constexpr unsigned char CLE_K1 = 0xD3;

// Program memory as the bootloader writes it (byte addresses).
inline constexpr unsigned ADRESSE_BLOC_MIN = 0x800;               // lowest block start
inline constexpr unsigned ADRESSE_BLOC_MAX = 0x1FFFE;             // highest block start
inline constexpr unsigned TAILLE_RANGEE = 64;                     // bytes in one flash row
inline constexpr unsigned MOTS_BLOC_MAX = 32;                     // 16-bit words in one block
inline constexpr unsigned TAILLE_MEMOIRE_PROGRAMME = 128 * 1024;  // bytes of program memory
inline constexpr unsigned TAILLE_EEPROM = 1024;                   // bytes of data EEPROM

// Data EEPROM map used by the link's composite operations.
inline constexpr int EEPROM_NUMERO_SERIE = 1016;  // 4 bytes, least significant first
inline constexpr int EEPROM_REVISION = 1020;      // third version number
inline constexpr int EEPROM_MAJEUR = 1021;        // first version number
inline constexpr int EEPROM_MINEUR = 1022;        // second version number
inline constexpr int EEPROM_LANGUE = 15;          // 0 French, 1 English, anything else unset

// Line rates.
inline constexpr int VITESSE_INITIALE = 9600;  // bit/s after every open, and for the farewell

// Rate code sent with CMD_VITESSE for a rate in bit/s; 0 when the rate has no code.
constexpr std::uint16_t CodeVitesse(int bauds) {
    switch (bauds) {
    case 4800: return 0x0681;
    case 9600: return 0x0340;
    case 14400: return 0x022A;
    case 19200: return 0x01A0;
    case 38400: return 0x00CF;
    case 56000: return 0x008E;
    case 57600: return 0x008A;
    case 115200: return 0x0044;
    case 128000: return 0x003D;
    case 256000: return 0x001E;
    default: return 0;
    }
}

// Rate in bit/s for a rate code; 0 for an unknown code.
constexpr int VitessePourCode(std::uint16_t code) {
    for (int b : {4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000})
        if (CodeVitesse(b) == code) return b;
    return 0;
}

// Waits, in milliseconds.
inline constexpr int DELAI_VIDAGE_MS = 1000;          // before every purge of the line
inline constexpr int DELAI_AVANT_AU_REVOIR_MS = 500;  // between the return to 9600 and the farewell
inline constexpr int DELAI_ECRITURE_EEPROM_MS = 300;  // before reading the ack of an EEPROM write
inline constexpr int DELAI_PREPARATION_MS = 500;      // before and after the ack of CMD_PREPARER

// Before CMD_TERMINER and before each query the line must stay this long without a byte; what
// comes meanwhile is dropped, so that a late byte is taken neither for an acknowledge nor for a
// value. The device speaks only when asked: what may still come is a byte already on its way,
// which reaches the PC within a few character times (1.15 ms each at 9600 bit/s) and the USB
// bridge's packet delay (16 ms on common bridges). 60 ms covers both with room.
inline constexpr int DELAI_SILENCE_MS = 60;
// Bytes dropped while waiting for that silence before the line counts as babbling.
inline constexpr int OCTETS_AVANT_SILENCE_MAX = 64;

// Serial time-outs (COMMTIMEOUTS), in milliseconds.
inline constexpr unsigned DELAI_INTERVALLE_LECTURE_MS = 500;
inline constexpr unsigned DELAI_LECTURE_PAR_OCTET_MS = 100;
inline constexpr unsigned DELAI_LECTURE_CONSTANT_MS = 1000;
inline constexpr unsigned DELAI_ECRITURE_PAR_OCTET_MS = 100;
inline constexpr unsigned DELAI_ECRITURE_CONSTANT_MS = 1000;

// Bits one character takes on the line: start, 8 data, parity, stop.
inline constexpr int BITS_PAR_CARACTERE = 11;

}  // namespace protocole
