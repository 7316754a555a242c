// The settings file on POSIX systems. Only a regular file is read: a FIFO of that name would
// hold start-up in its open until some program wrote to it, and a device has no settings.
#include "wizard/reglages.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

EtatReglages LireDebutFichier(const std::string& chemin, char* octets, std::size_t taille, std::size_t& lus) {
    lus = 0;
    struct stat etat {};
    if (::stat(chemin.c_str(), &etat) != 0) {
        // Nothing there, or a link that leads nowhere: no file. A link loop stands there but
        // opens nothing. A folder that cannot be searched hides whether there is a file.
        if (errno == ENOENT || errno == ENOTDIR) return EtatReglages::Absent;
        struct stat lien {};
        return ::lstat(chemin.c_str(), &lien) == 0 ? EtatReglages::Illisible : EtatReglages::Absent;
    }
    if (!S_ISREG(etat.st_mode)) return EtatReglages::Illisible;

    // Without blocking, and checked again once open, in case the name changed hands meanwhile.
    const int fd = ::open(chemin.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return EtatReglages::Illisible;
    if (::fstat(fd, &etat) != 0 || !S_ISREG(etat.st_mode)) {
        ::close(fd);
        return EtatReglages::Illisible;
    }
    while (lus < taille) {
        const ssize_t n = ::read(fd, octets + lus, taille - lus);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // end of file; a read error counts as no more bytes
        lus += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return EtatReglages::Lu;
}
