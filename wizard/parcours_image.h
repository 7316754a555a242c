// The walk over the firmware image at steps 8 and 9: one record per timer tick, program bytes
// gathered into row-sized blocks, EEPROM bytes one at a time, then the version stamp.
// Plain C++: the main window owns one and calls it from its timer.
#pragma once

#include <array>
#include <vector>

#include "link/codes_resultat.h"
#include "link/protocole.h"
#include "wizard/etapes.h"
#include "wizard/image_firmware.h"

// Half-open address range [Debut, Fin) of the image's 32-bit address space.
struct FenetreAdresses {
    unsigned Debut;
    unsigned Fin;
    constexpr bool Contient(unsigned adresse) const { return adresse >= Debut && adresse < Fin; }
};

// Program memory as the bootloader takes it: 0x800 up to the highest block start, 0x1FFFE.
inline constexpr FenetreAdresses FENETRE_PROGRAMME{protocole::ADRESSE_BLOC_MIN, protocole::ADRESSE_BLOC_MAX + 1};
// Image addresses of the data EEPROM; the top of the EEPROM (serial number, version) is kept out.
inline constexpr unsigned BASE_EEPROM_IMAGE = 0xF00000;
inline constexpr FenetreAdresses FENETRE_EEPROM{BASE_EEPROM_IMAGE, BASE_EEPROM_IMAGE + 0x3F6 + 1};
static_assert(FENETRE_EEPROM.Fin - BASE_EEPROM_IMAGE <= unsigned(protocole::EEPROM_NUMERO_SERIE),
              "the image must never overwrite the serial number or the version");

// The device writes the walk makes; ComP07 in the program, a recorder in the tests.
// Each returns a link result code, 0 on success.
class EcrituresAppareil {
public:
    virtual ~EcrituresAppareil() = default;
    virtual int EcrireBloc(unsigned adresse, unsigned nbMots, const unsigned* mots) = 0;
    virtual int EcrireEeprom(int adresse, int valeur) = 0;
    virtual int EcrireVersion(int majeur, int mineur, int revision) = 0;
};

// What the walk changes on the main window.
class FenetreParcours {
public:
    virtual ~FenetreParcours() = default;
    virtual void DefinirEtape(int etape) = 0;  // ETAPE_PROGRAMMATION or ETAPE_ENVOI, without a page
    virtual void RemettreSousEtape() = 0;      // SousEtape := 0
    virtual void DefinirIntervalle(int ms) = 0;
    // Progress bar position, already held at the bar's maximum (the record count).
    virtual void PositionnerProgression(int position) = 0;
    // Share of the records fetched before this one, for the progress label ("%.1f").
    virtual void AfficherAvancement(double pourcentage) = 0;
    virtual void PosterEtapeSuivante() = 0;  // post MSG_ETAPE_SUIVANTE
};

// The records of the image built into the program, in order.
std::vector<const char*> EnregistrementsEmbarques();

class ParcoursImage {
public:
    ParcoursImage(EcrituresAppareil& ecritures, FenetreParcours& fenetre);

    // Fills the record table from ImageFirmware; returns the number of records.
    int ConstruireTable();
    // Same from any record texts, in order (the texts must outlive the walk).
    int ConstruireTable(const std::vector<const char*>& enregistrements);

    // Page 6: the next transfer starts at record 0.
    void RemettreIndex() { IndexEnregistrement = 0; }
    // The bootloader is ready for writing: no extended base, empty block, no failure.
    void PreparerTransfert();

    // One tick at step 8, one tick at step 9. Both return 0, or the first failed write's result
    // code; after a failure they do nothing and keep returning it.
    int LireEnregistrementSuivant();
    int EnvoyerOctets();
    // The tick of the step the walk left the window at: either of the two above.
    int Avancer(int etape) { return etape == ETAPE_PROGRAMMATION ? LireEnregistrementSuivant() : EnvoyerOctets(); }

    int NombreEnregistrements() const { return static_cast<int>(TableEnregistrements.size()); }
    int IndexCourant() const { return IndexEnregistrement; }
    int Echec() const { return ResultatEchec; }

private:
    void CommencerBloc(unsigned adresse);  // an empty buffer takes its first byte at adresse
    int EcrireBlocEnAttente();
    int Octet(int position) const;  // data byte at a position of the current record
    int Echouer(int resultat);
    // A new table or transfer drops the record in hand: a stray step-9 tick then finds nothing.
    void OublierEnregistrement();

    EcrituresAppareil& Ecritures;
    FenetreParcours& Fenetre;

    std::vector<const char*> TableEnregistrements;
    int IndexEnregistrement = 0;

    const char* Enregistrement = nullptr;  // current record's text
    unsigned BaseEtendue = 0;
    unsigned AdresseCourante = 0;
    int LongueurEnregistrement = 0;
    int PositionEnregistrement = 0;
    unsigned DebutBloc = 0;
    unsigned OctetsBloc = 0;
    std::array<unsigned, protocole::MOTS_BLOC_MAX> MotsBloc{};

    int ResultatEchec = 0;
};
