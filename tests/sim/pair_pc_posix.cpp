#include "tests/sim/pair_pc.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "link/protocole.h"

PairPc::~PairPc() { Fermer(); }

bool PairPc::Ouvrir(const std::string& chemin, int bauds) {
    Fermer();
    fd_ = open(chemin.c_str(), O_RDWR | O_NOCTTY);
    if (fd_ < 0) return false;
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return false;
    cfmakeraw(&t);
    if (tcsetattr(fd_, TCSANOW, &t) != 0) return false;
    return Regler(bauds);
}

void PairPc::Fermer() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

// The usual rates the classic way, the others as a PC using BOTHER sets them.
bool PairPc::Regler(int bauds) {
    if (fd_ < 0) return false;
    speed_t code = 0;
    switch (bauds) {
    case 9600: code = B9600; break;
    case 19200: code = B19200; break;
    case 57600: code = B57600; break;
    case 115200: code = B115200; break;
    default: return ReglerVitesseLibre(fd_, bauds);
    }
    termios t{};
    return tcgetattr(fd_, &t) == 0 && cfsetspeed(&t, code) == 0 && tcsetattr(fd_, TCSANOW, &t) == 0;
}

bool PairPc::Envoyer(const std::string& octets) {
    return fd_ >= 0 && write(fd_, octets.data(), octets.size()) == static_cast<ssize_t>(octets.size());
}

int PairPc::Lire(int delaiMs) {
    if (fd_ < 0) return FERME;
    pollfd p{fd_, POLLIN, 0};
    const int n = poll(&p, 1, delaiMs);
    if (n == 0) return AUCUN;
    if (n < 0) return FERME;
    unsigned char octet = 0;
    const ssize_t lus = read(fd_, &octet, 1);
    if (lus == 1) return octet;
    return lus < 0 && errno == EAGAIN ? AUCUN : FERME;
}

int PairPc::LireHex() {
    int car[2];
    for (int& c : car) {
        c = Lire();
        if (c < 0) return AUCUN;
        Envoyer(protocole::ACQUIT);
    }
    auto valeur = [](int c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
    return valeur(car[0]) * 16 + valeur(car[1]);
}

std::string Commande(unsigned char commande, const std::vector<unsigned>& parametres) {
    std::string texte(1, static_cast<char>(commande));
    for (unsigned p : parametres) {
        char paire[3];
        std::snprintf(paire, sizeof paire, "%02X", p & 0xFF);
        texte += paire;
    }
    return texte;
}

std::string TrameBlocOctets(unsigned adresse, const std::vector<unsigned char>& donnees) {
    std::vector<unsigned> parametres{static_cast<unsigned>(donnees.size())};
    for (unsigned i = 0; i < 4; ++i)
        parametres.push_back(((adresse >> (8 * i)) & 0xFF) ^ (i % 2 ? protocole::CLE_K1 : protocole::CLE_K0));
    for (std::size_t i = 0; i < donnees.size(); ++i)
        parametres.push_back(donnees[i] ^ (i % 2 ? protocole::CLE_K1 : protocole::CLE_K0));
    return Commande(protocole::CMD_ECRIRE_BLOC, parametres);
}

std::string TrameBloc(unsigned adresse, const std::vector<unsigned>& mots) {
    std::vector<unsigned char> donnees;
    for (unsigned m : mots) {
        donnees.push_back(static_cast<unsigned char>(m & 0xFF));
        donnees.push_back(static_cast<unsigned char>(m >> 8));
    }
    return TrameBlocOctets(adresse, donnees);
}
