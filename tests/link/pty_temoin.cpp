#include "tests/link/pty_temoin.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

PairePty::PairePty() {
    maitre_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (maitre_ < 0) return;
    if (::grantpt(maitre_) != 0 || ::unlockpt(maitre_) != 0) return;
    const char* nom = ::ptsname(maitre_);
    if (nom != nullptr) esclave_ = nom;
}

PairePty::~PairePty() { Raccrocher(); }

void PairePty::Envoyer(const std::string& octets) {
    std::size_t fait = 0;
    while (fait < octets.size()) {
        const ssize_t n = ::write(maitre_, octets.data() + fait, octets.size() - fait);
        if (n < 0 && errno != EINTR) return;
        if (n > 0) fait += static_cast<std::size_t>(n);
    }
}

std::string PairePty::Recevoir(int silenceMs) {
    std::string recu;
    for (;;) {
        pollfd p{maitre_, POLLIN, 0};
        if (::poll(&p, 1, silenceMs) <= 0 || !(p.revents & POLLIN)) return recu;
        char tampon[256];
        const ssize_t n = ::read(maitre_, tampon, sizeof(tampon));
        if (n <= 0) return recu;  // EIO once the PC has closed its end
        recu.append(tampon, static_cast<std::size_t>(n));
    }
}

void PairePty::Raccrocher() {
    if (maitre_ >= 0) ::close(maitre_);
    maitre_ = -1;
}

Repondeur::Repondeur(PairePty& pty) : pty_(pty), fil_([this] { Servir(); }) {}

Repondeur::~Repondeur() {
    fin_ = true;
    fil_.join();
}

void Repondeur::Repondre(unsigned char commande, const std::string& reponse) {
    std::lock_guard<std::mutex> v(verrou_);
    reponses_[commande] = reponse;
}

void Repondeur::Taire(unsigned char commande) {
    std::lock_guard<std::mutex> v(verrou_);
    reponses_.erase(commande);
}

std::string Repondeur::Prendre() {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::lock_guard<std::mutex> v(verrou_);
    std::string recu;
    recu.swap(recu_);
    return recu;
}

void Repondeur::Servir() {
    while (!fin_) {
        pollfd p{pty_.Maitre(), POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        unsigned char octet = 0;
        if (!(p.revents & POLLIN) || ::read(pty_.Maitre(), &octet, 1) != 1) {
            // No PC on the slave yet, or it has closed: wait for it.
            ::usleep(20000);
            continue;
        }
        std::string reponse;
        {
            std::lock_guard<std::mutex> v(verrou_);
            recu_ += static_cast<char>(octet);
            const auto it = reponses_.find(octet);
            if (it != reponses_.end()) reponse = it->second;
        }
        pty_.Envoyer(reponse);
    }
}

bool LigneTemoin::Casser(const char* appel) {
    JournalLigne& j = *journal_;
    j.appels.push_back(appel);
    if (j.panne != appel) return false;
    if (j.reussitesAvantPanne-- > 0) return false;
    erreurForcee_ = j.erreurPanne;
    j.panne.clear();
    return true;
}

PoigneeSerie LigneTemoin::Ouvrir(int numeroPort) {
    journal_->portsDemandes.push_back(numeroPort);
    if (Casser("Ouvrir")) return PORT_INVALIDE;
    erreurForcee_ = 0;
    return reelle_->Ouvrir(numeroPort);
}

#define RELAIS(appel, ...)                                                                                             \
    if (Casser(#appel)) return false;                                                                                  \
    erreurForcee_ = 0;                                                                                                 \
    return reelle_->appel(__VA_ARGS__)

bool LigneTemoin::LireReglages(PoigneeSerie port, ReglagesSerie& r) { RELAIS(LireReglages, port, r); }
bool LigneTemoin::AppliquerReglages(PoigneeSerie port, const ReglagesSerie& r) { RELAIS(AppliquerReglages, port, r); }
bool LigneTemoin::LireDelais(PoigneeSerie port, DelaisSerie& d) { RELAIS(LireDelais, port, d); }
bool LigneTemoin::AppliquerDelais(PoigneeSerie port, const DelaisSerie& d) { RELAIS(AppliquerDelais, port, d); }
bool LigneTemoin::Purger(PoigneeSerie port) { RELAIS(Purger, port); }
bool LigneTemoin::Lire(PoigneeSerie port, unsigned char* octet, std::size_t* lus) { RELAIS(Lire, port, octet, lus); }
bool LigneTemoin::Ecrire(PoigneeSerie port, const void* donnees, std::size_t longueur) {
    RELAIS(Ecrire, port, donnees, longueur);
}

bool LigneTemoin::Fermer(PoigneeSerie port) {
    // A failed close still releases the descriptor, as close() does.
    const bool casse = Casser("Fermer");
    erreurForcee_ = casse ? erreurForcee_ : 0;
    return reelle_->Fermer(port) && !casse;
}

int LigneTemoin::DerniereErreur() const { return erreurForcee_ != 0 ? erreurForcee_ : reelle_->DerniereErreur(); }

void LigneTemoin::Dormir(int ms) {
    journal_->appels.push_back("Dormir");
    reelle_->Dormir(ms);
}

std::unique_ptr<ComP07> LienVers(const std::string& chemin, std::shared_ptr<JournalLigne> journal) {
    std::unique_ptr<LigneSerie> ligne = CreerLigneSerie([chemin](int) { return chemin; });
    if (journal) ligne = std::make_unique<LigneTemoin>(std::move(ligne), std::move(journal));
    return std::make_unique<ComP07>(std::move(ligne));
}
