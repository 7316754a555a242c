// The demo on Windows: the real wizard on the PC's own serial-port list (the registry) and its COM
// ports, clicked through in-process as the Linux demo does. make check-windows-gui runs it under
// Wine against the simulated device, whose port the wizard's port finder has to choose by itself.
//
// usage: zantrel_demo [--answer yes|no] [--pause MS]
//   --answer    the answer to the wizard's questions (default no); page 12 is always answered No
//   --pause     how long each page stays before Next is clicked, in ms (default 300)
// The language is the settings file's, as for the wizard. Prints one line per page shown and per
// question; exits 0 once page 12 is reached and answered No, 1 when the wizard ended before or did
// not end in time.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QApplication>

#include "bench/pilote_auto.h"

namespace {

constexpr int DELAI_MAXIMUM_MS = 10 * 60 * 1000;  // a demo that hangs must still end

}  // namespace

int main(int argc, char** argv) {
    PiloteAuto::Options options;
    options.pauseMs = 300;
    for (int i = 1; i < argc; ++i) {
        const bool suite = i + 1 < argc;
        if (!std::strcmp(argv[i], "--answer") && suite &&
            (!std::strcmp(argv[i + 1], "yes") || !std::strcmp(argv[i + 1], "no"))) {
            options.repondreOui = !std::strcmp(argv[++i], "yes");
        } else if (!std::strcmp(argv[i], "--pause") && suite) {
            options.pauseMs = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: zantrel_demo [--answer yes|no] [--pause MS]\n");
            return 2;
        }
    }
    options.journal = [](const QString& ligne) {
        std::printf("%s\n", ligne.toUtf8().constData());
        std::fflush(stdout);
    };

    int nombreArguments = 1;
    QApplication application(nombreArguments, argv);
    PiloteAuto pilote(options);
    return PiloterDemo(pilote, ServicesDemarrage(), DELAI_MAXIMUM_MS) ? 0 : 1;
}
