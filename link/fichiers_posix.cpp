#include "link/fichiers_posix.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <memory>

#include <unistd.h>

namespace {

std::string CheminReel(const std::string& chemin)
{
    std::unique_ptr<char, decltype(&std::free)> reel(::realpath(chemin.c_str(), nullptr), &std::free);
    return reel ? std::string(reel.get()) : chemin;
}

bool AUnDescripteurSur(const std::string& dossierFd, const std::string& cible)
{
    const Dossier fds(::opendir(dossierFd.c_str()));
    if (!fds)
        return false;  // another user's process: the system does not show its files
    while (const dirent* f = ::readdir(fds.get()))
        if (f->d_name[0] != '.' && CibleLien(dossierFd + "/" + f->d_name) == cible)
            return true;
    return false;
}

}  // namespace

std::string CibleLien(const std::string& lien)
{
    char tampon[PATH_MAX];
    const ssize_t n = ::readlink(lien.c_str(), tampon, sizeof tampon);
    return n > 0 ? std::string(tampon, static_cast<std::size_t>(n)) : std::string();
}

std::vector<std::string> Detenteurs(const std::string& chemin)
{
    const std::string cible = CheminReel(chemin);
    const std::string moi = std::to_string(::getpid());
    std::vector<std::string> noms;
    const Dossier proc(::opendir("/proc"));
    if (!proc)
        return noms;
    while (const dirent* e = ::readdir(proc.get())) {
        const std::string pid = e->d_name;
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid == moi)
            continue;
        if (!AUnDescripteurSur("/proc/" + pid + "/fd", cible))
            continue;
        std::ifstream commande("/proc/" + pid + "/comm");
        std::string nom;
        std::getline(commande, nom);
        if (nom.empty())
            nom = pid;
        if (std::find(noms.begin(), noms.end(), nom) == noms.end())
            noms.push_back(nom);
    }
    return noms;
}
