#include "sim/vhci_posix.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

constexpr int PORT_LIBRE = 4;                 // a port's status when nothing is attached
constexpr int VITESSE_PLEINE = 2;             // full speed, 12 Mbit/s, as the part runs
constexpr unsigned IDENTIFIANT = 0x00010002;  // bus 1, device 2: told back in every request

// Writes the whole text in one write, as sysfs wants it; 0 or the errno.
int EcrireSysfs(const std::string& chemin, const std::string& texte) {
    const int fd = open(chemin.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    const ssize_t n = write(fd, texte.data(), texte.size());
    const int erreur = n < 0 ? errno : 0;
    close(fd);
    return erreur;
}

}  // namespace

// "hub port sta spd dev sockfd local_busid" lines, or without the hub column on older kernels.
std::vector<int> PortsVhciLibres(const std::string& etat) {
    std::vector<int> libres;
    std::istringstream lignes(etat);
    std::string ligne;
    while (std::getline(lignes, ligne)) {
        std::istringstream mots(ligne);
        std::string premier;
        int port = -1, statut = -1;
        if (!(mots >> premier)) continue;
        if (premier == "hs") {
            mots >> port >> statut;
        } else if (premier.find_first_not_of("0123456789") == std::string::npos) {
            port = std::stoi(premier);
            mots >> statut;
        }
        if (port >= 0 && statut == PORT_LIBRE) libres.push_back(port);
    }
    return libres;
}

bool AttacherVhci(int descripteur, int& port, std::string& erreur) {
    const std::string dossier = DOSSIER_VHCI;
    std::ifstream fichier(dossier + "/status");
    std::stringstream etat;
    if (!(etat << fichier.rdbuf())) {
        erreur = "no vhci_hcd in this kernel (" + dossier + "): load the vhci-hcd module";
        return false;
    }
    const std::vector<int> libres = PortsVhciLibres(etat.str());
    if (libres.empty()) {
        erreur = "vhci_hcd has no free port";
        return false;
    }
    // A port may be taken between the status read and the attach: the next one is tried.
    int raison = 0;
    for (int libre : libres) {
        char texte[64];
        std::snprintf(texte, sizeof texte, "%d %d %u %d", libre, descripteur, IDENTIFIANT, VITESSE_PLEINE);
        raison = EcrireSysfs(dossier + "/attach", texte);
        if (raison == 0) {
            port = libre;
            return true;
        }
        if (raison != EINVAL && raison != EBUSY) break;
    }
    erreur = "vhci_hcd refused the attach: " + std::string(std::strerror(raison));
    return false;
}

void DetacherVhci(int port) { EcrireSysfs(std::string(DOSSIER_VHCI) + "/detach", std::to_string(port)); }
