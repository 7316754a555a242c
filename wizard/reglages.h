// The settings file: one language number, read once at start-up, never written.
#pragma once

#include <cstddef>
#include <string>

inline constexpr const char* NOM_FICHIER_REGLAGES = "ZantrelV1.CFG";
inline constexpr std::size_t TAILLE_LUE_REGLAGES = 200;  // anything past these bytes is ignored

// The language a settings text gives: the value between "=" and ";" after the key "Langue"
// (or in the whole text without the key). Only the first TAILLE_LUE_REGLAGES bytes count and the
// text ends at the first NUL. 0 when there is no valid integer.
int LangueDesReglages(const char* octets, std::size_t taille);

enum class EtatReglages {
    Absent,     // no file: French
    Lu,         // the file was read
    Illisible,  // the file is there but cannot be opened
};

struct LectureReglages {
    EtatReglages etat = EtatReglages::Absent;
    int langue = 0;
    std::string chemin;  // the file's full path
};

// Reads NOM_FICHIER_REGLAGES in dossier; an empty dossier means no file.
LectureReglages LireReglages(const std::string& dossier);

// The platform's part: up to taille bytes from the start of the file at chemin into octets,
// their count in lus. Absent when nothing there leads to a file; Illisible when what is there
// cannot be opened for reading as a file; Lu otherwise. Never waits for another program.
EtatReglages LireDebutFichier(const std::string& chemin, char* octets, std::size_t taille, std::size_t& lus);
