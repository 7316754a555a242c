#include "sim/ligne_virtuelle.h"

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "link/protocole.h"

namespace {

using Horloge = LigneAppareil::Horloge;
using Duree = Horloge::duration;
constexpr Duree JAMAIS = Duree::max();
constexpr PoigneeSerie POIGNEE = 7;

}  // namespace

// One lock for both ends. Whoever has the turn runs; the other waits for it. The PC gives the
// turn only while it waits (a read, a sleep), the device as soon as it would wait past the
// PC's wait, or for a byte that has not come, or once the PC has the byte it waits for.
struct LigneVirtuelle::Etat {
    enum class Attente { Eteint, Demarrage, Octet, Jusqua };

    std::shared_ptr<Appareil> appareil;
    std::string chemin;
    std::unique_ptr<CoteAppareil> cote;
    std::thread fil;

    mutable std::mutex verrou;
    std::condition_variable tour;
    bool tourAppareil = false;
    bool arret = false;
    Duree maintenant{};

    // The device's side.
    Attente attente = Attente::Eteint;
    Duree reveilAppareil = JAMAIS;
    bool raccroche = false;  // the device dropped the line: its power went, or it was unplugged
    std::deque<unsigned char> versAppareil, versPc;

    // The PC's side.
    bool ouvert = false;
    ReglagesSerie reglages;
    DelaisSerie delais;
    int erreur = 0;
    Duree echeancePc{};
    bool pcVeutOctet = false;

    Etat() { reglages.BaudRate = protocole::VITESSE_INITIALE; }

    bool OctetPourPc() const { return !versPc.empty() || raccroche; }

    // A port the device dropped fails as an unplugged bridge's does.
    bool Utilisable() {
        erreur = !ouvert ? EBADF : raccroche ? EIO : 0;
        return erreur == 0;
    }

    // Whether the device would go on before the PC's deadline, and from when.
    bool AppareilPret(Duree echeance, Duree& reveil) const {
        switch (attente) {
        case Attente::Eteint: return false;
        case Attente::Demarrage: reveil = maintenant; return true;
        case Attente::Octet:
            if (!versAppareil.empty() || arret) {
                reveil = maintenant;
                return true;
            }
            break;
        case Attente::Jusqua: break;
        }
        reveil = reveilAppareil;
        return reveil <= echeance;
    }

    // The PC waits until the deadline, or until a byte for it when it reads.
    void AttendrePc(std::unique_lock<std::mutex>& l, Duree echeance, bool lecture) {
        echeancePc = echeance;
        pcVeutOctet = lecture;
        for (;;) {
            if (lecture && OctetPourPc()) return;
            Duree reveil{};
            if (!AppareilPret(echeance, reveil)) break;
            if (reveil > maintenant) maintenant = reveil;
            tourAppareil = true;
            tour.notify_all();
            tour.wait(l, [this] { return !tourAppareil; });
        }
        if (echeance > maintenant) maintenant = echeance;
    }

    void CederAuPc(std::unique_lock<std::mutex>& l, Attente a, Duree reveil) {
        attente = a;
        reveilAppareil = reveil;
        tourAppareil = false;
        tour.notify_all();
        tour.wait(l, [this] { return tourAppareil; });
    }

    void Allumer();
};

class LigneVirtuelle::CoteAppareil : public LigneAppareil {
public:
    explicit CoteAppareil(Etat& etat) : e_(etat) {}

    Lecture Lire(unsigned char& octet, int delaiMs) override {
        std::unique_lock<std::mutex> l(e_.verrou);
        const Duree reveil = delaiMs < 0 ? JAMAIS : e_.maintenant + std::chrono::milliseconds(delaiMs);
        for (;;) {
            if (e_.arret || e_.raccroche) return Lecture::Fermee;
            if (!e_.versAppareil.empty()) {
                octet = e_.versAppareil.front();
                e_.versAppareil.pop_front();
                return Lecture::Octet;
            }
            if (e_.maintenant >= reveil) return Lecture::Delai;
            e_.CederAuPc(l, Etat::Attente::Octet, reveil);
        }
    }

    bool Ecrire(const unsigned char* octets, std::size_t nombre) override {
        std::lock_guard<std::mutex> l(e_.verrou);
        if (e_.raccroche || e_.arret) return false;
        // A closed port takes nothing in.
        if (e_.ouvert) e_.versPc.insert(e_.versPc.end(), octets, octets + nombre);
        return true;
    }

    bool ReglagesPC(int& bitsDonnees, int& bauds) override {
        std::lock_guard<std::mutex> l(e_.verrou);
        bitsDonnees = e_.reglages.ByteSize;
        bauds = static_cast<int>(e_.reglages.BaudRate);
        return true;
    }

    // What the device sent before still reaches the PC.
    void Raccrocher() override {
        std::lock_guard<std::mutex> l(e_.verrou);
        e_.raccroche = true;
        e_.versAppareil.clear();
    }

    Horloge::time_point Maintenant() const override {
        std::lock_guard<std::mutex> l(e_.verrou);
        return Horloge::time_point(e_.maintenant);
    }

    void DormirJusqua(Horloge::time_point instant) override {
        const Duree cible = instant.time_since_epoch();
        std::unique_lock<std::mutex> l(e_.verrou);
        for (;;) {
            if (e_.arret || e_.maintenant >= cible) return;
            if (cible <= e_.echeancePc && !(e_.pcVeutOctet && e_.OctetPourPc())) {
                e_.maintenant = cible;
                return;
            }
            e_.CederAuPc(l, Etat::Attente::Jusqua, cible);
        }
    }

private:
    Etat& e_;
};

