// A bootloader behind a serial line, answered at once on a virtual clock, with faults to order.
// The wizard then runs a whole update in as many direct tick calls as it needs, without waits.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "link/ligne_serie.h"
#include "link/protocole.h"

struct EtatAppareil {
    // What the device is.
    std::string modele = "P07";
    unsigned variante = 1;
    std::array<std::uint8_t, protocole::TAILLE_EEPROM> eeprom{};
    bool allume = true;  // false: no byte ever comes back

    // Faults.
    int silencieuxDepuis = 0;   // no answer from the Nth command on (1-based); 0 never
    int blocRefuse = 0;         // the Nth block is answered with a rejection; 0 never
    int eepromIllisible = -1;   // a read of this EEPROM address gets no answer
    int eepromRefusee = -1;     // a write to this EEPROM address is rejected
    bool terminaisonRefusee = false;
    // This read's reply ends in 'L', no hex digit: CMD_LIRE_MODELE, CMD_LIRE_VARIANTE, or
    // CMD_LIRE_EEPROM at adresseNonHex; 0 for none.
    unsigned char lectureNonHex = 0;
    int adresseNonHex = -1;
    // A stray byte behind the answer to the Nth command, already waiting when the PC has read
    // the answer; 0 never.
    int parasiteApres = 0;
    unsigned char octetParasite = '1';
    std::string chemin;  // the device file the line names

    // What it saw.
    bool portOuvert = false;
    bool connecte = false;  // between its REP_CONNECTE and the farewell or the end of programming
    int commandes = 0;
    int connexions = 0;  // connection requests
    int blocs = 0;       // blocks accepted
    std::vector<std::pair<int, int>> ecrituresEeprom;  // (address, value), accepted or not
    std::uint64_t horloge = 0;

    EtatAppareil() { Identite(3, 7, 0, 0xFF); }
    void Identite(unsigned majeur, unsigned mineur, unsigned revision, unsigned langue)
    {
        eeprom.fill(0xFF);
        eeprom[protocole::EEPROM_MAJEUR] = static_cast<std::uint8_t>(majeur);
        eeprom[protocole::EEPROM_MINEUR] = static_cast<std::uint8_t>(mineur);
        eeprom[protocole::EEPROM_REVISION] = static_cast<std::uint8_t>(revision);
        eeprom[protocole::EEPROM_LANGUE] = static_cast<std::uint8_t>(langue);
        const std::uint32_t numero = 4711;
        for (int i = 0; i < 4; ++i)
            eeprom[protocole::EEPROM_NUMERO_SERIE + i] = static_cast<std::uint8_t>(numero >> (8 * i));
    }
};

class LigneAppareilFactice : public LigneSerie {
public:
    explicit LigneAppareilFactice(std::shared_ptr<EtatAppareil> etat) : Etat(std::move(etat)) {}

    PoigneeSerie Ouvrir(int) override
    {
        Etat->portOuvert = true;
        Commande = 0;
        Parametres.clear();
        Reponses.clear();
        return 5;
    }
    bool LireReglages(PoigneeSerie, ReglagesSerie&) override { return true; }
    bool AppliquerReglages(PoigneeSerie, const ReglagesSerie&) override { return true; }
    bool LireDelais(PoigneeSerie, DelaisSerie&) override { return true; }
    bool AppliquerDelais(PoigneeSerie, const DelaisSerie&) override { return true; }
    bool Purger(PoigneeSerie) override
    {
        Reponses.clear();
        return true;
    }
    bool Lire(PoigneeSerie, unsigned char* octet, std::size_t* lus) override
    {
        if (Reponses.empty()) {
            Etat->horloge += 1100;  // the read time-out
            *lus = 0;
            return true;
        }
        *octet = Reponses.front();
        Reponses.pop_front();
        *lus = 1;
        return true;
    }
    bool Ecrire(PoigneeSerie, const void* donnees, std::size_t longueur) override
    {
        for (std::size_t i = 0; i < longueur; ++i)
            Recevoir(static_cast<const unsigned char*>(donnees)[i]);
        return true;
    }
    bool Fermer(PoigneeSerie) override
    {
        Etat->portOuvert = false;
        return true;
    }
    int DerniereErreur() const override { return 5; }
    void Dormir(int ms) override { Etat->horloge += static_cast<std::uint64_t>(ms); }
    std::uint64_t Tic() const override { return Etat->horloge; }
    std::string CheminPeripherique(int) const override { return Etat->chemin; }

private:
    static int Chiffre(char c) { return c <= '9' ? c - '0' : c - 'A' + 10; }
    int Octet(std::size_t i) const { return 16 * Chiffre(Parametres[2 * i]) + Chiffre(Parametres[2 * i + 1]); }
    void Hex(unsigned valeur)
    {
        static const char chiffres[] = "0123456789ABCDEF";
        Reponses.push_back(static_cast<unsigned char>(chiffres[(valeur >> 4) & 0xF]));
        Reponses.push_back(static_cast<unsigned char>(chiffres[valeur & 0xF]));
    }

