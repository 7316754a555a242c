#include "link/fichiers_posix.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <memory>

#include <unistd.h>

namespace {

std::string CheminReel(const std::string& chemin) {
    std::unique_ptr<char, decltype(&std::free)> reel(::realpath(chemin.c_str(), nullptr), &std::free);
    return reel ? std::string(reel.get()) : chemin;
}

bool AUnDescripteurSur(const std::string& dossierFd, const std::string& cible) {
    const Dossier fds(::opendir(dossierFd.c_str()));
    if (!fds) return false;  // another user's process: the system does not show its files
    while (const dirent* f = ::readdir(fds.get()))
        if (f->d_name[0] != '.' && CibleLien(dossierFd + "/" + f->d_name) == cible) return true;
    return false;
}

// Calls voir(pid, command name) for every other process.
template <typename Fonction>
void PourChaqueProcessus(Fonction voir) {
    const std::string moi = std::to_string(::getpid());
    const Dossier proc(::opendir("/proc"));
    if (!proc) return;
    while (const dirent* e = ::readdir(proc.get())) {
        const std::string pid = e->d_name;
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid == moi) continue;
        std::ifstream commande("/proc/" + pid + "/comm");
        std::string nom;
        std::getline(commande, nom);
        voir(pid, nom.empty() ? pid : nom);
    }
}

}  // namespace

std::string CibleLien(const std::string& lien) {
    char tampon[PATH_MAX];
    const ssize_t n = ::readlink(lien.c_str(), tampon, sizeof tampon);
    return n > 0 ? std::string(tampon, static_cast<std::size_t>(n)) : std::string();
}

std::vector<std::string> Detenteurs(const std::string& chemin) {
    const std::string cible = CheminReel(chemin);
    std::vector<std::string> noms;
    PourChaqueProcessus([&](const std::string& pid, const std::string& nom) {
        if (AUnDescripteurSur("/proc/" + pid + "/fd", cible) && std::find(noms.begin(), noms.end(), nom) == noms.end())
            noms.push_back(nom);
    });
    return noms;
}

std::vector<std::string> ProgrammesEnCours(const std::vector<std::string>& noms) {
    std::vector<bool> vus(noms.size(), false);
    PourChaqueProcessus([&](const std::string&, const std::string& nom) {
        for (std::size_t i = 0; i < noms.size(); ++i)
            vus[i] = vus[i] || noms[i] == nom;
    });
    std::vector<std::string> enCours;
    for (std::size_t i = 0; i < noms.size(); ++i)
        if (vus[i]) enCours.push_back(noms[i]);
    return enCours;
}
