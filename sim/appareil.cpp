#include "sim/appareil.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

#include "link/protocole.h"
#include "sim/temps_appareil.h"

using namespace protocole;
using namespace temps_appareil;

namespace {

bool EstCommande(unsigned char octet) {
    switch (octet) {
    case CMD_CONNEXION:
    case CMD_PROGRAMMATION:
    case CMD_LIRE_MODELE:
    case CMD_LIRE_VARIANTE:
    case CMD_LIRE_EEPROM:
    case CMD_ECRIRE_EEPROM:
    case CMD_PREPARER:
    case CMD_TERMINER:
    case CMD_VITESSE:
    case CMD_ECRIRE_BLOC:
    case CMD_AU_REVOIR: return true;
    default: return false;
    }
}

// The bootloader only decodes upper-case digits, as the PC formats them.
int ValeurChiffre(unsigned char car) {
    if (car >= '0' && car <= '9') return car - '0';
    if (car >= 'A' && car <= 'F') return car - 'A' + 10;
    return -1;
}

const char CHIFFRES[] = "0123456789ABCDEF";
// No hex digit, though an unchecked decoder makes a number of it ("0L" gives 21).
constexpr unsigned char CARACTERE_NON_HEX = 'L';
const char NON_HEX[] = " with characters that are not upper-case hex pairs";

// The bootloader's UART: 8 data bits, even parity, 1 stop bit.
const Trame TRAME_APPAREIL{8, 'E', "1"};

std::string Format(const char* format, unsigned a = 0, unsigned b = 0, unsigned c = 0) {
    char texte[160];
    std::snprintf(texte, sizeof texte, format, a, b, c);
    return texte;
}

}  // namespace

Appareil::Appareil(OptionsSimulateur options)
    : options_(std::move(options)), programme_(TAILLE_MEMOIRE_PROGRAMME, 0xFF), eeprom_(TAILLE_EEPROM, 0xFF),
      vitesse_(VITESSE_INITIALE) {
    const IdentiteAppareil& id = options_.identite;
    for (int i = 0; i < 4; ++i)
        eeprom_[EEPROM_NUMERO_SERIE + i] = static_cast<std::uint8_t>(id.numeroSerie >> (8 * i));
    eeprom_[EEPROM_REVISION] = static_cast<std::uint8_t>(id.revision);
    eeprom_[EEPROM_MAJEUR] = static_cast<std::uint8_t>(id.majeur);
    eeprom_[EEPROM_MINEUR] = static_cast<std::uint8_t>(id.mineur);
    eeprom_[EEPROM_LANGUE] = static_cast<std::uint8_t>(id.langue);
    if (!options_.fichierTrace.empty()) {
        fichierTrace_.open(options_.fichierTrace, std::ios::out | std::ios::trunc);
        if (!fichierTrace_) Signaler("cannot write the trace file " + options_.fichierTrace);
    }
}

void Appareil::Servir(LigneAppareil& ligne) {
    ligne_ = &ligne;
    if (!debutPris_) {
        debut_ = ligne.Maintenant();
        debutPris_ = true;
    }
    MettreSousTension();
    for (;;) {
        unsigned char octet = 0;
        auRepos_ = true;
        const Reception r = Recevoir(octet, -1);
        auRepos_ = false;
        if (r == Reception::Fermee) break;
        if (r == Reception::Octet) {
            Traiter(octet);
            Parasiter();
        }
    }
    ligne_ = nullptr;
    if (fichierTrace_.is_open()) fichierTrace_.flush();
}

// Flash and EEPROM keep what they hold; the rest starts as the bootloader starts.
void Appareil::MettreSousTension() {
    std::lock_guard<std::mutex> verrou(verrou_);
    connecte_ = false;
    phase_ = Phase::Aucune;
    vitesse_ = VITESSE_INITIALE;
    finReception_ = {};
    instant_ = {};
    occupeJusqua_ = {};
}

