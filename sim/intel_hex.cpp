#include "sim/intel_hex.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace {

constexpr std::size_t OCTETS_PAR_LIGNE = 16;

void AjouterEnregistrement(std::string& texte, unsigned type, unsigned adresse, const std::uint8_t* donnees,
                           std::size_t nombre) {
    unsigned somme = static_cast<unsigned>(nombre) + (adresse >> 8) + (adresse & 0xFF) + type;
    char champ[16];
    std::snprintf(champ, sizeof champ, ":%02X%04X%02X", static_cast<unsigned>(nombre), adresse & 0xFFFF, type);
    texte += champ;
    for (std::size_t i = 0; i < nombre; ++i) {
        std::snprintf(champ, sizeof champ, "%02X", donnees[i]);
        texte += champ;
        somme += donnees[i];
    }
    std::snprintf(champ, sizeof champ, "%02X\n", (0x100 - (somme & 0xFF)) & 0xFF);
    texte += champ;
}

}  // namespace

std::string EnIntelHex(const std::vector<std::uint8_t>& memoire, bool sauterEfface) {
    std::string texte;
    unsigned pageCourante = 0;
    for (std::size_t ligne = 0; ligne < memoire.size(); ligne += OCTETS_PAR_LIGNE) {
        const std::size_t finLigne = std::min(ligne + OCTETS_PAR_LIGNE, memoire.size());
        std::size_t i = ligne;
        while (i < finLigne) {
            if (sauterEfface && memoire[i] == 0xFF) {
                ++i;
                continue;
            }
            std::size_t fin = i + 1;
            while (fin < finLigne && !(sauterEfface && memoire[fin] == 0xFF))
                ++fin;
            const unsigned page = static_cast<unsigned>(i >> 16);
            if (page != pageCourante) {
                const std::uint8_t haut[2] = {static_cast<std::uint8_t>(page >> 8), static_cast<std::uint8_t>(page)};
                AjouterEnregistrement(texte, 0x04, 0, haut, 2);
                pageCourante = page;
            }
            AjouterEnregistrement(texte, 0x00, static_cast<unsigned>(i), &memoire[i], fin - i);
            i = fin;
        }
    }
    AjouterEnregistrement(texte, 0x01, 0, nullptr, 0);
    return texte;
}

bool EcrireIntelHex(const std::string& chemin, const std::vector<std::uint8_t>& memoire, bool sauterEfface) {
    std::ofstream fichier(chemin, std::ios::out | std::ios::trunc | std::ios::binary);
    fichier << EnIntelHex(memoire, sauterEfface);
    fichier.close();
    return !fichier.fail();
}
