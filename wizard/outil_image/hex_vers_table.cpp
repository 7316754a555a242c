// Build-time tool: turns the firmware's Intel HEX file into the C++ table ImageFirmware.
//
//   hex_vers_table <firmware.hex> <image_firmware.cpp>
//
// The program reads the records with nothing but a two-digit decoder and no checks, so every
// fault is caught here instead, and the build stops with the line named: bad syntax, and data
// that the walk would write wrong or not at all.
//
//   hex_vers_table --appareil <programme.hex> <eeprom.hex> [<firmware.hex>]
//
// Reads the memory dumps of a simulated device and tells what it holds: its program bytes, serial
// number, version and language byte. Given the image, it also checks that the device holds what
// the walk writes from it, and fails naming the first differences.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "link/protocole.h"
#include "wizard/image_firmware.h"
#include "wizard/lecture_hex.h"
#include "wizard/outil_image/verification_image.h"
#include "wizard/parcours_image.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t CARACTERES_MAX = LARGEUR_ENREGISTREMENT - 1;  // the slot keeps its NUL

// The image read, fit for the table and checked by the walk.
bool LireImage(const std::string& chemin, std::vector<EnregistrementHex>& enregistrements,
               EcrituresAttendues& ecritures, ErreurHex& erreur) {
    if (!LireFichierIntelHex(chemin, enregistrements, erreur)) return false;
    for (std::size_t i = 0; i < enregistrements.size(); ++i) {
        const EnregistrementHex& e = enregistrements[i];
        if (e.Texte.size() > CARACTERES_MAX) {
            erreur = {e.Ligne, "record of " + std::to_string(e.Texte.size()) +
                                   " characters does not fit a slot (at most " + std::to_string(CARACTERES_MAX) + ")"};
            return false;
        }
        if (i == static_cast<std::size_t>(CAPACITE_TABLE)) {
            erreur = {e.Ligne, "more than " + std::to_string(CAPACITE_TABLE) + " records"};
            return false;
        }
    }
    return VerifierImage(enregistrements, ecritures, erreur);
}

void Signaler(const std::string& chemin, const ErreurHex& erreur) {
    if (erreur.Ligne == 0)
        std::fprintf(stderr, "hex_vers_table: %s: %s\n", chemin.c_str(), erreur.Motif.c_str());
    else
        std::fprintf(stderr, "hex_vers_table: %s:%zu: %s\n", chemin.c_str(), erreur.Ligne, erreur.Motif.c_str());
}

bool LireVidage(const std::string& chemin, std::map<std::uint64_t, std::uint8_t>& octets) {
    ErreurHex erreur;
    if (OctetsFichierIntelHex(chemin, octets, erreur)) return true;
    Signaler(chemin, erreur);
    return false;
}

int OctetOuEfface(const std::map<std::uint64_t, std::uint8_t>& octets, std::uint64_t adresse) {
    const auto it = octets.find(adresse);
    return it == octets.end() ? 0xFF : it->second;
}

// Shape of the image and of its walk, for the checks' logs.
void DecrireImage(const std::vector<EnregistrementHex>& enregistrements, const EcrituresAttendues& e) {
    std::uint64_t premier = 0, dernier = 0, suite = 0;
    std::size_t donnees = 0, trous = 0, eeprom = 0;
    bool vu = false;
    for (const EnregistrementHex& r : enregistrements) {
        if (r.Type != HEX_DONNEES || r.Octets.empty()) continue;
        if (r.Adresse >= FENETRE_EEPROM.Debut && r.Adresse < FENETRE_EEPROM.Fin) {
            eeprom += r.Octets.size();
            continue;
        }
        if (!vu) premier = r.Adresse;
        if (vu && r.Adresse > suite) ++trous;
        vu = true;
        donnees += r.Octets.size();
        suite = std::max(suite, r.Adresse + r.Octets.size());
        dernier = std::max(dernier, suite - 1);
    }
    std::printf("image: %zu records, %zu program bytes from 0x%llX to 0x%llX, %zu gaps, %zu EEPROM bytes; "
                "the walk writes %d blocks and stamps %d.%d.%d\n",
                enregistrements.size(), donnees, static_cast<unsigned long long>(premier),
                static_cast<unsigned long long>(dernier), trous, eeprom, e.Blocs, e.Version[0], e.Version[1],
                e.Version[2]);
}

