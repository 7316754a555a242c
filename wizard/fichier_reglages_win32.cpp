// The settings file on Windows: a file that another program holds without sharing does not
// open, and a directory of that name is no file.
#include "wizard/reglages.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

struct FermeFichier {
    void operator()(std::FILE* fichier) const { std::fclose(fichier); }
};

}  // namespace

EtatReglages LireDebutFichier(const std::string& chemin, char* octets, std::size_t taille, std::size_t& lus) {
    lus = 0;
    std::error_code erreur;
    if (!std::filesystem::exists(chemin, erreur)) return EtatReglages::Absent;
    std::unique_ptr<std::FILE, FermeFichier> fichier;
    if (!std::filesystem::is_directory(chemin, erreur)) fichier.reset(std::fopen(chemin.c_str(), "rb"));
    if (!fichier) return EtatReglages::Illisible;
    lus = std::fread(octets, 1, taille, fichier.get());
    return EtatReglages::Lu;
}
