// The wizard's window on a real serial line: a pseudo-terminal whose other end is the simulated
// device, found as COM33 through a port list holding the device's USB bridge.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QString>

#include "sim/simulateur.h"
#include "tests/commun/doublures.h"

struct QuestionVue {
    GenreQuestion genre;
    BoutonsQuestion boutons;
    QString texte;
    int etape;
    bool portOuvert;        // the PC's port, when the question came
    bool appareilConnecte;  // the device's side of the connection, then
};

struct BancReel : Assistant {
    std::unique_ptr<Simulateur> appareil;  // outlives the window, which releases it
    std::string cheminAppareil;
    std::vector<QuestionVue> questions;
    bool reponse = true;

    BancReel();
    ~BancReel();

    // Plugs a new simulated device in as COM33; false when its pseudo-terminal cannot be made.
    bool Brancher(IdentiteAppareil identite, FautesAppareil fautes = FautesAppareil());
    // From page 1 to the Connexion button of page 5, clicked.
    void Lancer() {
        AllerA(ETAPE_CHOIX_PORT);
        Suivant();
    }
    // Runs the event loop until the condition holds or the delay has passed.
    bool AttendreQue(const std::function<bool()>& condition, int delaiMs);
    bool AttendreEtape(int etape, int delaiMs);
    // Runs the event loop until the device waits for a command, then handles what is pending:
    // without the device the wizard has nothing more to do. False when it stayed busy.
    bool AttendreRepos();

    int DemandesConnexion() const;  // connection requests the device has received
    // The window manager's close request (close button, Alt+F4) on the shown window; true when
    // the window closed.
    bool DemanderFermeture();
};

IdentiteAppareil Identite(unsigned majeur, unsigned mineur, unsigned revision, unsigned langue = 0xFF);

// The HEX file's bytes by address: in program memory, and in the EEPROM by EEPROM address.
struct ImageAttendue {
    std::map<unsigned, std::uint8_t> programme;
    std::map<unsigned, std::uint8_t> eeprom;
};
ImageAttendue LireImageAttendue();
