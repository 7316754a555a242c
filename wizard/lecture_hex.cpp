#include "wizard/lecture_hex.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t CARACTERES_MIN = 11;  // ":LLAAAATTCC"

int ValeurChiffre(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int Paire(const std::string& texte, std::size_t position) {
    return ValeurChiffre(texte[position]) * 16 + ValeurChiffre(texte[position + 1]);
}

std::string Hex2(int valeur) {
    char texte[3];
    std::snprintf(texte, sizeof texte, "%02X", valeur & 0xFF);
    return texte;
}

std::string DecrireCaractere(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x21 && u < 0x7F) return std::string("'") + c + "'";
    return "byte 0x" + Hex2(u);
}

// Empty when the record is sound, otherwise what is wrong with it.
std::string Examiner(const std::string& texte) {
    if (texte.empty()) return "empty line";
    if (texte[0] != ':') return "record does not start with ':'";
    for (std::size_t i = 1; i < texte.size(); ++i) {
        const char c = texte[i];
        if (c >= 'a' && c <= 'f')
            return "lower-case hexadecimal digit '" + std::string(1, c) + "' at column " + std::to_string(i + 1) +
                   " (the program decodes upper case only)";
        if (ValeurChiffre(c) < 0) return "bad character " + DecrireCaractere(c) + " at column " + std::to_string(i + 1);
    }
    if (texte.size() < CARACTERES_MIN || texte.size() % 2 == 0)
        return "bad record length (" + std::to_string(texte.size()) + " characters)";

    const std::size_t longueur = static_cast<std::size_t>(Paire(texte, 1));
    if (CARACTERES_MIN + 2 * longueur != texte.size())
        return "byte count " + std::to_string(longueur) + " does not match the " +
               std::to_string((texte.size() - CARACTERES_MIN) / 2) + " data bytes";

    int somme = 0;
    for (std::size_t i = 1; i < texte.size(); i += 2)
        somme += Paire(texte, i);
    if ((somme & 0xFF) != 0) {
        const int lu = Paire(texte, texte.size() - 2);
        return "wrong checksum " + Hex2(lu) + ", expected " + Hex2(lu - somme);
    }

    switch (Paire(texte, 7)) {
    case HEX_DONNEES: return {};
    case HEX_FIN: return longueur == 0 ? std::string() : "end-of-file record carries data";
    case HEX_ADRESSE_ETENDUE: return longueur == 2 ? std::string() : "extended linear address record without 2 bytes";
    default:
        // The walk skips any other type: segment addresses would misplace the data silently.
        return "record type " + texte.substr(7, 2) + " not supported (only 00, 01 and 04)";
    }
}

bool Blanche(const std::string& texte) {
    for (const char c : texte)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\v' && c != '\f') return false;
    return true;
}

}  // namespace

bool LireIntelHex(const std::string& contenu, std::vector<EnregistrementHex>& enregistrements, ErreurHex& erreur) {
    enregistrements.clear();
    std::size_t ligne = 0;
    std::size_t debut = 0;
    bool finTrouvee = false;
    std::uint64_t base = 0;
    while (debut < contenu.size()) {
        std::size_t fin = contenu.find('\n', debut);
        if (fin == std::string::npos) fin = contenu.size();
        std::string texte = contenu.substr(debut, fin - debut);
        if (!texte.empty() && texte.back() == '\r') texte.pop_back();
        debut = fin + 1;
        ++ligne;

        if (finTrouvee) {
            if (Blanche(texte)) continue;
            erreur = {ligne, "record after the end-of-file record"};
            return false;
        }
        const std::string motif = Examiner(texte);
        if (!motif.empty()) {
            erreur = {ligne, motif};
            return false;
        }
        EnregistrementHex e;
        e.Ligne = ligne;
        e.Type = Paire(texte, 7);
        for (std::size_t i = 9; i + 2 < texte.size(); i += 2)
            e.Octets.push_back(static_cast<std::uint8_t>(Paire(texte, i)));
        if (e.Type == HEX_ADRESSE_ETENDUE) base = static_cast<std::uint64_t>(e.Octets[0] * 256 + e.Octets[1]) << 16;
        if (e.Type == HEX_DONNEES)
            e.Adresse = base + static_cast<std::uint64_t>(Paire(texte, 3) * 256 + Paire(texte, 5));
        e.Texte = std::move(texte);
        finTrouvee = e.Type == HEX_FIN;
        enregistrements.push_back(std::move(e));
    }
    if (enregistrements.empty()) {
        erreur = {1, "no records"};
        return false;
    }
    if (!finTrouvee) {
        erreur = {ligne, "no end-of-file record after the last record"};
        return false;
    }
    return true;
}

bool LireFichierIntelHex(const std::string& chemin, std::vector<EnregistrementHex>& enregistrements,
                         ErreurHex& erreur) {
    std::FILE* f = std::fopen(chemin.c_str(), "rb");
    if (f == nullptr) {
        erreur = {0, std::string("cannot read the file: ") + std::strerror(errno)};
        return false;
    }
    std::string contenu;
    char tampon[65536];
    std::size_t lus = 0;
    while ((lus = std::fread(tampon, 1, sizeof tampon, f)) > 0)
        contenu.append(tampon, lus);
    const bool lu = std::ferror(f) == 0;
    const int code = errno;
    std::fclose(f);
    if (!lu) {
        erreur = {0, std::string("cannot read the file: ") + std::strerror(code)};
        return false;
    }
    return LireIntelHex(contenu, enregistrements, erreur);
}

bool OctetsIntelHex(const std::vector<EnregistrementHex>& enregistrements,
                    std::map<std::uint64_t, std::uint8_t>& octets, ErreurHex& erreur) {
    octets.clear();
    for (const EnregistrementHex& e : enregistrements) {
        for (std::size_t i = 0; e.Type == HEX_DONNEES && i < e.Octets.size(); ++i) {
            if (!octets.emplace(e.Adresse + i, e.Octets[i]).second) {
                char adresse[24];
                std::snprintf(adresse, sizeof adresse, "0x%llX", static_cast<unsigned long long>(e.Adresse + i));
                erreur = {e.Ligne, std::string("data at ") + adresse + " given a second time"};
                return false;
            }
        }
    }
    return true;
}

bool OctetsFichierIntelHex(const std::string& chemin, std::map<std::uint64_t, std::uint8_t>& octets,
                           ErreurHex& erreur) {
    std::vector<EnregistrementHex> enregistrements;
    return LireFichierIntelHex(chemin, enregistrements, erreur) && OctetsIntelHex(enregistrements, octets, erreur);
}
