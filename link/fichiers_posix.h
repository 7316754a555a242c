// Directories and symbolic links on POSIX: the port diagnostics and the sysfs port list read both.
#pragma once

#include <memory>
#include <string>

#include <dirent.h>

struct FermeDossier {
    void operator()(DIR* d) const { ::closedir(d); }
};
// An open directory, closed with its owner.
using Dossier = std::unique_ptr<DIR, FermeDossier>;

// What a symbolic link points to, as written in it; empty when the path is no link.
std::string CibleLien(const std::string& lien);