    // Characters of parameters the command takes (a block's count comes first).
    std::size_t ParametresAttendus() const
    {
        using namespace protocole;
        switch (Commande) {
        case CMD_LIRE_EEPROM:
        case CMD_VITESSE: return 4;
        case CMD_ECRIRE_EEPROM: return 6;
        case CMD_ECRIRE_BLOC: return Parametres.size() < 2 ? 2 : 2 + 8 + 2 * static_cast<std::size_t>(Octet(0));
        default: return 0;
        }
    }

    void Recevoir(unsigned char octet)
    {
        if (Commande == 0) {
            if (octet == protocole::ACQUIT)
                return;  // the PC's acknowledge of a character sent
            Commande = octet;
            ++Etat->commandes;
        } else {
            Parametres.push_back(static_cast<char>(octet));
        }
        if (Parametres.size() < ParametresAttendus())
            return;
        Executer();
        Commande = 0;
        Parametres.clear();
    }

    void Executer()
    {
        using namespace protocole;
        EtatAppareil& e = *Etat;
        if (!e.allume || (e.silencieuxDepuis > 0 && e.commandes >= e.silencieuxDepuis))
            return;
        Repondre();
        if (Commande == e.lectureNonHex && !Reponses.empty()
            && (Commande != CMD_LIRE_EEPROM || Octet(0) * 256 + Octet(1) == e.adresseNonHex))
            Reponses.back() = 'L';
        if (e.commandes == e.parasiteApres)
            Reponses.push_back(e.octetParasite);
    }

    void Repondre()
    {
        using namespace protocole;
        EtatAppareil& e = *Etat;
        switch (Commande) {
        case CMD_CONNEXION:
            ++e.connexions;
            e.connecte = true;
            Reponses.push_back(REP_CONNECTE);
            break;
        case CMD_LIRE_MODELE:
            for (char c : e.modele)
                Hex(static_cast<unsigned char>(c));
            break;
        case CMD_LIRE_VARIANTE:
            Hex(e.variante);
            break;
        case CMD_LIRE_EEPROM: {
            const int adresse = Octet(0) * 256 + Octet(1);
            if (adresse != e.eepromIllisible)
                Hex(e.eeprom[static_cast<std::size_t>(adresse) % TAILLE_EEPROM]);
            break;
        }
        case CMD_ECRIRE_EEPROM: {
            const int adresse = Octet(0) * 256 + Octet(1);
            e.ecrituresEeprom.emplace_back(adresse, Octet(2));
            if (adresse == e.eepromRefusee) {
                Reponses.push_back(REP_REJET);
                break;
            }
            e.eeprom[static_cast<std::size_t>(adresse) % TAILLE_EEPROM] = static_cast<std::uint8_t>(Octet(2));
            Reponses.push_back(ACQUIT);
            break;
        }
        case CMD_VITESSE:
            Reponses.push_back(ACQUIT);
            Reponses.push_back(ACQUIT);
            break;
        case CMD_ECRIRE_BLOC:
            if (e.blocs + 1 == e.blocRefuse) {
                Reponses.push_back(REP_REJET);
                e.blocRefuse = 0;
                break;
            }
            ++e.blocs;
            Reponses.push_back(ACQUIT);
            break;
        case CMD_TERMINER:
            e.connecte = e.connecte && e.terminaisonRefusee;
            Reponses.push_back(e.terminaisonRefusee ? REP_REJET : ACQUIT);
            break;
        case CMD_AU_REVOIR:
            e.connecte = false;
            Reponses.push_back(ACQUIT);
            break;
        default:  // programming, prepare
            Reponses.push_back(ACQUIT);
            break;
        }
    }

    std::shared_ptr<EtatAppareil> Etat;
    unsigned char Commande = 0;
    std::string Parametres;
    std::deque<unsigned char> Reponses;
};
