// Directories, symbolic links and the holders of a device on POSIX: the port diagnostics and the
// sysfs port list read them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <dirent.h>

struct FermeDossier {
    void operator()(DIR* d) const { ::closedir(d); }
};
// An open directory, closed with its owner.
using Dossier = std::unique_ptr<DIR, FermeDossier>;

// What a symbolic link points to, as written in it; empty when the path is no link.
std::string CibleLien(const std::string& lien);

// The other processes that have the file open, by their command names, each name once; only the
// processes whose files the system shows this user count.
std::vector<std::string> Detenteurs(const std::string& chemin);

// Those of the given command names that some running process bears, in the given order.
std::vector<std::string> ProgrammesEnCours(const std::vector<std::string>& noms);