// The device's clock runs ahead of the wall clock while it works on bytes still crossing the
// wire: it sleeps only before what the PC can see (a reply, a dropped line), once, so that
// neither a late wake-up nor a sleep's overshoot adds up over a frame.
LigneAppareil::Horloge::time_point Appareil::Instant() const { return std::max(ligne_->Maintenant(), instant_); }

void Appareil::Rattraper() { ligne_->DormirJusqua(instant_); }

void Appareil::Attendre(int ms) {
    if (ms > 0) instant_ = Instant() + std::chrono::milliseconds(ms);
}

// ---- bytes on the line ----

Appareil::Reception Appareil::Recevoir(unsigned char& octet, int delaiMs) {
    // A time-out runs from the device's own time.
    const auto avance = std::chrono::ceil<std::chrono::milliseconds>(Instant() - ligne_->Maintenant());
    switch (ligne_->Lire(octet, delaiMs < 0 ? delaiMs : delaiMs + static_cast<int>(avance.count()))) {
    case LigneAppareil::Lecture::Delai: return Reception::Delai;
    case LigneAppareil::Lecture::Fermee: return Reception::Fermee;
    case LigneAppareil::Lecture::Octet: break;
    }
    const auto arrivee = Recu();
    Noter(true, octet);
    const std::string ecart = EcartAvecPc();
    if (!ecart.empty()) {
        Signaler(Format("byte 0x%02X lost: ", octet) + ecart);
        return Reception::Brouille;
    }
    // Erasing or writing a cell, the bootloader does not read its UART.
    if (arrivee < occupeJusqua_) {
        Signaler(Format("byte 0x%02X lost: the PC sent it while the device was ", octet) + travail_);
        return Reception::Brouille;
    }
    return Reception::Octet;
}

// A UART set to another rate or framing than its peer only sees garbage, either way.
// Empty when the two ends agree.
std::string Appareil::EcartAvecPc() {
    int bits = 0, bauds = 0;
    if (!ligne_->ReglagesPC(bits, bauds)) return "the PC's line settings cannot be read";
    Trame pc;
    if (ligne_->TramePC(pc)) {
        if (pc == TRAME_APPAREIL && bauds == vitesse_) return {};
        return Format("the PC is at %u bit/s in ", static_cast<unsigned>(bauds)) + pc.Texte() +
               Format(", the device at %u bit/s in ", static_cast<unsigned>(vitesse_)) + TRAME_APPAREIL.Texte();
    }
    if (bits == 8 && bauds == vitesse_) return {};
    return Format("the PC is at %u bit/s with %u data bits, the device at %u bit/s with 8",
                  static_cast<unsigned>(bauds), static_cast<unsigned>(bits), static_cast<unsigned>(vitesse_));
}

// Time stamps only: the busy time costs nothing unless the PC sends into it.
void Appareil::Occuper(int ms, const char* travail) {
    occupeJusqua_ = Instant() + std::chrono::milliseconds(ms);
    travail_ = travail;
}

void Appareil::Repondre(unsigned char octet) {
    Cadencer();
    Emettre(octet);
}

// A pseudo-terminal hands over what the PC wrote at once: a byte that was waiting follows the
// one before it on the wire, and is taken as arrived once it has crossed it at the current rate.
// Returns when it started on the wire.
LigneAppareil::Horloge::time_point Appareil::Recu() {
    const auto maintenant = ligne_->Maintenant();
    if (options_.rapide) return maintenant;
    const auto debut = std::max(maintenant, finReception_);
    finReception_ = debut + TempsCaractere();
    instant_ = std::max(instant_, finReception_);
    return debut;
}

std::chrono::microseconds Appareil::TempsCaractere() const {
    return std::chrono::microseconds(1000000L * BITS_PAR_CARACTERE / vitesse_);
}

// The wire time of one character at the current rate.
void Appareil::Cadencer() {
    if (options_.rapide) return;
    instant_ = Instant() + TempsCaractere();
}

