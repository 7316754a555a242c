#include "ports/source_sysfs_posix.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "link/chemin_port.h"
#include "link/fichiers_posix.h"

namespace {

// The bridge's serial driver in the kernel.
constexpr const char* PILOTE_PONT = "cp210x";
// Daemons for braille displays, some of which sit behind the same bridges: they probe such a
// bridge through usbfs and leave it without its driver.
const std::vector<std::string> DEMONS_BRAILLE = {"brltty"};

std::string NomFinal(const std::string& chemin) {
    const size_t barre = chemin.find_last_of('/');
    return barre == std::string::npos ? chemin : chemin.substr(barre + 1);
}

// Last component of a symlink's target; empty when it is not a link.
std::string NomCible(const std::string& lien) { return NomFinal(CibleLien(lien)); }

// Kernel driver of the tty's device. A USB interface may carry the driver one level up.
std::string PiloteDuPort(const std::string& dossierTty) {
    const std::string appareil = dossierTty + "/device";
    std::string pilote = NomCible(appareil + "/driver");
    if (!pilote.empty()) return pilote;
    std::unique_ptr<char, decltype(&std::free)> reel(realpath(appareil.c_str(), nullptr), &std::free);
    if (!reel) return {};
    const std::string chemin(reel.get());
    const size_t barre = chemin.find_last_of('/');
    if (barre == std::string::npos || barre == 0) return {};
    return NomCible(chemin.substr(0, barre) + "/driver");
}

// A legacy 8250 slot without a UART behind it reports type 0. Only a regular file is read, and
// its open does not wait: a root given for tests may hold a FIFO there, which would block.
bool SansUart(const std::string& dossierTty) {
    const int fd = open((dossierTty + "/type").c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    char texte[16] = {};
    struct stat etat {};
    ssize_t lus = 0;
    if (fstat(fd, &etat) == 0 && S_ISREG(etat.st_mode)) lus = read(fd, texte, sizeof texte - 1);
    close(fd);
    if (lus <= 0) return false;
    char* fin = nullptr;
    const long type = std::strtol(texte, &fin, 10);
    return fin != texte && type == 0;
}

std::string NumeroDuNom(const std::string& nomTty) {
    size_t debut = nomTty.size();
    while (debut > 0 && nomTty[debut - 1] >= '0' && nomTty[debut - 1] <= '9')
        --debut;
    return nomTty.substr(debut);
}

// The device name the port's Windows driver would register: only the bridge's carries "Silabser".
std::string NomValeur(const std::string& pilote, const std::string& nomTty) {
    std::string famille = "Serial";
    if (pilote == PILOTE_PONT)
        famille = "Silabser";
    else if (pilote == "cdc_acm")
        famille = "USBSER";
    return "\\Device\\" + famille + NumeroDuNom(nomTty);
}

bool Existe(const std::string& chemin) {
    struct stat etat {};
    return stat(chemin.c_str(), &etat) == 0;
}

// A folder's entries but . and .., in name order.
std::vector<std::string> Entrees(const std::string& chemin) {
    std::vector<std::string> noms;
    Dossier dossier(opendir(chemin.c_str()));
    if (!dossier) return noms;
    while (const dirent* e = readdir(dossier.get())) {
        const std::string nom = e->d_name;
        if (nom != "." && nom != "..") noms.push_back(nom);
    }
    std::sort(noms.begin(), noms.end());
    return noms;
}

// A sysfs attribute's number, in the given base; -1 when it is missing or not a number.
long Attribut(const std::string& chemin, int base) {
    std::ifstream fichier(chemin);
    std::string texte;
    if (!std::getline(fichier, texte)) return -1;
    char* fin = nullptr;
    const long valeur = std::strtol(texte.c_str(), &fin, base);
    return fin != texte.c_str() ? valeur : -1;
}

bool EstPont(const std::string& appareil) {
    return Attribut(appareil + "/idVendor", 16) == ID_FOURNISSEUR_PONT &&
           Attribut(appareil + "/idProduct", 16) == ID_PRODUIT_PONT;
}

// The device's node under dossierDev, which a program holding it through usbfs keeps open.
std::string NoeudUsb(const std::string& appareil, const std::string& dossierDev) {
    const long bus = Attribut(appareil + "/busnum", 10);
    const long numero = Attribut(appareil + "/devnum", 10);
    if (bus < 0 || numero < 0) return {};
    char nom[32];
    std::snprintf(nom, sizeof nom, "/bus/usb/%03ld/%03ld", bus, numero);
    return dossierDev + nom;
}

}  // namespace

SourceSysfs::SourceSysfs(std::string dossierClasse, std::string dossierDev, std::string dossierUsb)
    : DossierClasse(std::move(dossierClasse)), DossierDev(std::move(dossierDev)), DossierUsb(std::move(dossierUsb)) {}

LecturePorts SourceSysfs::Lire(std::vector<ValeurPort>& valeurs) {
    valeurs.clear();
    errno = 0;
    Dossier dossier(opendir(DossierClasse.c_str()));
    if (!dossier) return errno == ENOENT ? LecturePorts::CleAbsente : LecturePorts::DescriptionIllisible;

    std::vector<std::string> noms;
    while (const dirent* e = readdir(dossier.get())) {
        const std::string nom = e->d_name;
        if (nom != "." && nom != "..") noms.push_back(nom);
    }
    dossier.reset();
    std::sort(noms.begin(), noms.end());

    for (const std::string& nom : noms) {
        const std::string dossierTty = DossierClasse + "/" + nom;
        // Only ttys backed by hardware have a device; consoles and ptys do not.
        if (!Existe(dossierTty + "/device")) continue;
        if (nom.rfind("ttyS", 0) == 0 && SansUart(dossierTty)) continue;
        const int numero = NumeroPortTty(nom);
        if (numero <= 0 || !Existe(CheminPort(numero, DossierDev))) continue;
        ValeurPort valeur;
        valeur.nom = NomValeur(PiloteDuPort(dossierTty), nom);
        valeur.type = TYPE_TEXTE;
        valeur.donnees = "COM" + std::to_string(numero);
        valeurs.push_back(std::move(valeur));
    }
    return LecturePorts::Lue;
}

ConstatPont SourceSysfs::ExaminerPont() {
    // A program that lets the bridge go closes its node a moment before the kernel frees the
    // interface: a hold whose holder /proc no longer showed is looked at once more.
    for (int regard = 1;; ++regard) {
        std::string noeudRetenu, dossierRetenu, piloteRetenu;
        bool sansPilote = false;
        for (const std::string& nom : Entrees(DossierUsb)) {
            // Interfaces are listed beside the devices, as "1-2:1.0"; only devices carry the ids.
            const std::string appareil = DossierUsb + "/" + nom;
            if (nom.find(':') != std::string::npos || !EstPont(appareil)) continue;
            for (const std::string& interface : Entrees(appareil)) {
                if (interface.rfind(nom + ":", 0) != 0) continue;
                const std::string dossier = appareil + "/" + interface;
                for (const std::string& enfant : Entrees(dossier))
                    if (enfant.rfind("ttyUSB", 0) == 0) return {};  // a port is there: the port list tells the rest
                const std::string pilote = NomCible(dossier + "/driver");
                if (pilote.empty()) {
                    sansPilote = true;
                } else if (pilote != PILOTE_PONT && dossierRetenu.empty()) {
                    dossierRetenu = dossier;
                    piloteRetenu = pilote;
                    noeudRetenu = NoeudUsb(appareil, DossierDev);
                }
                // The bridge's own driver without a port yet: the port is being made.
            }
        }
        if (!dossierRetenu.empty()) {
            const std::vector<std::string> detenteurs =
                noeudRetenu.empty() ? std::vector<std::string>() : Detenteurs(noeudRetenu);
            if (!detenteurs.empty() || regard == 2 || NomCible(dossierRetenu + "/driver") == piloteRetenu)
                return {EtatPont::Retenu, detenteurs};
            continue;
        }
        if (!sansPilote) return {};
        // The driver is there as a folder of the USB bus's drivers once the kernel has it.
        if (!Existe(DossierUsb + "/../drivers/" + PILOTE_PONT)) return {EtatPont::SansPilote, {}};
        return {EtatPont::Detache, ProgrammesEnCours(DEMONS_BRAILLE)};
    }
}

std::unique_ptr<SourcePorts> CreerSourcePorts() { return std::make_unique<SourceSysfs>(); }
