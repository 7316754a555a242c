// Build-time tool: turns the firmware's Intel HEX file into the C++ table ImageFirmware.
//
//   hex_vers_table <firmware.hex> <image_firmware.cpp>
//
// The program reads the records with nothing but a two-digit decoder and no checks, so every
// fault is caught here instead, and the build stops with the line named: bad syntax, and data
// that the walk would write wrong or not at all.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "wizard/image_firmware.h"
#include "wizard/parcours_image.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t CARACTERES_MAX = LARGEUR_ENREGISTREMENT - 1;  // the slot keeps its NUL
constexpr std::size_t CARACTERES_MIN = 11;                          // ":LLAAAATTCC"

struct Refus {
    std::size_t ligne = 0;
    std::string motif;
};

int ValeurChiffre(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int Octet(const std::string& texte, std::size_t position) {
    return ValeurChiffre(texte[position]) * 16 + ValeurChiffre(texte[position + 1]);
}

std::string Hex2(int valeur) {
    char texte[3];
    std::snprintf(texte, sizeof texte, "%02X", valeur & 0xFF);
    return texte;
}

std::string Adresse(std::uint64_t valeur) {
    char texte[24];
    std::snprintf(texte, sizeof texte, "0x%llX", static_cast<unsigned long long>(valeur));
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
            return "lower-case hexadecimal digit '" + std::string(1, c) + "' at column " +
                   std::to_string(i + 1) + " (the program decodes upper case only)";
        if (ValeurChiffre(c) < 0)
            return "bad character " + DecrireCaractere(c) + " at column " + std::to_string(i + 1);
    }
    if (texte.size() > CARACTERES_MAX)
        return "record of " + std::to_string(texte.size()) +
               " characters does not fit a slot (at most " + std::to_string(CARACTERES_MAX) + ")";
    if (texte.size() < CARACTERES_MIN || texte.size() % 2 == 0)
        return "bad record length (" + std::to_string(texte.size()) + " characters)";

    const std::size_t longueur = static_cast<std::size_t>(Octet(texte, 1));
    if (CARACTERES_MIN + 2 * longueur != texte.size())
        return "byte count " + std::to_string(longueur) + " does not match the " +
               std::to_string((texte.size() - CARACTERES_MIN) / 2) + " data bytes";

    int somme = 0;
    for (std::size_t i = 1; i < texte.size(); i += 2) somme += Octet(texte, i);
    if ((somme & 0xFF) != 0) {
        const int lu = Octet(texte, texte.size() - 2);
        return "wrong checksum " + Hex2(lu) + ", expected " + Hex2(lu - somme);
    }

    switch (Octet(texte, 7)) {
    case 0x00:
        return {};
    case 0x01:
        return longueur == 0 ? std::string() : "end-of-file record carries data";
    case 0x04:
        return longueur == 2 ? std::string() : "extended linear address record without 2 bytes";
    case 0x02:
        // The program only knows linear addresses; segment records would misplace the data.
        return "extended segment address record (type 02) not supported";
    case 0x03:
        // Start addresses carry no data and the program skips them, but only in their own form.
        return longueur == 4 ? std::string() : "start segment address record (type 03) without 4 bytes";
    case 0x05:
        return longueur == 4 ? std::string() : "start linear address record (type 05) without 4 bytes";
    default:
        return "unknown record type " + texte.substr(7, 2);
    }
}

// The walk's view of the data records so far, to refuse what it would write wrong or drop.
struct Parcours {
    std::uint64_t base = 0;  // from the last type-04 record
    // Where the last data record's bytes start, and the address just past them.
    bool donneesVues = false;
    std::uint64_t debutPrecedent = 0;
    std::uint64_t finPrecedente = 0;
    // The walk holds a block that bytes at `suite` would continue; a block it starts anew
    // begins at the record's own address.
    bool blocOuvert = false;
    std::uint64_t suite = 0;
};

bool Dans(const FenetreAdresses& fenetre, std::uint64_t debut, std::uint64_t fin) {
    return debut >= fenetre.Debut && fin <= fenetre.Fin;
}

// Empty when the sound record texte can be written as the walk goes, otherwise why not.
std::string Placer(const std::string& texte, Parcours& p) {
    const int type = Octet(texte, 7);
    if (type == 0x04) {
        p.base = static_cast<std::uint64_t>(Octet(texte, 9) * 256 + Octet(texte, 11)) << 16;
        return {};
    }
    if (type != 0x00) return {};
    const std::uint64_t debut = p.base + static_cast<std::uint64_t>(Octet(texte, 3) * 256 + Octet(texte, 5));
    const std::uint64_t fin = debut + static_cast<std::uint64_t>(Octet(texte, 1));
    const bool suit = p.blocOuvert && debut == p.suite;
    if (fin == debut) {
        // No byte to write, but in program memory it still ends a block it does not continue.
        if (FENETRE_PROGRAMME.Contient(static_cast<unsigned>(debut)) && !suit) p.blocOuvert = false;
        return {};
    }

    const bool programme = Dans(FENETRE_PROGRAMME, debut, fin);
    if (!programme && !Dans(FENETRE_EEPROM, debut, fin))
        return "data from " + Adresse(debut) + " to " + Adresse(fin - 1) +
               " lies outside program memory (" + Adresse(FENETRE_PROGRAMME.Debut) + " to " +
               Adresse(FENETRE_PROGRAMME.Fin - 1) + ") and the EEPROM (" + Adresse(FENETRE_EEPROM.Debut) +
               " to " + Adresse(FENETRE_EEPROM.Fin - 1) + ")";
    if (p.donneesVues && debut < p.debutPrecedent)
        return "data at " + Adresse(debut) + " goes back before the previous record's, at " +
               Adresse(p.debutPrecedent);
    if (p.donneesVues && debut < p.finPrecedente)
        return "data at " + Adresse(debut) + " overlaps the previous record's, which end at " +
               Adresse(p.finPrecedente - 1);
    // The bootloader takes blocks at even addresses only.
    if (programme && debut % 2 != 0 && !suit)
        return "data at odd address " + Adresse(debut) +
               " does not follow the bytes before it, so its block would start at an odd address";

    p.donneesVues = true;
    p.debutPrecedent = debut;
    p.finPrecedente = fin;
    // A block is written when it reaches the end of its row, and before any EEPROM byte.
    p.blocOuvert = programme && fin % protocole::TAILLE_RANGEE != 0;
    p.suite = fin;
    return {};
}

