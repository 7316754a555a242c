#include "link/Com_p07_v1_2.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

#include "link/chemin_port.h"
#include "link/protocole.h"

using namespace protocole;

namespace {

// Rates the PC side takes; anything else falls back to the bootloader's rate.
constexpr int VITESSES_PC[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                               19200, 38400, 56000, 57600, 115200, 128000, 256000};

bool VitessePcConnue(int bauds) {
    for (int v : VITESSES_PC)
        if (v == bauds) return true;
    return false;
}

constexpr char CHIFFRES_HEX[] = "0123456789ABCDEF";

// The device sends its values as upper-case hexadecimal digits only.
bool ChiffreHex(unsigned car) { return (car >= '0' && car <= '9') || (car >= 'A' && car <= 'F'); }

}  // namespace

ComP07::ComP07() : ComP07(CreerLigneSerie([](int n) { return CheminPort(n); })) {}

ComP07::ComP07(std::unique_ptr<LigneSerie> ligne)
    : Ligne(ligne ? std::move(ligne) : CreerLigneSerie([](int n) { return CheminPort(n); })), Reglages(),
      ReglagesInitiaux(), Delais(), DelaisInitiaux() {
    // 8 data bits, even parity checked, 1 stop bit, no handshake, DTR off, RTS on: the
    // bootloader's line. Only BaudRate changes afterwards; the fields not set here stay 0.
    Reglages.DCBlength = sizeof(Reglages);
    Reglages.BaudRate = VITESSE_INITIALE;
    Reglages.fBinary = 1;
    Reglages.fParity = 1;
    Reglages.fDtrControl = DTR_CONTROL_DISABLE;
    Reglages.fRtsControl = RTS_CONTROL_ENABLE;
    Reglages.XonLim = 100;
    Reglages.XoffLim = 100;
    Reglages.ByteSize = 8;
    Reglages.Parity = EVENPARITY;
    Reglages.StopBits = ONESTOPBIT;
    Reglages.XonChar = 1;
    Reglages.XoffChar = 2;
    Reglages.ErrorChar = 4;
    Reglages.EvtChar = 3;

    Delais.ReadIntervalTimeout = DELAI_INTERVALLE_LECTURE_MS;
    Delais.ReadTotalTimeoutMultiplier = DELAI_LECTURE_PAR_OCTET_MS;
    Delais.ReadTotalTimeoutConstant = DELAI_LECTURE_CONSTANT_MS;
    Delais.WriteTotalTimeoutMultiplier = DELAI_ECRITURE_PAR_OCTET_MS;
    Delais.WriteTotalTimeoutConstant = DELAI_ECRITURE_CONSTANT_MS;
}

ComP07::~ComP07() {
    Deconnecter();
    FermerPort();
}

int ComP07::ErreurLigne() const { return Ligne->DerniereErreur(); }

// ---- Serial line ----

void ComP07::ChoisirPort(int numero) { NumeroPort = numero > 0 ? numero : 2; }

int ComP07::OuvrirPort() {
    if (FermerPort() != 0) return Resultat;

    Port = Ligne->Ouvrir(NumeroPort);
    if (Port == PORT_INVALIDE) return Resultat = ErreurLigne();
    // From here a failure leaves the port open; the next FermerPort releases it.
    if (!Ligne->LireReglages(Port, ReglagesInitiaux)) return Resultat = ErreurLigne();
    ReglerVitessePC(VITESSE_INITIALE);
    if (!Ligne->AppliquerReglages(Port, Reglages)) return Resultat = ErreurLigne();
    if (!Ligne->LireDelais(Port, DelaisInitiaux)) return Resultat = ErreurLigne();
    if (!Ligne->AppliquerDelais(Port, Delais)) return Resultat = ErreurLigne();
    return Resultat = 0;
}

