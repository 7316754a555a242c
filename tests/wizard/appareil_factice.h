// The simulator's own device on the virtual line, set up by the test once the window exists:
// it is made at the wizard's first call on the line, from the options the test left.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "link/ligne_serie.h"
#include "link/protocole.h"
#include "sim/appareil.h"
#include "sim/ligne_virtuelle.h"

struct EtatAppareil {
    OptionsSimulateur options;
    std::string chemin;  // the device file the line names
    std::shared_ptr<Appareil> appareil;
    std::unique_ptr<LigneVirtuelle> ligne;

    EtatAppareil() {
        options.identite.numeroSerie = 4711;
        Identite(3, 7, 0, 0xFF);
    }
    void Identite(unsigned majeur, unsigned mineur, unsigned revision, unsigned langue) {
        IdentiteAppareil& id = options.identite;
        id.majeur = majeur;
        id.mineur = mineur;
        id.revision = revision;
        id.langue = langue;
    }
    // This command, at this EEPROM or block address, answered with a rejection or with nothing.
    void Refuser(unsigned char commande, long adresse = -1, int depuis = 1, int fois = 0, bool muette = false) {
        FautesAppareil& f = options.fautes;
        f.commandeFautive = commande;
        f.octetFautif = protocole::REP_REJET;
        f.adresseFautive = adresse;
        f.fauteDepuis = depuis;
        f.fautesMax = fois;
        f.fauteMuette = muette;
    }

    LigneVirtuelle& Ligne() {
        if (!ligne) {
            appareil = std::make_shared<Appareil>(options);
            ligne = std::make_unique<LigneVirtuelle>(appareil, chemin);
        }
        return *ligne;
    }
    Appareil& A() {
        Ligne();
        return *appareil;
    }
    int Blocs() { return A().BlocsEcrits(); }
    std::vector<std::uint8_t> Eeprom() { return A().Eeprom(); }
    int Commandes() { return A().CommandesRecues(); }
    bool Connecte() { return A().Connecte(); }
    bool PortOuvert() { return Ligne().PortOuvert(); }
    // EEPROM writes the PC asked for at this address, taken or not.
    int EcrituresA(int adresse) {
        std::vector<unsigned char> pc;
        for (const OctetTrace& o : A().Trace())
            if (o.versAppareil) pc.push_back(o.octet);
        char trame[6];
        std::snprintf(trame, sizeof trame, "%04X", static_cast<unsigned>(adresse));
        const unsigned char motif[5] = {protocole::CMD_ECRIRE_EEPROM, static_cast<unsigned char>(trame[0]),
                                        static_cast<unsigned char>(trame[1]), static_cast<unsigned char>(trame[2]),
                                        static_cast<unsigned char>(trame[3])};
        int n = 0;
        for (auto i = pc.begin(); (i = std::search(i, pc.end(), motif, motif + 5)) != pc.end(); ++i)
            ++n;
        return n;
    }
};

class LigneAppareilFactice : public LigneSerie {
public:
    explicit LigneAppareilFactice(std::shared_ptr<EtatAppareil> etat) : Etat(std::move(etat)) {}

    PoigneeSerie Ouvrir(int n) override { return L().Ouvrir(n); }
    bool LireReglages(PoigneeSerie p, ReglagesSerie& r) override { return L().LireReglages(p, r); }
    bool AppliquerReglages(PoigneeSerie p, const ReglagesSerie& r) override { return L().AppliquerReglages(p, r); }
    bool LireDelais(PoigneeSerie p, DelaisSerie& d) override { return L().LireDelais(p, d); }
    bool AppliquerDelais(PoigneeSerie p, const DelaisSerie& d) override { return L().AppliquerDelais(p, d); }
    bool Purger(PoigneeSerie p) override { return L().Purger(p); }
    bool Lire(PoigneeSerie p, unsigned char* o, std::size_t* lus) override { return L().Lire(p, o, lus); }
    bool Ecrire(PoigneeSerie p, const void* d, std::size_t n) override { return L().Ecrire(p, d, n); }
    bool Fermer(PoigneeSerie p) override { return L().Fermer(p); }
    int DerniereErreur() const override { return L().DerniereErreur(); }
    void Dormir(int ms) override { L().Dormir(ms); }
    std::uint64_t Tic() const override { return L().Tic(); }
    std::string CheminPeripherique(int) const override { return Etat->chemin; }

private:
    LigneVirtuelle& L() const { return Etat->Ligne(); }
    std::shared_ptr<EtatAppareil> Etat;
};
