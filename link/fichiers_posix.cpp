#include "link/fichiers_posix.h"

#include <climits>

#include <unistd.h>

std::string CibleLien(const std::string& lien)
{
    char tampon[PATH_MAX];
    const ssize_t n = ::readlink(lien.c_str(), tampon, sizeof tampon);
    return n > 0 ? std::string(tampon, static_cast<std::size_t>(n)) : std::string();
}
