// The Zantrel bootloader: its memories, its connection state and its answers to the PC.
// Driven by one thread through Servir(); every getter may be called from any other thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "sim/ligne_appareil.h"
#include "sim/simulateur.h"

class Appareil {
public:
    explicit Appareil(OptionsSimulateur options);

    // Answers the PC until the line closes or is interrupted.
    void Servir(LigneAppareil& ligne);

    std::vector<std::uint8_t> MemoireProgramme() const { return SousVerrou(programme_); }
    std::vector<std::uint8_t> Eeprom() const { return SousVerrou(eeprom_); }
    int BlocsEcrits() const { return SousVerrou(blocs_); }
    int CommandesRecues() const { return commandesRecues_; }  // since the device was made
    // Programming ended since the last erase: the device would start its new firmware.
    bool ProgrammationTerminee() const { return SousVerrou(termine_); }
    std::vector<OctetTrace> Trace() const { return SousVerrou(trace_); }
    std::vector<std::string> Anomalies() const { return SousVerrou(anomalies_); }
    bool Connecte() const { return SousVerrou(connecte_); }
    int VitesseCourante() const { return SousVerrou(vitesse_); }
    bool AuRepos() const { return auRepos_; }

private:
    enum class Reception { Octet, Delai, Fermee, Brouille };
    // Numbered as ComP07 numbers its phases: connected, programming, prepared for blocks.
    enum class Phase { Aucune = 0, Programmation = 2, Ecriture = 3 };
    // What the fault options make of one coming of a command: carried out and answered,
    // answered with the fault byte, left unanswered, or lost in a power cut; the power may
    // also go once it is answered.
    enum class Sort { Executer, Faute, Silence, Coupure };
    struct Decision {
        Sort sort = Sort::Executer;
        bool coupureApres = false;
    };

    Reception Recevoir(unsigned char& octet, int delaiMs);
    bool LireParametres(unsigned char* valeurs, std::size_t nombre, const char* commande, bool& valides);
    void Repondre(unsigned char octet);
    LigneAppareil::Horloge::time_point Recu();
    LigneAppareil::Horloge::time_point Instant() const;
    void Rattraper();
    void Cadencer();
    std::chrono::microseconds TempsCaractere() const;
    std::string EcartAvecPc();
    void Occuper(int ms, const char* travail);
    void Emettre(const unsigned char* octets, std::size_t nombre);
    void Emettre(unsigned char octet) { Emettre(&octet, 1); }
    bool EnvoyerHex(unsigned char valeur, bool nonHex = false);
    void Noter(bool versAppareil, unsigned char octet);
    void Signaler(const std::string& anomalie);
    // The anomaly, and the reject byte for the PC.
    void Rejeter(const std::string& raison);
    // True in the phase a command needs; else the command is rejected: refus, and the phase.
    bool EnPhase(Phase voulue, const std::string& refus);

    void Traiter(unsigned char commande);
    void Connexion();
    void LireModele();
    void LireVariante();
    void LireEeprom();
    void EcrireEeprom();
    void EntrerProgrammation();
    void PreparerEcriture();
    void EcrireBloc();
    void ChangerVitesse();
    void TerminerProgrammation();
    void AuRevoir();
    void Parasiter();
    void Attendre(int ms);
    void MettreSousTension();
    // A copy of a member that verrou_ guards.
    template <class T>
    T SousVerrou(const T& membre) const {
        std::lock_guard<std::mutex> verrou(verrou_);
        return membre;
    }
    Decision Decider(unsigned char commande, long adresse);
    bool Prendre(unsigned char commande, long adresse = -1);
    void Couper();
    bool NonHex(unsigned char commande, unsigned adresse = 0) const;

    const OptionsSimulateur options_;
    LigneAppareil* ligne_ = nullptr;              // only while Servir runs
    LigneAppareil::Horloge::time_point debut_{};  // the trace's origin, at the first Servir
    bool debutPris_ = false;
    std::ofstream fichierTrace_;
    std::atomic<int> commandesRecues_{0};
    int venuesFautive_ = 0, fautesFaites_ = 0;
    int venuesCoupure_ = 0;
    bool coupe_ = false;
    bool coupureApres_ = false;                          // for the command under way
    LigneAppareil::Horloge::time_point finReception_{};  // when the last byte received ended on the wire
    LigneAppareil::Horloge::time_point instant_{};       // the device's own time, when ahead of the wall clock
    LigneAppareil::Horloge::time_point occupeJusqua_{};  // busy erasing or writing until then
    const char* travail_ = "";                           // what keeps it busy
    bool parasiteEnvoye_ = false;
    std::atomic<bool> auRepos_{false};  // in Servir's wait for a command

    mutable std::mutex verrou_;  // guards everything below
    std::vector<std::uint8_t> programme_;
    std::vector<std::uint8_t> eeprom_;
    std::vector<OctetTrace> trace_;
    std::vector<std::string> anomalies_;
    int blocs_ = 0;
    bool connecte_ = false;
    Phase phase_ = Phase::Aucune;
    bool termine_ = false;
    int vitesse_;
};

// Writes the dump files the options name from what the device holds; surAnomalie hears of each
// one that cannot be written.
void EcrireVidages(const Appareil& appareil, const OptionsSimulateur& options);