void Appareil::Emettre(const unsigned char* octets, std::size_t nombre) {
    Rattraper();
    const std::string ecart = EcartAvecPc();
    if (!ecart.empty()) {
        for (std::size_t i = 0; i < nombre; ++i)
            Signaler(Format("reply 0x%02X lost: ", octets[i]) + ecart);
        return;
    }
    if (!ligne_->Ecrire(octets, nombre)) return;
    for (std::size_t i = 0; i < nombre; ++i)
        Noter(false, octets[i]);
}

// Each character waits for the PC's ACQUIT before the next one goes.
bool Appareil::EnvoyerHex(unsigned char valeur, bool nonHex) {
    const unsigned char caracteres[2] = {static_cast<unsigned char>(CHIFFRES[valeur >> 4]),
                                         nonHex ? CARACTERE_NON_HEX
                                                : static_cast<unsigned char>(CHIFFRES[valeur & 0x0F])};
    for (unsigned char car : caracteres) {
        Repondre(car);
        unsigned char recu = 0;
        const Reception r = Recevoir(recu, DELAI_CARACTERE_APPAREIL_MS);
        if (r == Reception::Fermee || r == Reception::Brouille) return false;
        if (r == Reception::Delai) {
            Signaler(Format("character '%c' never acknowledged; reply dropped", car));
            return false;
        }
        if (recu != ACQUIT) {
            Signaler(Format("character '%c' answered with 0x%02X instead of 0x84; reply dropped", car, recu));
            return false;
        }
    }
    return true;
}

// Each value comes as two hex digits; one that does not is left as it was and clears valides.
// False when the exchange is dropped.
bool Appareil::LireParametres(unsigned char* valeurs, std::size_t nombre, const char* commande, bool& valides) {
    for (std::size_t i = 0; i < nombre; ++i) {
        unsigned char car[2] = {0, 0};
        for (unsigned char& c : car) {
            const Reception r = Recevoir(c, DELAI_CARACTERE_APPAREIL_MS);
            if (r == Reception::Fermee || r == Reception::Brouille) return false;
            if (r == Reception::Delai) {
                Signaler(std::string(commande) + ": frame cut short, exchange dropped");
                return false;
            }
        }
        const int fort = ValeurChiffre(car[0]);
        const int faible = ValeurChiffre(car[1]);
        if (fort < 0 || faible < 0)
            valides = false;
        else
            valeurs[i] = static_cast<unsigned char>(fort * 16 + faible);
    }
    return true;
}

// A byte nobody asked for, once, after the answer to the chosen command.
void Appareil::Parasiter() {
    const FautesAppareil& f = options_.fautes;
    if (parasiteEnvoye_ || f.parasiteApres == 0 || commandesRecues_ != f.parasiteApres) return;
    parasiteEnvoye_ = true;
    Attendre(f.retardParasiteMs);
    Repondre(f.octetParasite);
}

void Appareil::Noter(bool versAppareil, unsigned char octet) {
    {
        std::lock_guard<std::mutex> verrou(verrou_);
        trace_.push_back({versAppareil, octet});
    }
    if (fichierTrace_.is_open()) {
        const double ms = std::chrono::duration<double, std::milli>(Instant() - debut_).count();
        char ligne[64];
        std::snprintf(ligne, sizeof ligne, "%10.3f %s %02X\n", ms, versAppareil ? "PC>AP" : "AP>PC", octet);
        fichierTrace_ << ligne << std::flush;
    }
}

void Appareil::Signaler(const std::string& anomalie) {
    {
        std::lock_guard<std::mutex> verrou(verrou_);
        anomalies_.push_back(anomalie);
    }
    if (fichierTrace_.is_open()) fichierTrace_ << "# " << anomalie << '\n' << std::flush;
    if (options_.surAnomalie) options_.surAnomalie(anomalie);
}

void Appareil::Rejeter(const std::string& raison) {
    Signaler(raison);
    Repondre(REP_REJET);
}

bool Appareil::EnPhase(Phase voulue, const std::string& refus) {
    if (phase_ == voulue) return true;
    Rejeter(refus + Format(" (phase %u)", static_cast<unsigned>(phase_)));
    return false;
}

