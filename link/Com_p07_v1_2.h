// ComP07: the serial line to the Zantrel device and the bootloader protocol spoken over it.
// Every operation returns a result code (0 = success) and keeps it in Resultat.
#pragma once

#include <memory>
#include <string>

#include "link/codes_resultat.h"
#include "link/protocole.h"
#include "ligne_serie.h"

class ComP07 {
public:
    // The line defaults to the platform's serial ports, found by their COM number.
    ComP07();
    explicit ComP07(std::unique_ptr<LigneSerie> ligne);
    ~ComP07();
    ComP07(const ComP07&) = delete;
    ComP07& operator=(const ComP07&) = delete;

    // Serial line.
    void ChoisirPort(int numero);
    int OuvrirPort();
    int FermerPort();
    int ReglerVitessePC(int bauds);
    int ViderLigne();
    int DernierResultat() const;
    int EcrireOctet(unsigned char octet);
    int EcrireTampon(const char* donnees, int longueur);
    int LireOctet(unsigned* octet);
    void Attendre(int ms);

    // Bootloader protocol.
    int Connecter(int secondes);
    int Deconnecter();
    int ChangerVitesse(int bauds);
    int EntrerProgrammation();
    int LireModele(char modele[4]);
    int VerifierModele();
    int LireVariante(unsigned* valeur);
    int LireEeprom(int adresse, unsigned* valeur);
    int EcrireEeprom(int adresse, int valeur);
    int LireMotEeprom(int adresse, int* valeur);
    int LireNumeroSerie(unsigned* numero);
    int LireVersion(unsigned* majeur, unsigned* mineur, unsigned* revision);
    int EcrireVersion(int majeur, int mineur, int revision);
    int PreparerEcriture();
    int EcrireBloc(unsigned adresse, unsigned nbMots, const unsigned* mots);
    // The block rules of EcrireBloc, in their order: 0, ERR_ADRESSE or ERR_ETAT_OU_BLOC.
    static constexpr int VerifierBloc(unsigned adresse, unsigned nbMots) {
        using namespace protocole;
        if (adresse < ADRESSE_BLOC_MIN || adresse > ADRESSE_BLOC_MAX) return ERR_ADRESSE;
        // The size test first keeps the row test clear of overflow.
        const unsigned finRangee = (adresse & ~(TAILLE_RANGEE - 1)) + TAILLE_RANGEE;
        return nbMots > MOTS_BLOC_MAX || adresse % 2 != 0 || adresse + 2 * nbMots > finRangee ? ERR_ETAT_OU_BLOC : 0;
    }
    int TerminerProgrammation();
    int EnvoyerHex(unsigned char octet);
    int LireHex(unsigned* valeur, bool acquitter);
    static int HexVersOctet(unsigned car1, unsigned car2);
    static const char* NomProduit();

    // State, for callers and tests that look at it.
    bool PortOuvert() const { return Port != PORT_INVALIDE; }
    int EstConnecte() const { return Connecte; }
    int PhaseProgrammation() const { return Phase; }
    int NumeroDuPort() const { return NumeroPort; }
    // The device the chosen COM number stands for (e.g. /dev/ttyUSB0); empty when unknown.
    std::string CheminDuPort() const { return Ligne->CheminPeripherique(NumeroPort); }
    const ReglagesSerie& ReglagesLigne() const { return Reglages; }

    static constexpr const char* MODELE = "P07";
    static constexpr const char* NOM_PRODUIT = "Zantrel";

    // Values of Phase; there is no phase 1.
    static constexpr int PHASE_AUCUNE = 0;
    static constexpr int PHASE_PROGRAMMATION = 2;
    static constexpr int PHASE_ECRITURE = 3;

private:
    int ErreurLigne() const;
    int LireAcquit();
    int Questionner(unsigned char commande);
    int AttendreSilence();

    std::unique_ptr<LigneSerie> Ligne;
    PoigneeSerie Port = PORT_INVALIDE;
    ReglagesSerie Reglages;
    ReglagesSerie ReglagesInitiaux;
    DelaisSerie Delais;
    DelaisSerie DelaisInitiaux;
    int NumeroPort = 2;
    int Connecte = 0;
    int Phase = 0;
    int Resultat = 0;
};
