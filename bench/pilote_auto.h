// Drives the wizard as a user would, for the demo and the benchmark: clicks through the pages,
// answers the questions, and tells each page, question and page 5's bridge line as it comes.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include "link/ligne_serie.h"
#include "ports/source_ports.h"
#include "tests/commun/ports_factices.h"
#include "wizard/TFormMj.h"
#include "wizard/demarrage.h"

// The PC's port list with one port: the device's bridge, as COM33.
std::unique_ptr<SourcePorts> PortsAvecPont();

// The serial line with COM33 pointing at a device file (a pseudo-terminal or a real port).
std::unique_ptr<LigneSerie> LigneVers(const std::string& cheminAppareil);

class PiloteAuto : public QObject {
public:
    struct Options {
        bool automatique = true;   // click Next and answer questions without a person
        bool repondreOui = false;  // the answer to every question; with No, a connection failure ends the run
        int pauseMs = 0;           // how long each page stays before Next is clicked
        // One line per page and question, and one each time page 5's explanation of the bridge changes.
        std::function<void(const QString& ligne)> journal;
        QString capturesPont;  // a folder where each new explanation is saved as a picture of the window
    };

    explicit PiloteAuto(Options options);

    // The question box the wizard is given: tells the question, then answers it (or, without
    // automatique, hands it to the toolkit's box).
    PoseQuestion Question();
    // Starts watching for the wizard's window; call before the message loop runs.
    void Surveiller();

    // True once page 12 has been shown and answered No.
    bool FinAtteinte() const { return Fin; }
    // Milliseconds since Surveiller() at which each step's page was last shown.
    const std::map<int, qint64>& InstantsPages() const { return Instants; }
    // Called with the step number each time a page is shown.
    std::function<void(int etape)> surPage;

private:
    void Sonder();

    Options Opt;
    QTimer Sondage;
    QElapsedTimer Horloge;
    QPointer<TFormMj> Fenetre;
    int DerniereEtape = 0;
    QString ExplicationPont;  // page 5's line about the bridge, as last told
    int CapturesFaites = 0;
    qint64 DepuisPage = 0;
    bool Fin = false;
    bool Abandon = false;  // answering No: the wizard is left with Exit once back on page 5
    std::map<int, qint64> Instants;
};

// The demo's run: the wizard started with these services, its questions answered by the pilot and
// its errors printed, until it ends or delaiMaximumMs has passed. True once page 12 was answered No.
bool PiloterDemo(PiloteAuto& pilote, ServicesDemarrage services, int delaiMaximumMs);