// A new power-up: the device starts its bootloader afresh, on the turn the PC gives it.
void LigneVirtuelle::Etat::Allumer() {
    if (fil.joinable()) fil.join();
    attente = Attente::Demarrage;
    raccroche = false;
    fil = std::thread([this] {
        {
            std::unique_lock<std::mutex> l(verrou);
            tour.wait(l, [this] { return tourAppareil; });
        }
        appareil->Servir(*cote);
        std::lock_guard<std::mutex> l(verrou);
        attente = Attente::Eteint;
        tourAppareil = false;
        tour.notify_all();
    });
}

LigneVirtuelle::LigneVirtuelle(std::shared_ptr<Appareil> appareil, std::string chemin)
    : etat_(std::make_unique<Etat>()) {
    etat_->appareil = std::move(appareil);
    etat_->chemin = std::move(chemin);
    etat_->cote = std::make_unique<CoteAppareil>(*etat_);
}

LigneVirtuelle::~LigneVirtuelle() {
    {
        std::unique_lock<std::mutex> l(etat_->verrou);
        etat_->arret = true;
        if (etat_->attente != Etat::Attente::Eteint) {
            etat_->tourAppareil = true;
            etat_->tour.notify_all();
            etat_->tour.wait(l, [this] { return etat_->attente == Etat::Attente::Eteint; });
        }
    }
    if (etat_->fil.joinable()) etat_->fil.join();
}

PoigneeSerie LigneVirtuelle::Ouvrir(int) {
    std::lock_guard<std::mutex> l(etat_->verrou);
    if (etat_->ouvert) {
        etat_->erreur = EBUSY;
        return PORT_INVALIDE;
    }
    if (etat_->attente == Etat::Attente::Eteint) etat_->Allumer();
    etat_->ouvert = true;
    etat_->versPc.clear();
    return POIGNEE;
}

// The PC side sets the port; the device side reads the rate and framing from there.
template <typename T>
bool LigneVirtuelle::Copier(const T& de, T& vers) {
    std::lock_guard<std::mutex> l(etat_->verrou);
    if (!etat_->Utilisable()) return false;
    vers = de;
    return true;
}

bool LigneVirtuelle::LireReglages(PoigneeSerie, ReglagesSerie& reglages) { return Copier(etat_->reglages, reglages); }
bool LigneVirtuelle::AppliquerReglages(PoigneeSerie, const ReglagesSerie& reglages) {
    return Copier(reglages, etat_->reglages);
}
bool LigneVirtuelle::LireDelais(PoigneeSerie, DelaisSerie& delais) { return Copier(etat_->delais, delais); }
bool LigneVirtuelle::AppliquerDelais(PoigneeSerie, const DelaisSerie& delais) { return Copier(delais, etat_->delais); }

bool LigneVirtuelle::Purger(PoigneeSerie) {
    std::lock_guard<std::mutex> l(etat_->verrou);
    if (!etat_->Utilisable()) return false;
    etat_->versPc.clear();
    etat_->versAppareil.clear();
    return true;
}

// At most one byte, within the total read time-out.
bool LigneVirtuelle::Lire(PoigneeSerie, unsigned char* octet, std::size_t* lus) {
    std::unique_lock<std::mutex> l(etat_->verrou);
    Etat& e = *etat_;
    *lus = 0;
    if (!e.ouvert) {
        e.erreur = EBADF;
        return false;
    }
    const auto delai =
        std::chrono::milliseconds(e.delais.ReadTotalTimeoutMultiplier + e.delais.ReadTotalTimeoutConstant);
    e.AttendrePc(l, e.maintenant + delai, true);
    if (!e.versPc.empty()) {
        *octet = e.versPc.front();
        e.versPc.pop_front();
        *lus = 1;
        return true;
    }
    if (e.raccroche) {
        e.erreur = EIO;
        return false;
    }
    return true;
}

bool LigneVirtuelle::Ecrire(PoigneeSerie, const void* donnees, std::size_t longueur) {
    std::lock_guard<std::mutex> l(etat_->verrou);
    Etat& e = *etat_;
    if (!e.Utilisable()) return false;
    const auto* octets = static_cast<const unsigned char*>(donnees);
    e.versAppareil.insert(e.versAppareil.end(), octets, octets + longueur);
    return true;
}

bool LigneVirtuelle::Fermer(PoigneeSerie) {
    std::lock_guard<std::mutex> l(etat_->verrou);
    etat_->ouvert = false;
    etat_->versPc.clear();
    return true;
}

int LigneVirtuelle::DerniereErreur() const {
    std::lock_guard<std::mutex> l(etat_->verrou);
    return etat_->erreur;
}

void LigneVirtuelle::Dormir(int ms) {
    std::unique_lock<std::mutex> l(etat_->verrou);
    etat_->AttendrePc(l, etat_->maintenant + std::chrono::milliseconds(ms < 0 ? 0 : ms), false);
}

std::uint64_t LigneVirtuelle::Tic() const {
    std::lock_guard<std::mutex> l(etat_->verrou);
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(etat_->maintenant).count());
}

std::string LigneVirtuelle::CheminPeripherique(int) const { return etat_->chemin; }

bool LigneVirtuelle::PortOuvert() const {
    std::lock_guard<std::mutex> l(etat_->verrou);
    return etat_->ouvert;
}
