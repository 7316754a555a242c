// The cause of a failed open on POSIX: errno, the device file's group, and /proc for its holder.
#include "link/diagnostic_port.h"
#include "link/fichiers_posix.h"

#include <cerrno>
#include <climits>
#include <vector>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The package's device rule, where udev reads it: the packaged file, or the administrator's copy.
const std::vector<std::string> REGLES_SYSTEME = {"/usr/lib/udev/rules.d/70-zantrel.rules",
                                                 "/lib/udev/rules.d/70-zantrel.rules",
                                                 "/etc/udev/rules.d/70-zantrel.rules"};

// The group whose members may read and write the device, by name or by number when it has no
// name; empty when joining it would not help (no read and write for it) or must not be advised
// (root).
std::string Groupe(const std::string& chemin) {
    struct stat etat {};
    if (::stat(chemin.c_str(), &etat) != 0) return std::string();
    if ((etat.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP) || etat.st_gid == 0) return std::string();
    const long conseil = ::sysconf(_SC_GETGR_R_SIZE_MAX);
    std::vector<char> tampon(conseil > 0 ? static_cast<std::size_t>(conseil) : 16384);
    struct group g {};
    struct group* trouve = nullptr;
    while (::getgrgid_r(etat.st_gid, &g, tampon.data(), tampon.size(), &trouve) == ERANGE)
        tampon.resize(tampon.size() * 2);
    return trouve ? std::string(trouve->gr_name) : std::to_string(etat.st_gid);
}

// A regular file: a rule masked by a link to /dev/null does not count.
bool RegleInstallee(const std::vector<std::string>& regles) {
    for (const std::string& regle : regles.empty() ? REGLES_SYSTEME : regles) {
        struct stat etat {};
        if (::stat(regle.c_str(), &etat) == 0 && S_ISREG(etat.st_mode)) return true;
    }
    return false;
}

}  // namespace

DiagnosticPort DiagnostiquerOuverture(const std::string& chemin, int resultat, const std::vector<std::string>& regles) {
    DiagnosticPort diagnostic;
    diagnostic.chemin = chemin;
    switch (resultat) {
    case EACCES:
    case EPERM:
        diagnostic.cause = CauseEchecPort::Refusee;
        diagnostic.groupe = Groupe(chemin);
        diagnostic.regleInstallee = RegleInstallee(regles);
        break;
    case EBUSY:  // another program's exclusive mode or lock
        diagnostic.cause = CauseEchecPort::Occupee;
        diagnostic.detenteurs = Detenteurs(chemin);
        break;
    case ENOENT:
    case ENODEV:
    case ENXIO: diagnostic.cause = CauseEchecPort::Disparue; break;
    default: break;
    }
    return diagnostic;
}
