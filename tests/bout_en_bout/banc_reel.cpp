#include "banc_reel.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWindow>

#include "link/ligne_serie.h"
#include "link/protocole.h"
#include "wizard/lecture_hex.h"
#include "wizard/parcours_image.h"

// The real line, the system's lock against sleep and the rules' own places.
BancReel::BancReel()
    : Assistant(
          {CreerLigneSerie([this](int numero) { return numero == COM_APPAREIL ? cheminAppareil : std::string(); }),
           [this](QWidget*, GenreQuestion genre, BoutonsQuestion boutons, const QString& texte, const QString&) {
               questions.push_back({genre, boutons, texte, fenetre->Step, fenetre->Lien().PortOuvert(),
                                    appareil && appareil->Connecte()});
               return reponse;
           },
           false,
           {}}) {
    ports->Ports({PontAppareil()});
}

BancReel::~BancReel() {
    fenetre->AssocierPorts(nullptr);
    fenetre.reset();
}

bool BancReel::Brancher(IdentiteAppareil identite, FautesAppareil fautes) {
    OptionsSimulateur options;
    options.identite = std::move(identite);
    options.fautes = fautes;
    options.rapide = true;
    appareil = std::make_unique<Simulateur>(std::move(options));
    if (!appareil->Demarrer()) return false;
    cheminAppareil = appareil->CheminEsclave();
    return true;
}

bool BancReel::AttendreQue(const std::function<bool()>& condition, int delaiMs) {
    QTimer echeance;
    echeance.setSingleShot(true);
    echeance.start(delaiMs);
    while (!condition()) {
        if (!echeance.isActive()) return false;
        QEventLoop boucle;
        QTimer::singleShot(20, &boucle, &QEventLoop::quit);
        boucle.exec();
    }
    return true;
}

bool BancReel::AttendreEtape(int etape, int delaiMs) {
    return AttendreQue([&] { return fenetre->Step == etape; }, delaiMs);
}

bool BancReel::AttendreRepos() {
    const bool repos = AttendreQue([&] { return appareil->AuRepos(); }, 5000);
    QCoreApplication::processEvents();
    return repos;
}

int BancReel::DemandesConnexion() const {
    int demandes = 0;
    for (const OctetTrace& o : appareil->Trace())
        demandes += o.versAppareil && o.octet == protocole::CMD_CONNEXION;
    return demandes;
}

bool BancReel::DemanderFermeture() {
    fenetre->show();
    QCloseEvent fermeture;
    QCoreApplication::sendEvent(fenetre->windowHandle(), &fermeture);
    return !fenetre->isVisible();
}

IdentiteAppareil Identite(unsigned majeur, unsigned mineur, unsigned revision, unsigned langue) {
    IdentiteAppareil identite;
    identite.majeur = majeur;
    identite.mineur = mineur;
    identite.revision = revision;
    identite.langue = langue;
    return identite;
}

ImageAttendue LireImageAttendue() {
    ImageAttendue image;
    std::map<std::uint64_t, std::uint8_t> octets;
    ErreurHex erreur;
    EXPECT_TRUE(OctetsFichierIntelHex(FICHIER_HEX_FIRMWARE, octets, erreur)) << erreur.Ligne << ": " << erreur.Motif;
    for (const auto& [adresse, octet] : octets) {
        if (adresse >= BASE_EEPROM_IMAGE)
            image.eeprom[unsigned(adresse - BASE_EEPROM_IMAGE)] = octet;
        else
            image.programme[unsigned(adresse)] = octet;
    }
    return image;
}
