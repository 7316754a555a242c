// The Zantrel update wizard. It takes no command-line options: not even the toolkit's own.
#include <QApplication>

#include "wizard/demarrage.h"

int main(int, char** argv) {
    int nombreArguments = 1;
    QApplication application(nombreArguments, argv);
#ifdef ID_BUREAU
    QGuiApplication::setDesktopFileName(QStringLiteral(ID_BUREAU));
#endif
    return Demarrer();
}