int ComP07::FermerPort() {
    if (Port == PORT_INVALIDE) {
        Resultat = 0;
    } else {
        // The farewell closes the port itself.
        if (Connecte) Deconnecter();
        if (Port != PORT_INVALIDE) {
            Resultat = Ligne->Fermer(Port) ? 0 : ErreurLigne();
            // A handle whose close failed is of no further use: keeping it would make every
            // later open fail on the same close.
            Port = PORT_INVALIDE;
        }
    }
    Connecte = 0;
    Phase = PHASE_AUCUNE;
    return Resultat;
}

int ComP07::ReglerVitessePC(int bauds) {
    Resultat = 0;
    Reglages.BaudRate = VitessePcConnue(bauds) ? bauds : VITESSE_INITIALE;
    if (Port != PORT_INVALIDE && !Ligne->AppliquerReglages(Port, Reglages)) Resultat = ErreurLigne();
    return Resultat;
}

int ComP07::ViderLigne() {
    if (Port == PORT_INVALIDE) return Resultat = ERR_PORT_FERME;
    Attendre(DELAI_VIDAGE_MS);
    return Resultat = Ligne->Purger(Port) ? 0 : ErreurLigne();
}

int ComP07::DernierResultat() const { return Resultat; }

int ComP07::EcrireOctet(unsigned char octet) {
    if (Port == PORT_INVALIDE) return Resultat = ERR_PORT_FERME;
    return Resultat = Ligne->Ecrire(Port, &octet, 1) ? 0 : ErreurLigne();
}

int ComP07::EcrireTampon(const char* donnees, int longueur) {
    if (Port == PORT_INVALIDE) return Resultat = ERR_PORT_FERME;
    const std::size_t n = (donnees != nullptr && longueur > 0) ? static_cast<std::size_t>(longueur) : 0;
    return Resultat = Ligne->Ecrire(Port, donnees, n) ? 0 : ErreurLigne();
}

int ComP07::LireOctet(unsigned* octet) {
    if (Port == PORT_INVALIDE) return Resultat = ERR_PORT_FERME;
    unsigned char recu = 0;
    std::size_t lus = 0;
    if (!Ligne->Lire(Port, &recu, &lus)) return Resultat = ErreurLigne();
    if (lus == 0) return Resultat = ERR_DELAI;
    *octet = recu;
    return Resultat = 0;
}

void ComP07::Attendre(int ms) { Ligne->Dormir(ms); }

// ---- Bootloader protocol ----

int ComP07::LireAcquit() {
    unsigned reponse = 0;
    if (LireOctet(&reponse) != 0) return Resultat;
    return Resultat = reponse == ACQUIT ? 0 : ERR_REPONSE;
}

// A query's answer must be the first thing the device sends after it: a stray byte, waiting or
// still coming after the last answer, would be read as the first character of the value.
int ComP07::Questionner(unsigned char commande) {
    if (AttendreSilence() != 0) return Resultat;
    return EcrireOctet(commande);
}

// Drops what comes in until the line has kept quiet for DELAI_SILENCE_MS; a line that never
// does is no line to trust an acknowledge from.
int ComP07::AttendreSilence() {
    DelaisSerie silence = Delais;
    silence.ReadIntervalTimeout = 0;
    silence.ReadTotalTimeoutMultiplier = 0;
    silence.ReadTotalTimeoutConstant = DELAI_SILENCE_MS;
    if (!Ligne->AppliquerDelais(Port, silence)) return Resultat = ErreurLigne();
    unsigned octet = 0;
    int lu = 0;
    for (int n = 0; n <= OCTETS_AVANT_SILENCE_MAX && (lu = LireOctet(&octet)) == 0; ++n) {}
    const bool remis = Ligne->AppliquerDelais(Port, Delais);
    if (lu == 0) return Resultat = ERR_REPONSE;
    if (lu != ERR_DELAI) return Resultat = lu;
    return Resultat = remis ? 0 : ErreurLigne();
}