// ---- commands ----

// Called once for each coming of a command, once its address is known. A cut that loses the
// command leaves its fault for a later coming.
Appareil::Decision Appareil::Decider(unsigned char commande, long adresse) {
    const FautesAppareil& f = options_.fautes;
    Decision d;
    if (!coupe_ && commande == f.commandeCoupure && (f.adresseCoupure < 0 || adresse == f.adresseCoupure) &&
        ++venuesCoupure_ == f.coupureA) {
        if (!f.coupureApresPrise) return {Sort::Coupure, false};
        d.coupureApres = true;
    }
    if (commande == f.commandeFautive && (f.adresseFautive < 0 || adresse == f.adresseFautive) &&
        ++venuesFautive_ >= f.fauteDepuis && (f.fautesMax <= 0 || fautesFaites_ < f.fautesMax)) {
        ++fautesFaites_;
        d.sort = f.fauteMuette ? Sort::Silence : Sort::Faute;
    }
    return d;
}

// Plays what the fault options make of this coming of the command; true when the device
// carries it out. A cut after the answer comes at the end of Traiter.
bool Appareil::Prendre(unsigned char commande, long adresse) {
    const Decision d = Decider(commande, adresse);
    coupureApres_ = d.coupureApres;
    if (d.sort == Sort::Coupure) Couper();
    if (d.sort == Sort::Faute) Repondre(options_.fautes.octetFautif);
    return d.sort == Sort::Executer;
}

// The power goes: the line drops, and Servir returns once the device reads it closed.
void Appareil::Couper() {
    coupe_ = true;
    Rattraper();
    ligne_->Raccrocher();
}

bool Appareil::NonHex(unsigned char commande, unsigned adresse) const {
    return commande == options_.fautes.lectureNonHex &&
           (commande != CMD_LIRE_EEPROM || adresse == options_.fautes.adresseNonHex);
}

void Appareil::Traiter(unsigned char octet) {
    const bool commande = EstCommande(octet);
    if (commande) ++commandesRecues_;
    const int silencieuxDepuis = options_.fautes.silencieuxDepuis;
    if (silencieuxDepuis > 0 && commandesRecues_ >= silencieuxDepuis) return;
    if (!commande) {
        Signaler(Format("unexpected byte 0x%02X outside any command", octet));
        return;
    }
    if (!connecte_ && octet != CMD_CONNEXION) {
        Signaler(Format("command 0x%02X ignored: not connected", octet));
        return;
    }
    // Commands with parameters take them in first, so that the line stays in step, and meet
    // their faults and cuts there.
    const bool parametres =
        octet == CMD_LIRE_EEPROM || octet == CMD_ECRIRE_EEPROM || octet == CMD_VITESSE || octet == CMD_ECRIRE_BLOC;
    coupureApres_ = false;
    if (parametres || Prendre(octet)) {
        switch (octet) {
        case CMD_CONNEXION: Connexion(); break;
        case CMD_PROGRAMMATION: EntrerProgrammation(); break;
        case CMD_LIRE_MODELE: LireModele(); break;
        case CMD_LIRE_VARIANTE: LireVariante(); break;
        case CMD_LIRE_EEPROM: LireEeprom(); break;
        case CMD_ECRIRE_EEPROM: EcrireEeprom(); break;
        case CMD_PREPARER: PreparerEcriture(); break;
        case CMD_TERMINER: TerminerProgrammation(); break;
        case CMD_VITESSE: ChangerVitesse(); break;
        case CMD_ECRIRE_BLOC: EcrireBloc(); break;
        case CMD_AU_REVOIR: AuRevoir(); break;
        default: break;
        }
    }
    if (coupureApres_) Couper();
}

void Appareil::Connexion() {
    if (options_.fautes.refuserConnexion) {
        Repondre(REP_REFUS);
        return;
    }
    if (!connecte_) {
        std::lock_guard<std::mutex> verrou(verrou_);
        connecte_ = true;
        phase_ = Phase::Aucune;
    }
    Repondre(REP_CONNECTE);
}

