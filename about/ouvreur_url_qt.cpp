#include "about/ouvreur_url.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

bool OuvrirUrlBureau(const std::string& url) {
    QString texte = QString::fromStdString(url).trimmed();
    // The mail link reads "mailto: address"; a URL allows no blank after its scheme.
    const QString mailto = QStringLiteral("mailto:");
    if (texte.startsWith(mailto, Qt::CaseInsensitive)) texte = mailto + texte.mid(mailto.size()).trimmed();
    // A bare "www." address is taken as a web page, as the shell does.
    const QUrl adresse = QUrl::fromUserInput(texte);
    return adresse.isValid() && QDesktopServices::openUrl(adresse);
}
