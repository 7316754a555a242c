// The device's USB-to-serial bridge, a CP2102-like part (10C4:EA60), emulated over USB/IP: the
// kernel's vhci_hcd (or a test in its place) holds the other end of a stream socket and speaks
// the data phase of USB/IP on it. Bytes of bulk OUT reach the device's UART, the device's bytes
// go back on bulk IN, and the PC's line settings come as the part's vendor requests.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/ligne_appareil.h"

namespace usbip {

// Every message starts with a 48-byte header of big-endian 32-bit words: command, seqnum,
// devid, direction, endpoint, then the command's own words, padded to 28 bytes.
inline constexpr std::size_t TAILLE_ENTETE = 48;
inline constexpr std::uint32_t CMD_SUBMIT = 1;  // host: a URB (an OUT one carries its data after)
inline constexpr std::uint32_t CMD_UNLINK = 2;  // host: cancel the URB of that seqnum
inline constexpr std::uint32_t RET_SUBMIT = 3;  // device: a URB done (an IN one carries its data after)
inline constexpr std::uint32_t RET_UNLINK = 4;  // device: the cancel's outcome
inline constexpr std::uint32_t DIR_OUT = 0;     // host to device
inline constexpr std::uint32_t DIR_IN = 1;      // device to host

}  // namespace usbip

namespace usb {

// The part.
inline constexpr std::uint16_t ID_FOURNISSEUR = 0x10C4;
inline constexpr std::uint16_t ID_PRODUIT = 0xEA60;
inline constexpr unsigned char EP_ENTREE = 0x81;  // bulk IN, device to PC
inline constexpr unsigned char EP_SORTIE = 0x01;  // bulk OUT, PC to device
inline constexpr unsigned TAILLE_PAQUET = 64;     // of endpoint 0 and both bulk endpoints

// Standard requests (bRequest) and descriptor types (wValue's high byte).
inline constexpr unsigned char GET_STATUS = 0x00;
inline constexpr unsigned char CLEAR_FEATURE = 0x01;
inline constexpr unsigned char SET_ADDRESS = 0x05;
inline constexpr unsigned char GET_DESCRIPTOR = 0x06;
inline constexpr unsigned char GET_CONFIGURATION = 0x08;
inline constexpr unsigned char SET_CONFIGURATION = 0x09;
inline constexpr unsigned char GET_INTERFACE = 0x0A;
inline constexpr unsigned char SET_INTERFACE = 0x0B;
inline constexpr unsigned char DESC_APPAREIL = 1;
inline constexpr unsigned char DESC_CONFIGURATION = 2;
inline constexpr unsigned char DESC_CHAINE = 3;
inline constexpr unsigned short ENDPOINT_HALT = 0;  // CLEAR_FEATURE's feature on an endpoint

// bmRequestType: bit 7 the direction, bits 5-6 the kind.
inline constexpr unsigned char TYPE_MASQUE = 0x60;
inline constexpr unsigned char TYPE_STANDARD = 0x00;
inline constexpr unsigned char TYPE_FOURNISSEUR = 0x40;

// The part's vendor requests (bRequest), to the interface unless said otherwise.
inline constexpr unsigned char IFC_ENABLE = 0x00;    // wValue 1: UART on, 0: off
inline constexpr unsigned char SET_BAUDDIV = 0x01;   // wValue: 3686400 / rate
inline constexpr unsigned char GET_BAUDDIV = 0x02;   // 2 bytes
inline constexpr unsigned char SET_LINE_CTL = 0x03;  // wValue: data bits << 8 | parity << 4 | stop bits
inline constexpr unsigned char GET_LINE_CTL = 0x04;  // 2 bytes
inline constexpr unsigned char SET_BREAK = 0x05;     // wValue 1: break on
inline constexpr unsigned char IMM_CHAR = 0x06;      // send wValue's low byte ahead of the queue
inline constexpr unsigned char SET_MHS = 0x07;       // DTR (bit 0) and RTS (bit 1), each under its write mask
inline constexpr unsigned char GET_MDMSTS = 0x08;    // 1 byte: DTR, RTS, CTS, DSR, RI, DCD
inline constexpr unsigned char SET_XON = 0x09;
inline constexpr unsigned char SET_XOFF = 0x0A;
inline constexpr unsigned char SET_EVENTMASK = 0x0B;    // wValue
inline constexpr unsigned char GET_EVENTMASK = 0x0C;    // 2 bytes
inline constexpr unsigned char SET_CHAR = 0x0D;         // wValue: index << 8 | character
inline constexpr unsigned char GET_CHARS = 0x0E;        // 6 bytes: EOF, error, break, event, XON, XOFF
inline constexpr unsigned char GET_COMM_STATUS = 0x10;  // 19 bytes: errors, hold reasons, queue sizes...
inline constexpr unsigned char RESET = 0x11;
inline constexpr unsigned char PURGE = 0x12;                // wValue bits 1 and 3: drop what waits for the PC
inline constexpr unsigned char SET_FLOW = 0x13;             // 16 bytes: handshake, flow replace, XON and XOFF limits
inline constexpr unsigned char GET_FLOW = 0x14;             // 16 bytes
inline constexpr unsigned char GET_EVENTSTATE = 0x16;       // 2 bytes
inline constexpr unsigned char SET_CHARS = 0x19;            // 6 bytes, as GET_CHARS
inline constexpr unsigned char GET_BAUDRATE = 0x1D;         // 4 bytes, little-endian bit/s
inline constexpr unsigned char SET_BAUDRATE = 0x1E;         // 4 bytes, little-endian bit/s
inline constexpr unsigned char VENDOR_SPECIFIC = 0xFF;      // to the device; wValue says what
inline constexpr unsigned short GET_PARTNUM = 0x370B;       // VENDOR_SPECIFIC: the part number, one byte
inline constexpr unsigned char NUMERO_PIECE = 0x02;         // a CP2102; one byte even when asked two, as parts
                                                            // without event insertion answer
inline constexpr std::uint32_t HORLOGE_DIVISEUR = 3686400;  // SET_BAUDDIV's clock

// SET_MHS, GET_MDMSTS.
inline constexpr unsigned short MHS_DTR = 0x0001;
inline constexpr unsigned short MHS_RTS = 0x0002;
inline constexpr unsigned short MHS_ECRIRE_DTR = 0x0100;
inline constexpr unsigned short MHS_ECRIRE_RTS = 0x0200;
inline constexpr unsigned char MODEM_CTS_DSR_DCD = 0x10 | 0x20 | 0x80;  // the device's side: ready
// SET_FLOW's words.
inline constexpr std::uint32_t FLUX_DTR_MASQUE = 0x03;       // handshake: DTR 0 off, 1 on, 2 flow control
inline constexpr std::uint32_t FLUX_CTS = 0x08;              // handshake: output waits for CTS
inline constexpr std::uint32_t FLUX_XON_XOFF = 0x01 | 0x02;  // flow replace: XON/XOFF out and in
inline constexpr std::uint32_t FLUX_RTS_MASQUE = 0xC0;       // flow replace: RTS 0 off, 1 on, 2 flow control

}  // namespace usb

