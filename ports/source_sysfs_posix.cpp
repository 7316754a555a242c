#include "ports/source_sysfs_posix.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "link/chemin_port.h"
#include "link/fichiers_posix.h"

namespace {

std::string NomFinal(const std::string& chemin)
{
    const size_t barre = chemin.find_last_of('/');
    return barre == std::string::npos ? chemin : chemin.substr(barre + 1);
}

// Last component of a symlink's target; empty when it is not a link.
std::string NomCible(const std::string& lien)
{
    return NomFinal(CibleLien(lien));
}

// Kernel driver of the tty's device. A USB interface may carry the driver one level up.
std::string PiloteDuPort(const std::string& dossierTty)
{
    const std::string appareil = dossierTty + "/device";
    std::string pilote = NomCible(appareil + "/driver");
    if (!pilote.empty())
        return pilote;
    std::unique_ptr<char, decltype(&std::free)> reel(realpath(appareil.c_str(), nullptr), &std::free);
    if (!reel)
        return {};
    const std::string chemin(reel.get());
    const size_t barre = chemin.find_last_of('/');
    if (barre == std::string::npos || barre == 0)
        return {};
    return NomCible(chemin.substr(0, barre) + "/driver");
}

// A legacy 8250 slot without a UART behind it reports type 0. Only a regular file is read, and
// its open does not wait: a root given for tests may hold a FIFO there, which would block.
bool SansUart(const std::string& dossierTty)
{
    const int fd = open((dossierTty + "/type").c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char texte[16] = {};
    struct stat etat {};
    ssize_t lus = 0;
    if (fstat(fd, &etat) == 0 && S_ISREG(etat.st_mode))
        lus = read(fd, texte, sizeof texte - 1);
    close(fd);
    if (lus <= 0)
        return false;
    char* fin = nullptr;
    const long type = std::strtol(texte, &fin, 10);
    return fin != texte && type == 0;
}

std::string NumeroDuNom(const std::string& nomTty)
{
    size_t debut = nomTty.size();
    while (debut > 0 && nomTty[debut - 1] >= '0' && nomTty[debut - 1] <= '9')
        --debut;
    return nomTty.substr(debut);
}

// The device name the port's Windows driver would register: only the bridge's carries "Silabser".
std::string NomValeur(const std::string& pilote, const std::string& nomTty)
{
    std::string famille = "Serial";
    if (pilote == "cp210x")
        famille = "Silabser";
    else if (pilote == "cdc_acm")
        famille = "USBSER";
    return "\\Device\\" + famille + NumeroDuNom(nomTty);
}

bool Existe(const std::string& chemin)
{
    struct stat etat {};
    return stat(chemin.c_str(), &etat) == 0;
}

}  // namespace

SourceSysfs::SourceSysfs(std::string dossierClasse, std::string dossierDev)
    : DossierClasse(std::move(dossierClasse)), DossierDev(std::move(dossierDev))
{
}

LecturePorts SourceSysfs::Lire(std::vector<ValeurPort>& valeurs)
{
    valeurs.clear();
    errno = 0;
    Dossier dossier(opendir(DossierClasse.c_str()));
    if (!dossier)
        return errno == ENOENT ? LecturePorts::CleAbsente : LecturePorts::DescriptionIllisible;

    std::vector<std::string> noms;
    while (const dirent* e = readdir(dossier.get())) {
        const std::string nom = e->d_name;
        if (nom != "." && nom != "..")
            noms.push_back(nom);
    }
    dossier.reset();
    std::sort(noms.begin(), noms.end());

    for (const std::string& nom : noms) {
        const std::string dossierTty = DossierClasse + "/" + nom;
        // Only ttys backed by hardware have a device; consoles and ptys do not.
        if (!Existe(dossierTty + "/device"))
            continue;
        if (nom.rfind("ttyS", 0) == 0 && SansUart(dossierTty))
            continue;
        const int numero = NumeroPortTty(nom);
        if (numero <= 0 || !Existe(CheminPort(numero, DossierDev)))
            continue;
        ValeurPort valeur;
        valeur.nom = NomValeur(PiloteDuPort(dossierTty), nom);
        valeur.type = TYPE_TEXTE;
        valeur.donnees = "COM" + std::to_string(numero);
        valeurs.push_back(std::move(valeur));
    }
    return LecturePorts::Lue;
}

std::unique_ptr<SourcePorts> CreerSourcePorts()
{
    return std::make_unique<SourceSysfs>();
}