int Appareil(const std::vector<std::string>& arguments) {
    std::map<std::uint64_t, std::uint8_t> programme, eeprom;
    if (!LireVidage(arguments[0], programme) || !LireVidage(arguments[1], eeprom)) return 1;
    const auto e = [&](int adresse) { return OctetOuEfface(eeprom, static_cast<std::uint64_t>(adresse)); };
    unsigned long serie = 0;
    for (int i = 3; i >= 0; --i)
        serie = serie << 8 | static_cast<unsigned>(e(protocole::EEPROM_NUMERO_SERIE + i));
    std::size_t ecrits = 0;
    for (const auto& [a, o] : programme)
        ecrits += o != 0xFF;
    std::printf("program bytes %zu\nserial 0x%08lX\nversion %d.%d.%d\nlanguage %d\n", ecrits, serie,
                e(protocole::EEPROM_MAJEUR), e(protocole::EEPROM_MINEUR), e(protocole::EEPROM_REVISION),
                e(protocole::EEPROM_LANGUE));
    if (arguments.size() < 3) return 0;

    std::vector<EnregistrementHex> enregistrements;
    EcrituresAttendues attendu;
    ErreurHex erreur;
    if (!LireImage(arguments[2], enregistrements, attendu, erreur)) {
        Signaler(arguments[2], erreur);
        return 1;
    }
    DecrireImage(enregistrements, attendu);

    // Every address either side holds, compared; flash not written reads as erased.
    std::vector<std::string> ecarts;
    std::map<std::uint64_t, bool> adresses;
    for (const auto& [a, o] : programme)
        adresses[a] = true, (void)o;
    for (const auto& [a, o] : attendu.Programme)
        adresses[a] = true, (void)o;
    char texte[96];
    for (const auto& [a, vu] : adresses) {
        (void)vu;
        const int tenu = OctetOuEfface(programme, a), voulu = OctetOuEfface(attendu.Programme, a);
        if (tenu == voulu) continue;
        std::snprintf(texte, sizeof texte, "program memory 0x%llX holds 0x%02X, not 0x%02X",
                      static_cast<unsigned long long>(a), tenu, voulu);
        ecarts.push_back(texte);
    }
    for (const auto& [a, voulu] : attendu.Eeprom) {
        if (e(a) == voulu) continue;
        std::snprintf(texte, sizeof texte, "EEPROM %d holds 0x%02X, not 0x%02X", a, e(a), voulu);
        ecarts.push_back(texte);
    }
    const int version[3] = {e(protocole::EEPROM_MAJEUR), e(protocole::EEPROM_MINEUR), e(protocole::EEPROM_REVISION)};
    if (version[0] != attendu.Version[0] || version[1] != attendu.Version[1] || version[2] != attendu.Version[2]) {
        std::snprintf(texte, sizeof texte, "the version stamp is %d.%d.%d, not %d.%d.%d", version[0], version[1],
                      version[2], attendu.Version[0], attendu.Version[1], attendu.Version[2]);
        ecarts.push_back(texte);
    }
    for (std::size_t i = 0; i < ecarts.size() && i < 10; ++i)
        std::fprintf(stderr, "hex_vers_table: the device: %s\n", ecarts[i].c_str());
    if (ecarts.size() > 10) std::fprintf(stderr, "hex_vers_table: the device: %zu differences in all\n", ecarts.size());
    return ecarts.empty() ? 0 : 1;
}

std::string Table(const std::vector<std::string>& records, const std::string& origine) {
    std::ostringstream out;
    out << "// Generated by hex_vers_table from " << origine << ": edit that file, not this one.\n"
        << "#include \"wizard/image_firmware.h\"\n\n"
        << "const char ImageFirmware[][LARGEUR_ENREGISTREMENT] = {\n";
    for (const std::string& texte : records)
        out << "    \"" << texte << "\",\n";
    out << "    \"\",\n};\n";
    return out.str();
}

std::string NomSeul(const std::string& chemin) {
    const std::size_t barre = chemin.find_last_of("/\\");
    return barre == std::string::npos ? chemin : chemin.substr(barre + 1);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!arguments.empty() && arguments[0] == "--appareil" && (arguments.size() == 3 || arguments.size() == 4))
        return Appareil({arguments.begin() + 1, arguments.end()});
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: hex_vers_table <firmware.hex> <output.cpp>\n"
                             "       hex_vers_table --appareil <programme.hex> <eeprom.hex> [<firmware.hex>]\n");
        return 2;
    }
    const std::string& entree = arguments[0];
    const std::string& sortie = arguments[1];

    std::vector<EnregistrementHex> enregistrements;
    EcrituresAttendues ecritures;
    ErreurHex erreur;
    if (!LireImage(entree, enregistrements, ecritures, erreur)) {
        Signaler(entree, erreur);
        return 1;
    }
    std::vector<std::string> records;
    for (const EnregistrementHex& e : enregistrements)
        records.push_back(e.Texte);

    // Written aside, then renamed into place: an interrupted build leaves no half table that
    // looks up to date.
    const std::string texte = Table(records, NomSeul(entree));
    const std::string provisoire = sortie + ".tmp";
    std::ofstream cpp(provisoire, std::ios::binary | std::ios::trunc);
    cpp << texte;
    cpp.close();
    std::error_code code;
    if (cpp) fs::rename(provisoire, sortie, code);
    if (!cpp || code) {
        fs::remove(provisoire, code);
        std::fprintf(stderr, "hex_vers_table: %s: cannot write the file\n", sortie.c_str());
        return 1;
    }
    return 0;
}
