#include "tests/windows/environnement.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <vector>

namespace environnement {

std::string Variable(const char* nom) {
    const char* valeur = std::getenv(nom);
    if (valeur == nullptr || *valeur == '\0') {
        ADD_FAILURE() << nom << " is not set: run these tests through scripts/check-windows";
        return std::string();
    }
    return valeur;
}

std::uint32_t Nombre(const char* nom) {
    const std::string texte = Variable(nom);
    if (texte.empty()) return 0;
    char* fin = nullptr;
    const unsigned long long valeur = std::strtoull(texte.c_str(), &fin, 0);
    if (*fin != '\0' || valeur > 0xFFFFFFFFull) {
        ADD_FAILURE() << nom << " is not a number: " << texte;
        return 0;
    }
    return static_cast<std::uint32_t>(valeur);
}

int ComNeuf() {
    static std::vector<int> restants = [] {
        std::vector<int> ports;
        const char* liste = std::getenv("ZANTREL_COM_NEUFS");
        std::istringstream flux(liste != nullptr ? liste : "");
        std::string numero;
        while (std::getline(flux, numero, ','))
            ports.push_back(std::atoi(numero.c_str()));
        return ports;
    }();
    if (restants.empty()) {
        ADD_FAILURE() << "no fresh COM port left in ZANTREL_COM_NEUFS";
        return 0;
    }
    const int port = restants.front();
    restants.erase(restants.begin());
    return port;
}

}  // namespace environnement