int ComP07::Connecter(int secondes) {
    if (Port == PORT_INVALIDE && OuvrirPort() != 0) return Resultat;

    // Taken before the purge's wait, which counts against it.
    const std::int64_t echeance = static_cast<std::int64_t>(Ligne->Tic()) + 1000 * static_cast<std::int64_t>(secondes);
    ViderLigne();
    Resultat = 0;

    unsigned reponse = 0;
    bool tempsEcoule = false;
    do {
        if (EcrireOctet(CMD_CONNEXION) != 0) break;
        const int lu = LireOctet(&reponse);
        if (lu == 0 && reponse == REP_REFUS) {
            ViderLigne();
            Deconnecter();
            FermerPort();
        } else if (lu == ERR_DELAI) {
            Resultat = 0;  // a silent device is asked again
        } else if (lu != 0) {
            ViderLigne();
            Deconnecter();
            FermerPort();
        }
        if (secondes != 0) tempsEcoule = static_cast<std::int64_t>(Ligne->Tic()) >= echeance;
    } while (!tempsEcoule && Resultat == 0 && reponse != REP_CONNECTE);

    if (reponse == REP_CONNECTE) {
        Connecte = 1;
        Resultat = 0;
    } else {
        Connecte = 0;
        if (tempsEcoule) Resultat = ERR_DELAI;
    }
    return Resultat;
}

int ComP07::Deconnecter() {
    if (Port == PORT_INVALIDE) return Resultat = ERR_PORT_FERME;
    if (!Connecte) {
        FermerPort();
        return Resultat = 0;
    }
    ChangerVitesse(VITESSE_INITIALE);
    Attendre(DELAI_AVANT_AU_REVOIR_MS);
    if (EcrireOctet(CMD_AU_REVOIR) == 0) {
        unsigned reponse = 0;
        LireOctet(&reponse);
    }
    // One farewell only, answered or not.
    Connecte = 0;
    Phase = PHASE_AUCUNE;
    return FermerPort();
}

int ComP07::ChangerVitesse(int bauds) {
    if (!Connecte) return Resultat = ERR_NON_CONNECTE;
    Resultat = 0;
    std::uint16_t code = CodeVitesse(bauds);
    int vitesse = bauds;
    if (code == 0) {
        code = CodeVitesse(VITESSE_INITIALE);
        vitesse = VITESSE_INITIALE;
    }
    if (EcrireOctet(CMD_VITESSE) != 0 || EnvoyerHex(static_cast<unsigned char>(code >> 8)) != 0 ||
        EnvoyerHex(static_cast<unsigned char>(code & 0xFF)) != 0)
        return Resultat;

    unsigned reponse = 0;
    if (LireOctet(&reponse) != 0) return Resultat;
    if (reponse != ACQUIT) return Resultat = ERR_REPONSE;

    // The device sends a second byte, still at the old rate, before it switches.
    unsigned suivant = 0;
    LireOctet(&suivant);
    Reglages.BaudRate = static_cast<decltype(Reglages.BaudRate)>(vitesse);
    // The device has switched: a PC that could not follow must not report success.
    return Resultat = Ligne->AppliquerReglages(Port, Reglages) ? 0 : ErreurLigne();
}

int ComP07::EntrerProgrammation() {
    if (!Connecte) return Resultat = ERR_NON_CONNECTE;
    if (EcrireOctet(CMD_PROGRAMMATION) != 0 || LireAcquit() != 0) return Resultat;
    Phase = PHASE_PROGRAMMATION;
    return Resultat;
}

int ComP07::LireModele(char modele[4]) {
    modele[3] = '\0';
    if (!Connecte) return Resultat = ERR_NON_CONNECTE;
    Questionner(CMD_LIRE_MODELE);
    for (int i = 0; i < 3 && Resultat == 0; ++i) {
        unsigned valeur = 0;
        if (LireHex(&valeur, true) == 0) modele[i] = static_cast<char>(valeur & 0xFF);
    }
    return Resultat;
}

int ComP07::VerifierModele() {
    char modele[4] = {};
    if (LireModele(modele) != 0) return Resultat;
    return Resultat = std::strcmp(modele, MODELE) == 0 ? 0 : ERR_MODELE;
}

