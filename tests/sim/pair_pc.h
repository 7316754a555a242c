// The PC's end of the line in the tests: a raw peer on the simulator's pty slave.
#pragma once

#include <string>
#include <vector>

class PairPc {
public:
    static constexpr int AUCUN = -1;  // nothing came in time
    static constexpr int FERME = -2;  // the line is gone

    PairPc() = default;
    ~PairPc();
    PairPc(const PairPc&) = delete;
    PairPc& operator=(const PairPc&) = delete;

    // Opens the slave raw, 8 data bits, at bauds; false on failure.
    bool Ouvrir(const std::string& chemin, int bauds);
    void Fermer();
    bool Regler(int bauds);
    bool Envoyer(const std::string& octets);
    bool Envoyer(unsigned char octet) { return Envoyer(std::string(1, static_cast<char>(octet))); }
    // One byte within delaiMs, or AUCUN / FERME.
    int Lire(int delaiMs = 1000);
    // A device's hex pair, acknowledging each character as the PC does; AUCUN when incomplete.
    int LireHex();

private:
    int fd_ = -1;
};

// A command byte followed by its parameters as upper-case hex pairs.
std::string Commande(unsigned char commande, const std::vector<unsigned>& parametres = {});
// A block frame: count, scrambled address, scrambled data bytes (the count is data.size()).
std::string TrameBlocOctets(unsigned adresse, const std::vector<unsigned char>& donnees);
std::string TrameBloc(unsigned adresse, const std::vector<unsigned>& mots);

// Sets a rate that may lack a Bxxx constant; kept apart from <termios.h>.
bool ReglerVitesseLibre(int fd, int bauds);