// Only blanks and line ends: tolerated after the end-of-file record.
bool Blanche(const std::string& texte) {
    for (const char c : texte)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\v' && c != '\f') return false;
    return true;
}

// Splits the file into lines (LF or CRLF) and checks them; records gets the texts.
bool Lire(const std::string& contenu, std::vector<std::string>& records, Refus& refus) {
    std::size_t ligne = 0;
    std::size_t debut = 0;
    bool finTrouvee = false;
    Parcours parcours;
    while (debut < contenu.size()) {
        std::size_t fin = contenu.find('\n', debut);
        if (fin == std::string::npos) fin = contenu.size();
        std::string texte = contenu.substr(debut, fin - debut);
        if (!texte.empty() && texte.back() == '\r') texte.pop_back();
        debut = fin + 1;
        ++ligne;

        if (finTrouvee) {
            if (Blanche(texte)) continue;
            refus = {ligne, "record after the end-of-file record"};
            return false;
        }
        std::string motif = Examiner(texte);
        if (motif.empty()) motif = Placer(texte, parcours);
        if (!motif.empty()) {
            refus = {ligne, motif};
            return false;
        }
        if (records.size() == static_cast<std::size_t>(CAPACITE_TABLE)) {
            refus = {ligne, "more than " + std::to_string(CAPACITE_TABLE) + " records"};
            return false;
        }
        records.push_back(texte);
        finTrouvee = texte.compare(7, 2, "01") == 0;
    }
    if (records.empty()) {
        refus = {1, "no records"};
        return false;
    }
    if (!finTrouvee) {
        refus = {ligne, "no end-of-file record after the last record"};
        return false;
    }
    return true;
}

std::string Table(const std::vector<std::string>& records, const std::string& origine) {
    std::ostringstream out;
    out << "// Generated by hex_vers_table from " << origine << ": edit that file, not this one.\n"
        << "#include \"wizard/image_firmware.h\"\n\n"
        << "const char ImageFirmware[][LARGEUR_ENREGISTREMENT] = {\n";
    for (const std::string& texte : records) out << "    \"" << texte << "\",\n";
    out << "    \"\",\n};\n";
    return out.str();
}

// The whole file; false with errno set when it cannot be read (a folder, no permission...).
bool LireFichier(const std::string& chemin, std::string& contenu) {
    std::FILE* f = std::fopen(chemin.c_str(), "rb");
    if (f == nullptr) return false;
    char tampon[65536];
    std::size_t lus = 0;
    while ((lus = std::fread(tampon, 1, sizeof tampon, f)) > 0) contenu.append(tampon, lus);
    const bool lu = std::ferror(f) == 0;
    const int erreur = errno;
    std::fclose(f);
    errno = erreur;
    return lu;
}

std::string NomSeul(const std::string& chemin) {
    const std::size_t barre = chemin.find_last_of("/\\");
    return barre == std::string::npos ? chemin : chemin.substr(barre + 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: hex_vers_table <firmware.hex> <output.cpp>\n");
        return 2;
    }
    const std::string entree = argv[1];
    const std::string sortie = argv[2];

    std::string contenu;
    if (!LireFichier(entree, contenu)) {
        std::fprintf(stderr, "hex_vers_table: %s: cannot read the file: %s\n", entree.c_str(),
                     std::strerror(errno));
        return 1;
    }

    std::vector<std::string> records;
    Refus refus;
    if (!Lire(contenu, records, refus)) {
        std::fprintf(stderr, "hex_vers_table: %s:%zu: %s\n", entree.c_str(), refus.ligne,
                     refus.motif.c_str());
        return 1;
    }

    // Written aside, then renamed into place: an interrupted build leaves no half table that
    // looks up to date.
    const std::string texte = Table(records, NomSeul(entree));
    const std::string provisoire = sortie + ".tmp";
    std::ofstream cpp(provisoire, std::ios::binary | std::ios::trunc);
    cpp << texte;
    cpp.close();
    std::error_code erreur;
    if (cpp) fs::rename(provisoire, sortie, erreur);
    if (!cpp || erreur) {
        fs::remove(provisoire, erreur);
        std::fprintf(stderr, "hex_vers_table: %s: cannot write the file\n", sortie.c_str());
        return 1;
    }
    return 0;
}
