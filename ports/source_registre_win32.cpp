// The serial-port list on Windows: the values of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM,
// where each serial driver registers its ports (device name -> "COMn").
#include "ports/appareils_pnp.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const char* CLE_PORTS_SERIE = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

// Device Manager's code for a device the user turned off: not a missing driver.
constexpr unsigned long PROBLEME_DESACTIVE = 22;

// Hardware ids are compared without regard to case, as Plug and Play does.
bool EstPont(const std::string& idMateriel) {
    char motif[32];
    std::snprintf(motif, sizeof motif, "USB\\VID_%04X&PID_%04X", ID_FOURNISSEUR_PONT, ID_PRODUIT_PONT);
    std::string id = idMateriel;
    for (char& c : id)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return id.rfind(motif, 0) == 0;
}

// The key is closed on every way out of a scan.
class CleRegistre {
public:
    CleRegistre() = default;
    ~CleRegistre() {
        if (cle_ != nullptr) RegCloseKey(cle_);
    }
    CleRegistre(const CleRegistre&) = delete;
    CleRegistre& operator=(const CleRegistre&) = delete;

    LONG Ouvrir(HKEY racine, const char* chemin) { return RegOpenKeyExA(racine, chemin, 0, KEY_READ, &cle_); }
    HKEY Cle() const { return cle_; }

private:
    HKEY cle_ = nullptr;
};

// The value's name at index, or false when there is none there any more.
bool NomValeur(HKEY cle, DWORD index, std::vector<char>& tampon, std::string& nom) {
    for (;;) {
        DWORD longueur = static_cast<DWORD>(tampon.size());
        const LONG r = RegEnumValueA(cle, index, tampon.data(), &longueur, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_SUCCESS) {
            nom.assign(tampon.data(), longueur);
            return true;
        }
        // A longer name appeared since the key's description was read.
        if (r == ERROR_MORE_DATA && tampon.size() < 32768) {
            tampon.resize(32768);
            continue;
        }
        return false;
    }
}

// Type and, for the two string types, the data up to the first NUL, taken as stored
// (an expandable string is not expanded). False when the value went away meanwhile.
bool LireValeur(HKEY cle, ValeurPort& valeur) {
    DWORD type = 0;
    DWORD taille = 0;
    if (RegQueryValueExA(cle, valeur.nom.c_str(), nullptr, &type, nullptr, &taille) != ERROR_SUCCESS) return false;
    valeur.type = static_cast<int>(type);
    if (type != REG_SZ && type != REG_EXPAND_SZ) return true;

    std::vector<char> donnees;
    for (;;) {
        // One byte more than asked for: stored strings need not end with a NUL.
        donnees.assign(static_cast<size_t>(taille) + 1, '\0');
        DWORD lus = taille;
        const LONG r =
            RegQueryValueExA(cle, valeur.nom.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(donnees.data()), &lus);
        if (r == ERROR_MORE_DATA) {
            taille = lus;
            continue;
        }
        if (r != ERROR_SUCCESS) return false;
        valeur.type = static_cast<int>(type);
        valeur.donnees.assign(donnees.data());
        return true;
    }
}

class SourceRegistre final : public SourcePorts {
public:
    explicit SourceRegistre(ListeAppareilsPnp appareils) : Appareils(std::move(appareils)) {}

    // A bridge with a driver problem and no COM name: its driver is not installed (or broken).
    ConstatPont ExaminerPont() override {
        bool sansPilote = false;
        for (const AppareilPnp& appareil : Appareils ? Appareils() : std::vector<AppareilPnp>()) {
            if (!EstPont(appareil.idMateriel)) continue;
            if (appareil.portCom) return {};
            if (appareil.codeProbleme != 0 && appareil.codeProbleme != PROBLEME_DESACTIVE) sansPilote = true;
        }
        return sansPilote ? ConstatPont{EtatPont::PiloteAbsent, {}} : ConstatPont();
    }

    LecturePorts Lire(std::vector<ValeurPort>& valeurs) override {
        valeurs.clear();
        CleRegistre cle;
        const LONG ouverture = cle.Ouvrir(HKEY_LOCAL_MACHINE, CLE_PORTS_SERIE);
        if (ouverture == ERROR_FILE_NOT_FOUND || ouverture == ERROR_PATH_NOT_FOUND) return LecturePorts::CleAbsente;
        if (ouverture != ERROR_SUCCESS) return LecturePorts::DescriptionIllisible;

        DWORD nombre = 0;
        DWORD nomMax = 0;
        if (RegQueryInfoKeyA(cle.Cle(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &nombre, &nomMax, nullptr,
                             nullptr, nullptr) != ERROR_SUCCESS)
            return LecturePorts::DescriptionIllisible;

        // Names first, in enumeration order, then each value by its name.
        std::vector<std::string> noms;
        std::vector<char> tampon(static_cast<size_t>(nomMax) + 1);
        for (DWORD i = 0; i < nombre; ++i) {
            std::string nom;
            if (!NomValeur(cle.Cle(), i, tampon, nom)) break;
            noms.push_back(std::move(nom));
        }

        for (std::string& nom : noms) {
            ValeurPort valeur;
            valeur.nom = std::move(nom);
            if (LireValeur(cle.Cle(), valeur)) valeurs.push_back(std::move(valeur));
        }
        return LecturePorts::Lue;
    }

private:
    ListeAppareilsPnp Appareils;
};

}  // namespace

std::unique_ptr<SourcePorts> CreerSourceRegistre(ListeAppareilsPnp appareils) {
    return std::make_unique<SourceRegistre>(std::move(appareils));
}

std::unique_ptr<SourcePorts> CreerSourcePorts() { return CreerSourceRegistre(ListerAppareilsPnp); }