int ComP07::LireVariante(unsigned* valeur) {
    if (!Connecte) return Resultat = ERR_NON_CONNECTE;
    if (Questionner(CMD_LIRE_VARIANTE) != 0) return Resultat;
    return LireHex(valeur, true);
}

int ComP07::LireEeprom(int adresse, unsigned* valeur) {
    if (!Connecte) return Resultat = ERR_NON_CONNECTE;
    const unsigned a = static_cast<unsigned>(adresse);
    if (Questionner(CMD_LIRE_EEPROM) != 0 || EnvoyerHex(static_cast<unsigned char>(a >> 8)) != 0 ||
        EnvoyerHex(static_cast<unsigned char>(a & 0xFF)) != 0)
        return Resultat;
    return LireHex(valeur, true);
}

int ComP07::EcrireEeprom(int adresse, int valeur) {
    if (!Connecte) return Resultat = ERR_NON_CONNECTE;
    const unsigned a = static_cast<unsigned>(adresse);
    if (EcrireOctet(CMD_ECRIRE_EEPROM) != 0 || EnvoyerHex(static_cast<unsigned char>(a >> 8)) != 0 ||
        EnvoyerHex(static_cast<unsigned char>(a & 0xFF)) != 0 ||
        EnvoyerHex(static_cast<unsigned char>(valeur & 0xFF)) != 0)
        return Resultat;
    // The device acknowledges once the cell is written.
    Attendre(DELAI_ECRITURE_EEPROM_MS);
    return LireAcquit();
}

int ComP07::LireMotEeprom(int adresse, int* valeur) {
    unsigned octet = 0;
    if (LireEeprom(adresse, &octet) != 0) return Resultat;
    *valeur = static_cast<int>(octet);
    if (LireEeprom(adresse + 1, &octet) != 0) return Resultat;
    *valeur += static_cast<int>(octet) * 256;
    return Resultat;
}

int ComP07::LireNumeroSerie(unsigned* numero) {
    int mot = 0;
    if (LireMotEeprom(EEPROM_NUMERO_SERIE, &mot) != 0) return Resultat;
    *numero = static_cast<unsigned>(mot);
    if (LireMotEeprom(EEPROM_NUMERO_SERIE + 2, &mot) != 0) return Resultat;
    *numero += static_cast<unsigned>(mot) * 65536u;
    return Resultat;
}

int ComP07::LireVersion(unsigned* majeur, unsigned* mineur, unsigned* revision) {
    if (LireEeprom(EEPROM_MAJEUR, majeur) != 0 || LireEeprom(EEPROM_MINEUR, mineur) != 0) return Resultat;
    return LireEeprom(EEPROM_REVISION, revision);
}

// Least significant number first, so that a cut between two writes never strands the device.
// Writing U.N.R over an accepted M.m.r (2 <= M, M.m.r <= U.N.R), a cut leaves M.m.R or M.N.R.
// The major number stays M >= 2. With M < U both are below U.N.R; with M = U, m <= N, so
// M.m.R <= U.N.R and M.N.R is U.N.R itself. The next run accepts either and writes it again.
int ComP07::EcrireVersion(int majeur, int mineur, int revision) {
    if (EcrireEeprom(EEPROM_REVISION, revision) != 0 || EcrireEeprom(EEPROM_MINEUR, mineur) != 0) return Resultat;
    return EcrireEeprom(EEPROM_MAJEUR, majeur);
}

int ComP07::PreparerEcriture() {
    if (!Connecte) return Resultat = ERR_NON_CONNECTE;
    if (Phase != PHASE_PROGRAMMATION) return Resultat = ERR_PAS_EN_PROGRAMMATION;

    int echec = EcrireOctet(CMD_PREPARER);
    if (echec == 0) {
        // The device erases before it answers.
        Attendre(DELAI_PREPARATION_MS);
        unsigned reponse = 0;
        echec = LireOctet(&reponse);
        if (echec == 0) {
            if (reponse == ACQUIT)
                Phase = PHASE_ECRITURE;
            else
                echec = ERR_REPONSE;
        }
    }
    Attendre(DELAI_PREPARATION_MS);
    const int vidage = ViderLigne();
    return Resultat = echec != 0 ? echec : vidage;
}

