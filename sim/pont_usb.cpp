#include "sim/pont_usb.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Bound on one URB's data: far above what a serial driver or usbfs submits.
constexpr std::uint32_t LONGUEUR_MAX = 1u << 20;
// Bound on waiting for the PC to take the device's last bytes before it is unplugged.
constexpr int DELAI_VIDAGE_MS = 1000;

// Manufacturer, product and serial number, as the part reports them from the factory: programs
// that take such bridges (brltty) pick them by these strings.
const char* const CHAINES[] = {"Silicon Labs", "CP2102 USB to UART Bridge Controller", "0001"};

std::uint32_t Mot(const unsigned char* p, std::size_t position) {
    p += position;
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

void PoserMot(unsigned char* p, std::size_t position, std::uint32_t valeur) {
    for (int i = 0; i < 4; ++i)
        p[position + i] = static_cast<unsigned char>(valeur >> (24 - 8 * i));
}

std::uint32_t Petit32(const unsigned char* p) {
    return p[0] | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

void AjouterPetit(std::vector<unsigned char>& v, std::uint32_t valeur, int octets) {
    for (int i = 0; i < octets; ++i)
        v.push_back(static_cast<unsigned char>(valeur >> (8 * i)));
}

bool LireTout(int descripteur, unsigned char* octets, std::size_t nombre) {
    while (nombre > 0) {
        const ssize_t n = recv(descripteur, octets, nombre, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        octets += n;
        nombre -= static_cast<std::size_t>(n);
    }
    return true;
}

bool Descripteur(unsigned type, unsigned index, std::vector<unsigned char>& d) {
    using namespace usb;
    constexpr unsigned char P = TAILLE_PAQUET;
    switch (type) {
    case DESC_APPAREIL:
        // USB 2.0, class per interface, 1 configuration, strings 1 to 3.
        d = {18,
             DESC_APPAREIL,
             0x00,
             0x02,
             0,
             0,
             0,
             P,
             ID_FOURNISSEUR & 0xFF,
             ID_FOURNISSEUR >> 8,
             ID_PRODUIT & 0xFF,
             ID_PRODUIT >> 8,
             0x00,
             0x01,
             1,
             2,
             3,
             1};
        return true;
    case DESC_CONFIGURATION:
        // Bus powered, 100 mA; one vendor-class interface with its two bulk endpoints.
        d = {9, DESC_CONFIGURATION, 32, 0, 1, 1, 0, 0x80, 50,        9, 4, 0, 0, 2, 0xFF, 0, 0, 0, 7,
             5, EP_ENTREE,          2,  P, 0, 0, 7, 5,    EP_SORTIE, 2, P, 0, 0};
        return true;
    case DESC_CHAINE:
        if (index == 0) {
            d = {4, DESC_CHAINE, 0x09, 0x04};  // US English only
            return true;
        }
        if (index > 3) return false;
        d = {0, DESC_CHAINE};
        for (const char* c = CHAINES[index - 1]; *c; ++c)
            d.insert(d.end(), {static_cast<unsigned char>(*c), 0});
        d[0] = static_cast<unsigned char>(d.size());
        return true;
    default: return false;
    }
}

}  // namespace

std::string ReglageReleve::Texte() const {
    char texte[200];
    std::snprintf(texte, sizeof texte, "%d %s flow=%s dtr=%s rts=%s: %llu bytes to the device, %llu from it", bauds,
                  trame.Texte().c_str(), flux.c_str(), dtr ? "on" : "off", rts ? "on" : "off",
                  static_cast<unsigned long long>(versAppareil), static_cast<unsigned long long>(depuisAppareil));
    return texte;
}

PontUsb::PontUsb(std::function<void()> surDepart) : surDepart_(std::move(surDepart)) {}

PontUsb::~PontUsb() { Debrancher(); }

bool PontUsb::Brancher(int descripteur) {
    {
        std::lock_guard<std::mutex> l(verrou_);
        if (branche_) return false;
        registres_ = Registres{};
        versAppareil_.clear();
        versPc_.clear();
        entreesEnAttente_.clear();
        descripteur_ = descripteur;
        branche_ = true;
        parti_ = false;
        arret_ = false;
    }
    fil_ = std::thread([this, descripteur] { Servir(descripteur); });
    return true;
}

// Plug and unplug come from one owner thread, the only one that changes branche_ and descripteur_.
void PontUsb::Debrancher() {
    if (!branche_) return;
    arret_ = true;
    shutdown(descripteur_, SHUT_RDWR);  // ends a recv or a send under way
    {
        std::lock_guard<std::mutex> l(verrou_);
        changement_.notify_all();
    }
    fil_.join();
    std::lock_guard<std::mutex> l(verrou_);
    close(descripteur_);
    descripteur_ = -1;
    branche_ = false;
    entreesEnAttente_.clear();
    changement_.notify_all();
}

bool PontUsb::Parti() const {
    std::lock_guard<std::mutex> l(verrou_);
    return parti_;
}

// The link ends by the device's or the host's doing: the owner is told, unless it is unplugging.
void PontUsb::Partir() {
    {
        std::lock_guard<std::mutex> l(verrou_);
        if (parti_ || arret_) return;
        parti_ = true;
        changement_.notify_all();
    }
    if (surDepart_) surDepart_();
}

// ---- the USB/IP link ----

void PontUsb::Servir(int descripteur) {
    unsigned char entete[usbip::TAILLE_ENTETE];
    for (;;) {
        if (!LireTout(descripteur, entete, sizeof entete)) break;
        const std::uint32_t commande = Mot(entete, 0);
        const bool suite = commande == usbip::CMD_SUBMIT   ? TraiterSoumission(descripteur, entete)
                           : commande == usbip::CMD_UNLINK ? TraiterAnnulation(entete)
                                                           : false;
        if (!suite) break;
    }
    Partir();
}

bool PontUsb::TraiterSoumission(int descripteur, const unsigned char* entete) {
    const Urb urb{Mot(entete, 4), Mot(entete, 12), Mot(entete, 24)};
    const std::uint32_t ep = Mot(entete, 16);
    const unsigned char* setup = entete + 40;
    if (urb.longueur > LONGUEUR_MAX) return false;
    std::vector<unsigned char> donnees;
    if (urb.direction == usbip::DIR_OUT && urb.longueur > 0) {
        donnees.resize(urb.longueur);
        if (!LireTout(descripteur, donnees.data(), donnees.size())) return false;
    }
    std::lock_guard<std::mutex> l(verrou_);
    if (ep == 0) {
        std::vector<unsigned char> reponse;
        const int statut = Controle(setup, donnees, reponse);
        if (statut != 0) return Repondre(urb, statut, nullptr, 0);
        if (urb.direction == usbip::DIR_OUT) return Repondre(urb, 0, nullptr, donnees.size());
        return Repondre(urb, 0, reponse.data(), std::min<std::size_t>(reponse.size(), urb.longueur));
    }
    if (ep == usb::EP_SORTIE && urb.direction == usbip::DIR_OUT) {
        versAppareil_.insert(versAppareil_.end(), donnees.begin(), donnees.end());
        releve_[ReglageCourant()].versAppareil += donnees.size();
        changement_.notify_all();
        return Repondre(urb, 0, nullptr, donnees.size());
    }
    if (ep == (usb::EP_ENTREE & 0x0F) && urb.direction == usbip::DIR_IN) {
        // Held until the device has bytes: an empty answer would have the host ask again at once.
        entreesEnAttente_.push_back(urb);
        return ServirEntrees();
    }
    return Repondre(urb, -EPIPE, nullptr, 0);
}

bool PontUsb::TraiterAnnulation(const unsigned char* entete) {
    const std::uint32_t cible = Mot(entete, 20);
    std::lock_guard<std::mutex> l(verrou_);
    const auto urb = std::find_if(entreesEnAttente_.begin(), entreesEnAttente_.end(),
                                  [cible](const Urb& u) { return u.seqnum == cible; });
    // A URB already answered is no longer ours to cancel.
    int statut = 0;
    if (urb != entreesEnAttente_.end()) {
        entreesEnAttente_.erase(urb);
        statut = -ECONNRESET;
    }
    unsigned char reponse[usbip::TAILLE_ENTETE] = {};
    PoserMot(reponse, 0, usbip::RET_UNLINK);
    PoserMot(reponse, 4, Mot(entete, 4));
    PoserMot(reponse, 20, static_cast<std::uint32_t>(statut));
    return Envoyer(reponse, sizeof reponse);
}

// The pending IN URBs take what waits for the PC, oldest first.
bool PontUsb::ServirEntrees() {
    bool bon = true;
    while (!entreesEnAttente_.empty() && !versPc_.empty()) {
        const Urb urb = entreesEnAttente_.front();
        entreesEnAttente_.pop_front();
        const std::size_t nombre = std::min<std::size_t>(urb.longueur, versPc_.size());
        const std::vector<unsigned char> octets(versPc_.begin(), versPc_.begin() + nombre);
        versPc_.erase(versPc_.begin(), versPc_.begin() + nombre);
        bon = Repondre(urb, 0, octets.data(), nombre) && bon;
    }
    changement_.notify_all();
    return bon;
}

// RET_SUBMIT: an OUT URB's count, an IN URB's count and bytes.
bool PontUsb::Repondre(const Urb& urb, int statut, const unsigned char* donnees, std::size_t nombre) {
    std::vector<unsigned char> message(usbip::TAILLE_ENTETE, 0);
    PoserMot(message.data(), 0, usbip::RET_SUBMIT);
    PoserMot(message.data(), 4, urb.seqnum);
    PoserMot(message.data(), 20, static_cast<std::uint32_t>(statut));
    PoserMot(message.data(), 24, static_cast<std::uint32_t>(nombre));
    if (urb.direction == usbip::DIR_IN) message.insert(message.end(), donnees, donnees + nombre);
    return Envoyer(message.data(), message.size());
}

bool PontUsb::Envoyer(const unsigned char* octets, std::size_t nombre) {
    while (nombre > 0) {
        const ssize_t n = send(descripteur_, octets, nombre, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        octets += n;
        nombre -= static_cast<std::size_t>(n);
    }
    return true;
}

// ---- requests on endpoint 0 ----

// 0 or the URB's error status: -EPIPE, a STALL, for what the part does not know.
int PontUsb::Controle(const unsigned char* setup, const std::vector<unsigned char>& donnees,
                      std::vector<unsigned char>& reponse) {
    switch (setup[0] & usb::TYPE_MASQUE) {
    case usb::TYPE_STANDARD: return Standard(setup, reponse);
    case usb::TYPE_FOURNISSEUR: return Fournisseur(setup, donnees, reponse);
    default: return -EPIPE;
    }
}

int PontUsb::Standard(const unsigned char* setup, std::vector<unsigned char>& reponse) {
    const unsigned valeur = setup[2] | setup[3] << 8;
    const unsigned index = setup[4] | setup[5] << 8;
    const bool versPoint = (setup[0] & 0x1F) == 2;  // recipient: an endpoint
    switch (setup[1]) {
    case usb::GET_DESCRIPTOR: return Descripteur(valeur >> 8, valeur & 0xFF, reponse) ? 0 : -EPIPE;
    case usb::SET_ADDRESS: return 0;
    case usb::SET_CONFIGURATION:
        if (valeur > 1) return -EPIPE;
        registres_.configuration = static_cast<unsigned char>(valeur);
        return 0;
    case usb::GET_CONFIGURATION: reponse = {registres_.configuration}; return 0;
    case usb::GET_STATUS: reponse = {0, 0}; return 0;  // bus powered; no endpoint halted
    case usb::GET_INTERFACE: reponse = {0}; return index == 0 ? 0 : -EPIPE;
    case usb::SET_INTERFACE: return index == 0 && valeur == 0 ? 0 : -EPIPE;
    case usb::CLEAR_FEATURE: return versPoint && valeur == usb::ENDPOINT_HALT ? 0 : -EPIPE;
    default: return -EPIPE;
    }
}

// Every GET answers what the last SET gave.
int PontUsb::Fournisseur(const unsigned char* setup, const std::vector<unsigned char>& donnees,
                         std::vector<unsigned char>& reponse) {
    using namespace usb;
    Registres& r = registres_;
    const unsigned valeur = setup[2] | setup[3] << 8;
    switch (setup[1]) {
    case IFC_ENABLE: r.uartActif = (valeur & 1) != 0; return 0;
    case SET_BAUDDIV:
        if (valeur == 0) return -EPIPE;
        r.bauds = HORLOGE_DIVISEUR / valeur;
        break;
    case GET_BAUDDIV: AjouterPetit(reponse, HORLOGE_DIVISEUR / r.bauds, 2); return 0;
    case SET_BAUDRATE:
        if (donnees.size() < 4 || Petit32(donnees.data()) == 0) return -EPIPE;
        r.bauds = Petit32(donnees.data());
        break;
    case GET_BAUDRATE: AjouterPetit(reponse, r.bauds, 4); return 0;
    case SET_LINE_CTL: {
        const unsigned bits = valeur >> 8, parite = valeur >> 4 & 0x0F, arret = valeur & 0x0F;
        if (bits < 5 || bits > 8 || parite > 4 || arret > 2) return -EPIPE;
        r.ligne = static_cast<std::uint16_t>(valeur);
        break;
    }
    case GET_LINE_CTL: AjouterPetit(reponse, r.ligne, 2); return 0;
    case SET_MHS:
        if (valeur & MHS_ECRIRE_DTR) r.modem = static_cast<std::uint16_t>((r.modem & ~MHS_DTR) | (valeur & MHS_DTR));
        if (valeur & MHS_ECRIRE_RTS) r.modem = static_cast<std::uint16_t>((r.modem & ~MHS_RTS) | (valeur & MHS_RTS));
        break;
    case GET_MDMSTS: reponse = {static_cast<unsigned char>(r.modem | MODEM_CTS_DSR_DCD)}; return 0;
    case SET_FLOW: {
        if (donnees.size() < sizeof r.flux) return -EPIPE;
        std::copy(donnees.begin(), donnees.begin() + sizeof r.flux, r.flux);
        // DTR and RTS follow the handshake words too: on, or under flow control.
        const bool dtr = (Petit32(r.flux) & FLUX_DTR_MASQUE) != 0;
        const bool rts = (Petit32(r.flux + 4) & FLUX_RTS_MASQUE) != 0;
        r.modem = static_cast<std::uint16_t>((dtr ? MHS_DTR : 0) | (rts ? MHS_RTS : 0));
        break;
    }
    case GET_FLOW: reponse.assign(r.flux, r.flux + sizeof r.flux); return 0;
    case SET_CHAR:
        if ((valeur >> 8) >= sizeof r.caracteres) return -EPIPE;
        r.caracteres[valeur >> 8] = static_cast<unsigned char>(valeur);
        return 0;
    case SET_CHARS:
        if (donnees.size() < sizeof r.caracteres) return -EPIPE;
        std::copy(donnees.begin(), donnees.begin() + sizeof r.caracteres, r.caracteres);
        return 0;
    case GET_CHARS: reponse.assign(r.caracteres, r.caracteres + sizeof r.caracteres); return 0;
    case SET_EVENTMASK: r.masqueEvenements = static_cast<std::uint16_t>(valeur); return 0;
    case GET_EVENTMASK: AjouterPetit(reponse, r.masqueEvenements, 2); return 0;
    case GET_EVENTSTATE: reponse = {0, 0}; return 0;
    case GET_COMM_STATUS:
        // Nothing held back either way; what waits for the PC is the input queue.
        reponse.assign(8, 0);
        AjouterPetit(reponse, static_cast<std::uint32_t>(versPc_.size()), 4);
        reponse.resize(19, 0);
        return 0;
    case PURGE:
        if (valeur & 0x0A) versPc_.clear();
        return 0;
    case IMM_CHAR:
        versAppareil_.push_back(static_cast<unsigned char>(valeur));
        releve_[ReglageCourant()].versAppareil += 1;
        changement_.notify_all();
        return 0;
    case SET_BREAK:
    case SET_XON:
    case SET_XOFF:
    case RESET: return 0;
    case VENDOR_SPECIFIC:
        if (!(setup[0] & 0x80) || valeur != GET_PARTNUM) return -EPIPE;
        reponse = {NUMERO_PIECE};
        return 0;
    default: return -EPIPE;
    }
    ReglageCourant();  // a line setting: the record notes it
    return 0;
}

// ---- the record ----

Trame PontUsb::TrameCourante() const {
    static const char PARITES[] = "NOEMS";
    static const char* const ARRETS[] = {"1", "1.5", "2"};
    const std::uint16_t ligne = registres_.ligne;
    return Trame{ligne >> 8, PARITES[ligne >> 4 & 0x0F], ARRETS[ligne & 0x0F]};
}

// The record's entry for the current setting, made when new.
std::size_t PontUsb::ReglageCourant() {
    ReglageReleve r;
    r.bauds = static_cast<int>(registres_.bauds);
    r.trame = TrameCourante();
    const bool rtscts = (Petit32(registres_.flux) & usb::FLUX_CTS) != 0;
    const bool xonxoff = (Petit32(registres_.flux + 4) & usb::FLUX_XON_XOFF) != 0;
    r.flux = rtscts && xonxoff ? "rtscts+xonxoff" : rtscts ? "rtscts" : xonxoff ? "xonxoff" : "none";
    r.dtr = (registres_.modem & usb::MHS_DTR) != 0;
    r.rts = (registres_.modem & usb::MHS_RTS) != 0;
    for (std::size_t i = 0; i < releve_.size(); ++i) {
        const ReglageReleve& e = releve_[i];
        if (e.bauds == r.bauds && e.trame == r.trame && e.flux == r.flux && e.dtr == r.dtr && e.rts == r.rts) return i;
    }
    releve_.push_back(r);
    return releve_.size() - 1;
}

std::vector<ReglageReleve> PontUsb::Releve() const {
    std::lock_guard<std::mutex> l(verrou_);
    return releve_;
}

std::string PontUsb::ResumeReleve() const {
    std::uint64_t vers = 0, depuis = 0;
    const std::vector<ReglageReleve> releve = Releve();
    for (const ReglageReleve& r : releve) {
        vers += r.versAppareil;
        depuis += r.depuisAppareil;
    }
    char texte[120];
    std::snprintf(texte, sizeof texte, "%zu settings, %llu bytes to the device, %llu from it", releve.size(),
                  static_cast<unsigned long long>(vers), static_cast<unsigned long long>(depuis));
    return texte;
}

bool PontUsb::EcrireReleve(const std::string& chemin) const {
    std::ofstream fichier(chemin, std::ios::out | std::ios::trunc);
    for (const ReglageReleve& r : Releve())
        fichier << r.Texte() << '\n';
    fichier << "total: " << ResumeReleve() << '\n';
    return static_cast<bool>(fichier.flush());
}

// ---- the device's end ----

LigneAppareil::Lecture PontUsb::Lire(unsigned char& octet, int delaiMs) {
    std::unique_lock<std::mutex> l(verrou_);
    const auto pret = [this] { return !branche_ || parti_ || arret_ || !versAppareil_.empty(); };
    if (delaiMs < 0)
        changement_.wait(l, pret);
    else if (!changement_.wait_for(l, std::chrono::milliseconds(delaiMs), pret))
        return Lecture::Delai;
    if (!branche_ || parti_ || arret_) return Lecture::Fermee;
    octet = versAppareil_.front();
    versAppareil_.pop_front();
    return Lecture::Octet;
}

// With its UART off, the part takes nothing in for the PC.
bool PontUsb::Ecrire(const unsigned char* octets, std::size_t nombre) {
    std::lock_guard<std::mutex> l(verrou_);
    if (!branche_ || parti_ || arret_) return false;
    if (!registres_.uartActif) return true;
    versPc_.insert(versPc_.end(), octets, octets + nombre);
    releve_[ReglageCourant()].depuisAppareil += nombre;
    ServirEntrees();
    return true;
}

bool PontUsb::ReglagesPC(int& bitsDonnees, int& bauds) {
    std::lock_guard<std::mutex> l(verrou_);
    bitsDonnees = TrameCourante().bitsDonnees;
    bauds = static_cast<int>(registres_.bauds);
    return true;
}

bool PontUsb::TramePC(Trame& trame) {
    std::lock_guard<std::mutex> l(verrou_);
    trame = TrameCourante();
    return true;
}

void PontUsb::Raccrocher() {
    {
        std::unique_lock<std::mutex> l(verrou_);
        changement_.wait_for(l, std::chrono::milliseconds(DELAI_VIDAGE_MS),
                             [this] { return versPc_.empty() || !branche_ || arret_; });
    }
    Partir();
}
