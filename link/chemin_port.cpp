#include "link/chemin_port.h"

#include <climits>

namespace {

struct FamilleTty {
    const char* prefixe;
    int premierNumero;  // COM number of <prefixe>0
    int nombre;         // how many COM numbers the family holds; 0 for no limit
};

// ttyS for the on-board ports, ttyUSB for USB bridges, ttyACM for modem-class devices.
constexpr FamilleTty FAMILLES[] = {
    {"ttyS", 1, 32},
    {"ttyUSB", 33, 32},
    {"ttyACM", 65, 0},
};

// Decimal index without sign or leading zero, so that each COM number has one name only.
bool LireIndex(const std::string& texte, int* index) {
    if (texte.empty() || texte.size() > 9) return false;
    if (texte.size() > 1 && texte[0] == '0') return false;
    int valeur = 0;
    for (char c : texte) {
        if (c < '0' || c > '9') return false;
        valeur = valeur * 10 + (c - '0');
    }
    *index = valeur;
    return true;
}

}  // namespace

std::string CheminPort(int numeroPort, const std::string& dossierDev) {
    for (const FamilleTty& f : FAMILLES) {
        if (numeroPort < f.premierNumero) continue;
        const int k = numeroPort - f.premierNumero;
        if (f.nombre != 0 && k >= f.nombre) continue;
        std::string chemin = dossierDev;
        if (!chemin.empty() && chemin.back() != '/') chemin += '/';
        return chemin + f.prefixe + std::to_string(k);
    }
    return std::string();
}

int NumeroPortTty(const std::string& nomTty) {
    const std::string::size_type barre = nomTty.rfind('/');
    const std::string nom = barre == std::string::npos ? nomTty : nomTty.substr(barre + 1);
    for (const FamilleTty& f : FAMILLES) {
        const std::string prefixe = f.prefixe;
        if (nom.compare(0, prefixe.size(), prefixe) != 0) continue;
        int k = 0;
        if (!LireIndex(nom.substr(prefixe.size()), &k)) continue;
        if (f.nombre != 0 && k >= f.nombre) return 0;
        if (k > INT_MAX - f.premierNumero) return 0;
        return f.premierNumero + k;
    }
    return 0;
}
