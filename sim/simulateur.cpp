#include "sim/simulateur.h"

#include <mutex>
#include <thread>

#include "sim/appareil.h"
#include "sim/intel_hex.h"
#include "sim/ligne_pty.h"

struct Simulateur::Etat {
    explicit Etat(OptionsSimulateur o) : options(o), appareil(std::move(o)) {}

    OptionsSimulateur options;
    Appareil appareil;
    std::mutex verrou;  // guards Demarrer/Arreter against each other
    std::unique_ptr<LignePty> ligne;
    std::string cheminEsclave;
    std::thread fil;
    bool demarre = false;
    bool arrete = false;
};

Simulateur::Simulateur(OptionsSimulateur options) : etat_(std::make_unique<Etat>(std::move(options))) {}

Simulateur::~Simulateur() { Arreter(); }

bool Simulateur::Demarrer() {
    std::lock_guard<std::mutex> verrou(etat_->verrou);
    if (etat_->demarre) return !etat_->arrete;
    std::string erreur;
    etat_->ligne = LignePty::Ouvrir(erreur);
    if (!etat_->ligne) {
        if (etat_->options.surAnomalie) etat_->options.surAnomalie(erreur);
        return false;
    }
    etat_->cheminEsclave = etat_->ligne->CheminEsclave();
    etat_->demarre = true;
    Etat* etat = etat_.get();
    etat_->fil = std::thread([etat] { etat->appareil.Servir(*etat->ligne); });
    return true;
}

void Simulateur::Arreter() {
    std::lock_guard<std::mutex> verrou(etat_->verrou);
    if (!etat_->demarre || etat_->arrete) return;
    etat_->arrete = true;
    etat_->ligne->Interrompre();
    etat_->fil.join();
    etat_->ligne.reset();
    EcrireVidages(etat_->appareil, etat_->options);
}

void EcrireVidages(const Appareil& appareil, const OptionsSimulateur& o) {
    auto signaler = [&o](const std::string& texte) {
        if (o.surAnomalie) o.surAnomalie(texte);
    };
    if (!o.fichierHexProgramme.empty() && !EcrireIntelHex(o.fichierHexProgramme, appareil.MemoireProgramme(), true))
        signaler("cannot write " + o.fichierHexProgramme);
    if (!o.fichierHexEeprom.empty() && !EcrireIntelHex(o.fichierHexEeprom, appareil.Eeprom(), false))
        signaler("cannot write " + o.fichierHexEeprom);
}

const std::string& Simulateur::CheminEsclave() const { return etat_->cheminEsclave; }

std::vector<std::uint8_t> Simulateur::MemoireProgramme() const { return etat_->appareil.MemoireProgramme(); }
std::vector<std::uint8_t> Simulateur::Eeprom() const { return etat_->appareil.Eeprom(); }
int Simulateur::BlocsEcrits() const { return etat_->appareil.BlocsEcrits(); }
std::vector<OctetTrace> Simulateur::Trace() const { return etat_->appareil.Trace(); }
std::vector<std::string> Simulateur::Anomalies() const { return etat_->appareil.Anomalies(); }
bool Simulateur::Connecte() const { return etat_->appareil.Connecte(); }
int Simulateur::VitesseCourante() const { return etat_->appareil.VitesseCourante(); }
bool Simulateur::AuRepos() const { return etat_->appareil.AuRepos(); }