// One setting of the line the PC applied, and the bytes carried under it.
struct ReglageReleve {
    int bauds = 9600;
    Trame trame;
    std::string flux = "none";  // none, rtscts, xonxoff or rtscts+xonxoff
    bool dtr = false;
    bool rts = false;
    std::uint64_t versAppareil = 0;
    std::uint64_t depuisAppareil = 0;

    // "9600 8E1 flow=none dtr=off rts=on: 45 bytes to the device, 90 from it"
    std::string Texte() const;
};

class PontUsb : public LigneAppareil {
public:
    // surDepart: told, from the bridge's threads, when the device hung up its line or the host
    // closed the link; the owner then unplugs the bridge.
    explicit PontUsb(std::function<void()> surDepart = {});
    ~PontUsb() override;
    PontUsb(const PontUsb&) = delete;
    PontUsb& operator=(const PontUsb&) = delete;

    // Plugged in: serves the connected socket (ours from now on) on a thread of its own, with
    // the part's power-up settings. False when already plugged.
    bool Brancher(int descripteur);
    // Unplugged: closes the socket; the device's Lire answers Fermee until the next Brancher.
    // Not from surDepart.
    void Debrancher();
    // Since the last Brancher, the device hung up or the host closed the link.
    bool Parti() const;

    // Every setting applied since the bridge was made, in order of first use, with its counts.
    std::vector<ReglageReleve> Releve() const;
    // The record as a file: one line per setting, then the summary line; false if not written.
    bool EcrireReleve(const std::string& chemin) const;
    // "3 settings, 45 bytes to the device, 90 from it"
    std::string ResumeReleve() const;

    Lecture Lire(unsigned char& octet, int delaiMs) override;
    bool Ecrire(const unsigned char* octets, std::size_t nombre) override;
    bool ReglagesPC(int& bitsDonnees, int& bauds) override;
    bool TramePC(Trame& trame) override;
    // The device unplugged: what it sent reaches the PC first, within a bound.
    void Raccrocher() override;

private:
    struct Urb {
        std::uint32_t seqnum, direction, longueur;
    };
    // The part's registers, as the PC last set them.
    struct Registres {
        bool uartActif = false;
        std::uint32_t bauds = 9600;
        std::uint16_t ligne = 0x0800;  // 8N1
        std::uint16_t modem = 0;       // DTR, RTS
        std::uint16_t masqueEvenements = 0;
        unsigned char caracteres[6] = {};
        unsigned char flux[16] = {};
        unsigned char configuration = 0;
    };

    void Servir(int descripteur);
    bool TraiterSoumission(int descripteur, const unsigned char* entete);
    bool TraiterAnnulation(const unsigned char* entete);
    int Controle(const unsigned char* setup, const std::vector<unsigned char>& donnees,
                 std::vector<unsigned char>& reponse);
    int Standard(const unsigned char* setup, std::vector<unsigned char>& reponse);
    int Fournisseur(const unsigned char* setup, const std::vector<unsigned char>& donnees,
                    std::vector<unsigned char>& reponse);
    bool ServirEntrees();
    bool Repondre(const Urb& urb, int statut, const unsigned char* donnees, std::size_t nombre);
    bool Envoyer(const unsigned char* octets, std::size_t nombre);
    Trame TrameCourante() const;
    std::size_t ReglageCourant();
    void Partir();

    const std::function<void()> surDepart_;
    std::thread fil_;

    mutable std::mutex verrou_;  // guards everything below, and every write to the socket
    std::condition_variable changement_;
    int descripteur_ = -1;
    bool branche_ = false;
    bool parti_ = false;              // the device or the host ended the link
    std::atomic<bool> arret_{false};  // Debrancher under way: the end is ours
    Registres registres_;
    std::deque<unsigned char> versAppareil_, versPc_;
    std::deque<Urb> entreesEnAttente_;  // bulk IN URBs waiting for the device's bytes
    std::vector<ReglageReleve> releve_;
};