void Appareil::LireModele() {
    std::string modele = options_.identite.modele;
    modele.resize(3, ' ');
    for (std::size_t i = 0; i < modele.size(); ++i)
        if (!EnvoyerHex(static_cast<unsigned char>(modele[i]), i + 1 == modele.size() && NonHex(CMD_LIRE_MODELE)))
            return;
}

void Appareil::LireVariante() {
    EnvoyerHex(static_cast<unsigned char>(options_.identite.variante), NonHex(CMD_LIRE_VARIANTE));
}

void Appareil::LireEeprom() {
    unsigned char octets[2] = {0, 0};
    bool valide = true;
    if (!LireParametres(octets, 2, "EEPROM read", valide)) return;
    const unsigned adresse = octets[0] * 256u + octets[1];
    if (!Prendre(CMD_LIRE_EEPROM, adresse)) return;
    if (!valide)
        Signaler(std::string("EEPROM read") + NON_HEX + "; not answered");
    else if (adresse >= TAILLE_EEPROM)
        Signaler(Format("EEPROM read at %u, beyond the EEPROM; not answered", adresse));
    else
        EnvoyerHex(eeprom_[adresse], NonHex(CMD_LIRE_EEPROM, adresse));
}

void Appareil::EcrireEeprom() {
    unsigned char octets[3] = {0, 0, 0};  // address, then the value
    bool valide = true;
    if (!LireParametres(octets, 3, "EEPROM write", valide)) return;
    const unsigned adresse = octets[0] * 256u + octets[1];
    if (!Prendre(CMD_ECRIRE_EEPROM, adresse)) return;
    if (!valide) {
        Rejeter(std::string("EEPROM write") + NON_HEX + "; refused");
        return;
    }
    if (adresse >= TAILLE_EEPROM) {
        Rejeter(Format("EEPROM write at %u, beyond the EEPROM; refused", adresse));
        return;
    }
    {
        std::lock_guard<std::mutex> verrou(verrou_);
        eeprom_[adresse] = octets[2];
    }
    Repondre(ACQUIT);
    Occuper(DUREE_ECRITURE_CELLULE_MS, "writing an EEPROM cell");
}

void Appareil::EntrerProgrammation() {
    {
        std::lock_guard<std::mutex> verrou(verrou_);
        phase_ = Phase::Programmation;
    }
    Repondre(ACQUIT);
}

// Erases the application area, so that a later block never lands on stale flash.
void Appareil::PreparerEcriture() {
    if (!EnPhase(Phase::Programmation, "prepare command refused: programming not entered")) return;
    {
        std::lock_guard<std::mutex> verrou(verrou_);
        std::fill(programme_.begin() + ADRESSE_BLOC_MIN, programme_.end(), 0xFF);
        phase_ = Phase::Ecriture;
        termine_ = false;
    }
    Repondre(ACQUIT);
    Occuper(DUREE_EFFACEMENT_MS, "erasing program memory");
}

