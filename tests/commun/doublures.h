// Stand-ins for the serial line, the PC's port list and the lock against sleep, and a wizard
// window built on them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "link/ligne_serie.h"
#include "ports/TConfigurationPort.h"
#include "tests/commun/ports_factices.h"
#include "tests/commun/version_attendue.h"
#include "wizard/TFormMj.h"

// A line on which every call succeeds and no byte ever comes; it counts opens and closes.
struct EtatLigne {
    int ouvertures = 0;
    int fermetures = 0;
    std::uint64_t horloge = 0;
};

class LigneMuette : public LigneSerie {
public:
    explicit LigneMuette(std::shared_ptr<EtatLigne> etat) : Etat(std::move(etat)) {}
    PoigneeSerie Ouvrir(int) override {
        ++Etat->ouvertures;
        return 7;
    }
    bool LireReglages(PoigneeSerie, ReglagesSerie&) override { return true; }
    bool AppliquerReglages(PoigneeSerie, const ReglagesSerie&) override { return true; }
    bool LireDelais(PoigneeSerie, DelaisSerie&) override { return true; }
    bool AppliquerDelais(PoigneeSerie, const DelaisSerie&) override { return true; }
    bool Purger(PoigneeSerie) override { return true; }
    bool Lire(PoigneeSerie, unsigned char*, std::size_t* lus) override {
        Etat->horloge += 100;
        *lus = 0;
        return true;
    }
    bool Ecrire(PoigneeSerie, const void*, std::size_t) override { return true; }
    bool Fermer(PoigneeSerie) override {
        ++Etat->fermetures;
        return true;
    }
    int DerniereErreur() const override { return 0; }
    void Dormir(int ms) override { Etat->horloge += static_cast<std::uint64_t>(ms); }
    std::uint64_t Tic() const override { return ++Etat->horloge; }

private:
    std::shared_ptr<EtatLigne> Etat;
};

// The lock against sleep and shut-down: whether it is held, and how often it was taken.
struct EtatVerrou {
    bool tenu = false;
    int prises = 0;
    std::string qui;
    std::string pourquoi;
};

class VerrouFactice : public VerrouVeille {
public:
    explicit VerrouFactice(std::shared_ptr<EtatVerrou> etat) : Etat(std::move(etat)) {}
    void Prendre(const std::string& qui, const std::string& pourquoi) override {
        if (!Etat->tenu) *Etat = {true, Etat->prises + 1, qui, pourquoi};
    }
    void Relacher() override { Etat->tenu = false; }
    bool Tenu() const override { return Etat->tenu; }
    bool RefuserFinDeSession(void*) override { return Etat->tenu; }

private:
    std::shared_ptr<EtatVerrou> Etat;
};

// Where the package's device rule would be: nowhere, unless a test puts it there.
inline const std::string REGLE_ABSENTE = "/nulle-part/70-zantrel.rules";

// What the harnesses change in the window's services; the rest are the stand-ins above.
struct OptionsAssistant {
    std::unique_ptr<LigneSerie> ligne;  // else a line on which no byte ever comes
    PoseQuestion question = [](QWidget*, GenreQuestion, BoutonsQuestion, const QString&, const QString&) {
        return false;  // No
    };
    bool verrouFactice = true;  // else the system's lock against sleep
    std::vector<std::string> regles = {REGLE_ABSENTE};
};

// The window, its port finder and the stand-ins, with its controls found by name.
struct Assistant {
    std::shared_ptr<EtatLigne> ligne = std::make_shared<EtatLigne>();
    std::shared_ptr<EtatPorts> ports = std::make_shared<EtatPorts>();
    std::shared_ptr<EtatVerrou> verrou = std::make_shared<EtatVerrou>();
    std::vector<std::string> urls;
    std::unique_ptr<TFormMj> fenetre;
    std::unique_ptr<TConfPort> recherche;

    explicit Assistant(OptionsAssistant options = {}) {
        ServicesFormMj services;
        services.ligne = options.ligne ? std::move(options.ligne) : std::make_unique<LigneMuette>(ligne);
        services.ouvreur = [this](const std::string& url) {
            urls.push_back(url);
            return true;
        };
        if (options.verrouFactice) services.verrou = std::make_unique<VerrouFactice>(verrou);
        services.reglesPeripherique = std::move(options.regles);
        services.question = std::move(options.question);
        fenetre = std::make_unique<TFormMj>(std::move(services));
        recherche = std::make_unique<TConfPort>(std::make_unique<PortsFactices>(ports));
        fenetre->AssocierPorts(recherche.get());
    }
    ~Assistant() {
        if (fenetre) fenetre->AssocierPorts(nullptr);
        fenetre.reset();
    }

    template <typename T>
    T* Controle(const char* nom) const {
        return fenetre->findChild<T*>(QString::fromLatin1(nom));
    }
    QLabel* Label(const char* nom) const { return Controle<QLabel>(nom); }
    QPushButton* Bouton(const char* nom) const { return Controle<QPushButton>(nom); }
    QComboBox* Liste() const { return Controle<QComboBox>("ComboBoxLangueSel"); }
    QProgressBar* Barre() const { return Controle<QProgressBar>("ProgressBarProgrammation"); }
    QTimer* Timer() const { return Controle<QTimer>("TimerGestionSerie"); }
    QString Compteur() const { return Controle<QLineEdit>("EditEtape")->text(); }
    QString Titre() const { return Label("LabelTitreEtape")->text(); }
    QString Ligne(int n) const { return Label(("LabelLigne" + std::to_string(n)).c_str())->text(); }
    bool LigneVisible(int n) const { return !Label(("LabelLigne" + std::to_string(n)).c_str())->isHidden(); }

    void Suivant() { Bouton("ButtonSuivant")->click(); }
    void Precedent() { Bouton("ButtonPrecedant")->click(); }
    // Moves on with Next until the wizard stands on page etape.
    void AllerA(int etape) {
        while (fenetre->Step < etape)
            fenetre->NextStep();
    }
    // Page 5, then Connexion: the sequencer has the wizard from here.
    void Lancer() {
        AllerA(ETAPE_CHOIX_PORT);
        fenetre->ButtonSuivantClick();
    }
};

inline QString U(const char* texte) { return QString::fromUtf8(texte); }

// The window caption, with the update's version.
inline QString Legende(int langue) {
    const std::string v = TexteVersion();
    return U((langue == 0 ? "Mise à jour V" + v + " de votre Zantrel" : "Update V" + v + " of Zantrel").c_str());
}
