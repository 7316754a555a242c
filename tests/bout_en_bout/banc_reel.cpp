#include "banc_reel.h"

#include <fstream>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include "link/ligne_serie.h"
#include "link/protocole.h"
#include "wizard/parcours_image.h"

namespace {

constexpr int COM_APPAREIL = 33;

class PortsAvecPont : public SourcePorts {
public:
    LecturePorts Lire(std::vector<ValeurPort>& valeurs) override
    {
        valeurs = {{"\\Device\\Silabser0", TYPE_TEXTE, "COM33"}};
        return LecturePorts::Lue;
    }
};

int Hex(const std::string& ligne, std::size_t position)
{
    return std::stoi(ligne.substr(position, 2), nullptr, 16);
}

}  // namespace

BancReel::BancReel()
{
    ServicesFormMj services;
    services.ligne = CreerLigneSerie([this](int numero) {
        return numero == COM_APPAREIL ? cheminAppareil : std::string();
    });
    services.question = [this](QWidget*, GenreQuestion genre, BoutonsQuestion boutons, const QString& texte) {
        questions.push_back({genre, boutons, texte, fenetre->Step, fenetre->Lien().PortOuvert(),
                             appareil && appareil->Connecte()});
        return reponse;
    };
    fenetre = std::make_unique<TFormMj>(std::move(services));
    recherche = std::make_unique<TConfPort>(std::make_unique<PortsAvecPont>());
    fenetre->AssocierPorts(recherche.get());
}

BancReel::~BancReel()
{
    fenetre->AssocierPorts(nullptr);
    fenetre.reset();
}

bool BancReel::Brancher(IdentiteAppareil identite, FautesAppareil fautes)
{
    OptionsSimulateur options;
    options.identite = std::move(identite);
    options.fautes = fautes;
    options.rapide = true;
    appareil = std::make_unique<Simulateur>(std::move(options));
    if (!appareil->Demarrer())
        return false;
    cheminAppareil = appareil->CheminEsclave();
    return true;
}

void BancReel::Lancer()
{
    while (fenetre->Step < 5)
        fenetre->NextStep();
    Cliquer("ButtonSuivant");
}

bool BancReel::AttendreQue(const std::function<bool()>& condition, int delaiMs)
{
    QTimer echeance;
    echeance.setSingleShot(true);
    echeance.start(delaiMs);
    while (!condition()) {
        if (!echeance.isActive())
            return false;
        QEventLoop boucle;
        QTimer::singleShot(20, &boucle, &QEventLoop::quit);
        boucle.exec();
    }
    return true;
}

bool BancReel::AttendreEtape(int etape, int delaiMs)
{
    return AttendreQue([&] { return fenetre->Step == etape; }, delaiMs);
}

bool BancReel::AttendreRepos()
{
    const bool repos = AttendreQue([&] { return appareil->AuRepos(); }, 5000);
    QCoreApplication::processEvents();
    return repos;
}

int BancReel::DemandesConnexion() const
{
    int demandes = 0;
    for (const OctetTrace& o : appareil->Trace())
        demandes += o.versAppareil && o.octet == protocole::CMD_CONNEXION;
    return demandes;
}

void BancReel::Cliquer(const char* bouton)
{
    fenetre->findChild<QPushButton*>(QString::fromLatin1(bouton))->click();
}

bool BancReel::DemanderFermeture()
{
    fenetre->show();
    QCloseEvent fermeture;
    QCoreApplication::sendEvent(fenetre->windowHandle(), &fermeture);
    return !fenetre->isVisible();
}

IdentiteAppareil Identite(unsigned majeur, unsigned mineur, unsigned revision, unsigned langue)
{
    IdentiteAppareil identite;
    identite.majeur = majeur;
    identite.mineur = mineur;
    identite.revision = revision;
    identite.langue = langue;
    return identite;
}

ImageAttendue LireImageAttendue()
{
    ImageAttendue image;
    std::ifstream fichier(FICHIER_HEX_FIRMWARE);
    unsigned base = 0;
    std::string ligne;
    while (std::getline(fichier, ligne)) {
        if (ligne.size() < 11 || ligne[0] != ':')
            continue;
        const int longueur = Hex(ligne, 1);
        const unsigned adresse = unsigned(Hex(ligne, 3) * 256 + Hex(ligne, 5));
        const int type = Hex(ligne, 7);
        if (type == 4)
            base = unsigned(Hex(ligne, 9) * 256 + Hex(ligne, 11)) << 16;
        for (int i = 0; type == 0 && i < longueur; ++i) {
            const unsigned a = base + adresse + unsigned(i);
            const auto octet = std::uint8_t(Hex(ligne, 9 + 2 * std::size_t(i)));
            if (a >= BASE_EEPROM_IMAGE)
                image.eeprom[a - BASE_EEPROM_IMAGE] = octet;
            else
                image.programme[a] = octet;
        }
    }
    return image;
}