int ComP07::EcrireBloc(unsigned adresse, unsigned nbMots, const unsigned* mots) {
    if (!Connecte) return Resultat = ERR_NON_CONNECTE;
    if (Phase != PHASE_ECRITURE) return Resultat = ERR_ETAT_OU_BLOC;
    if (const int refus = VerifierBloc(adresse, nbMots)) return Resultat = refus;
    if (nbMots > 0 && mots == nullptr) return Resultat = ERR_ETAT_OU_BLOC;

    // The whole frame in one write: the line is not handed 70 pieces per block.
    char trame[1 + 2 * (1 + 4 + 2 * MOTS_BLOC_MAX)];
    std::size_t n = 0;
    const auto hex = [&](unsigned octet) {
        trame[n++] = CHIFFRES_HEX[(octet >> 4) & 0x0F];
        trame[n++] = CHIFFRES_HEX[octet & 0x0F];
    };
    trame[n++] = static_cast<char>(CMD_ECRIRE_BLOC);
    hex(2 * nbMots);
    for (unsigned i = 0; i < 4; ++i)
        hex(((adresse >> (8 * i)) & 0xFF) ^ (i % 2 ? CLE_K1 : CLE_K0));
    for (unsigned i = 0; i < nbMots; ++i) {
        hex((mots[i] & 0xFF) ^ CLE_K0);
        hex(((mots[i] >> 8) & 0xFF) ^ CLE_K1);
    }
    const int envoi = EcrireTampon(trame, static_cast<int>(n));

    // The reply is read even after a failed send, so that a late answer does not linger; a
    // block that did not all go out is not written, whatever came back or failed to.
    unsigned reponse = 0;
    const int lecture = LireOctet(&reponse);
    if (lecture == 0 && reponse != ACQUIT) ViderLigne();
    if (envoi != 0) return Resultat = envoi;
    if (lecture != 0) return Resultat = lecture;
    return Resultat = reponse == ACQUIT ? 0 : ERR_REPONSE;
}

int ComP07::TerminerProgrammation() {
    if (!Connecte) return Resultat = ERR_NON_CONNECTE;
    if (Phase != PHASE_ECRITURE) return Resultat = ERR_ETAT_OU_BLOC;
    // Out of step with the device, 0x91 would go at a rate it does not listen at, and its
    // late answer would pass for the acknowledge.
    if (ChangerVitesse(VITESSE_INITIALE) != 0) return Resultat;
    // Only a byte that comes after 0x91 acknowledges it, and a late one may still be on its way.
    if (AttendreSilence() != 0) return Resultat;
    if (EcrireOctet(CMD_TERMINER) != 0 || LireAcquit() != 0) return Resultat;
    Connecte = 0;
    Phase = PHASE_AUCUNE;
    return Resultat;
}

int ComP07::EnvoyerHex(unsigned char octet) {
    const char paire[2] = {CHIFFRES_HEX[octet >> 4], CHIFFRES_HEX[octet & 0x0F]};
    return EcrireTampon(paire, 2);
}

int ComP07::LireHex(unsigned* valeur, bool acquitter) {
    if (!Connecte) return Resultat = ERR_NON_CONNECTE;
    unsigned premier = 0;
    unsigned second = 0;
    if (LireOctet(&premier) != 0) return Resultat;
    if (acquitter && EcrireOctet(ACQUIT) != 0) return Resultat;
    if (LireOctet(&second) != 0) return Resultat;
    if (acquitter && EcrireOctet(ACQUIT) != 0) return Resultat;
    // Both characters were acknowledged, so the line stays in step; the pair is still no value.
    if (!ChiffreHex(premier) || !ChiffreHex(second)) return Resultat = ERR_REPONSE;
    *valeur = static_cast<unsigned>(HexVersOctet(premier, second));
    return Resultat = 0;
}

const char* ComP07::NomProduit() { return NOM_PRODUIT; }