void Appareil::EcrireBloc() {
    unsigned char compte = 0;
    bool valide = true;
    if (!LireParametres(&compte, 1, "block write", valide)) return;
    if (!valide) {
        // Without a count the rest of the frame cannot be followed.
        Rejeter(std::string("block refused: count") + NON_HEX);
        return;
    }
    // The address, least significant byte first, then the data; even bytes keyed with K0, odd
    // ones with K1.
    std::vector<std::uint8_t> trame(4 + compte);
    if (!LireParametres(trame.data(), trame.size(), "block write", valide)) return;
    unsigned adresse = 0;
    for (std::size_t i = 0; i < trame.size(); ++i) {
        trame[i] ^= i % 2 == 0 ? CLE_K0 : CLE_K1;
        if (i < 4) adresse |= static_cast<unsigned>(trame[i]) << (8 * i);
    }
    if (!Prendre(CMD_ECRIRE_BLOC, adresse)) return;
    if (!EnPhase(Phase::Ecriture, "block refused: not prepared for writing")) return;
    if (!valide) {
        Rejeter(std::string("block refused: frame") + NON_HEX);
        return;
    }
    // Checked here again, not with ComP07's rules: a device does not trust what the PC sends.
    if (compte % 2 != 0 || compte > 2 * MOTS_BLOC_MAX) {
        Rejeter(Format("block refused: byte count %u is odd or above %u", compte, 2 * MOTS_BLOC_MAX));
        return;
    }
    if (adresse % 2 != 0) {
        Rejeter(Format("block refused: odd address 0x%X", adresse));
        return;
    }
    if (adresse < ADRESSE_BLOC_MIN || adresse > ADRESSE_BLOC_MAX) {
        Rejeter(Format("block refused: address 0x%X outside 0x%X..0x%X", adresse, ADRESSE_BLOC_MIN, ADRESSE_BLOC_MAX));
        return;
    }
    const unsigned finRangee = (adresse & ~(TAILLE_RANGEE - 1)) + TAILLE_RANGEE;
    if (adresse + compte > finRangee) {
        Rejeter(Format("block refused: 0x%X + %u bytes crosses the row ending at 0x%X", adresse, compte, finRangee));
        return;
    }
    bool dejaEcrit = false;
    {
        std::lock_guard<std::mutex> verrou(verrou_);
        for (unsigned i = 0; i < compte; ++i) {
            dejaEcrit = dejaEcrit || programme_[adresse + i] != 0xFF;
            programme_[adresse + i] = trame[4 + i];
        }
        ++blocs_;
    }
    if (dejaEcrit) Signaler(Format("block at 0x%X written over flash not erased since the prepare command", adresse));
    if (!options_.rapide) Attendre(options_.dureeEcritureRangeeMs);
    Repondre(ACQUIT);
    const int raccrocher = options_.fautes.raccrocherApresBlocs;
    if (!coupureApres_ && raccrocher > 0 && blocs_ == raccrocher) ligne_->Raccrocher();
}

// Both replies go at the old rate, and only then does the device switch.
void Appareil::ChangerVitesse() {
    unsigned char code[2] = {0, 0};
    bool valide = true;
    if (!LireParametres(code, 2, "rate change", valide)) return;
    if (!Prendre(CMD_VITESSE)) return;
    if (!valide) {
        Rejeter(std::string("rate change") + NON_HEX + "; refused");
        return;
    }
    const int bauds = VitessePourCode(static_cast<std::uint16_t>(code[0] * 256u + code[1]));
    if (bauds == 0) {
        Rejeter(Format("rate change refused: unknown rate code 0x%02X%02X", code[0], code[1]));
        return;
    }
    const bool fautive = bauds == options_.fautes.vitesseFautive;
    const int retard = fautive ? options_.fautes.retardVitesseMs : 0;
    Attendre(retard);
    Repondre(ACQUIT);
    Attendre(retard);
    Repondre(ACQUIT);
    {
        std::lock_guard<std::mutex> verrou(verrou_);
        vitesse_ = bauds;
    }
}

// Here and in the farewell the state changes just before the last reply goes out, so that
// whoever sees the reply also sees the new state.
void Appareil::TerminerProgrammation() {
    if (!EnPhase(Phase::Ecriture, "end of programming refused: not prepared for writing")) return;
    Cadencer();
    {
        std::lock_guard<std::mutex> verrou(verrou_);
        connecte_ = false;
        phase_ = Phase::Aucune;
        termine_ = true;
    }
    Emettre(ACQUIT);
}

// The device stays at the rate it is at: the PC must have brought it back first.
void Appareil::AuRevoir() {
    if (vitesse_ != VITESSE_INITIALE)
        Signaler(Format("farewell at %u bit/s, not at %u", static_cast<unsigned>(vitesse_),
                        static_cast<unsigned>(VITESSE_INITIALE)));
    Cadencer();
    {
        std::lock_guard<std::mutex> verrou(verrou_);
        connecte_ = false;
        phase_ = Phase::Aucune;
    }
    Emettre(ACQUIT);
}
