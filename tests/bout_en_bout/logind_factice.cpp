#include "logind_factice.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

LogindFactice::LogindFactice() {
    const char* python = "/usr/bin/python3";  // Debian's, with python3-dbusmock
    if (std::system("/usr/bin/python3 -c 'import dbusmock' 2>/dev/null") != 0) return;
    FILE* sortie = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r");
    if (!sortie) return;
    char adresse[512] = {};
    long pid = 0;
    const bool lance = std::fgets(adresse, sizeof adresse, sortie) && std::fscanf(sortie, "%ld", &pid) == 1;
    pclose(sortie);
    if (!lance) return;
    demon_ = pid_t(pid);
    setenv("DBUS_SYSTEM_BUS_ADDRESS", QByteArray(adresse).trimmed().constData(), 1);
    char* arguments[] = {const_cast<char*>(python),       const_cast<char*>("-m"),     const_cast<char*>("dbusmock"),
                         const_cast<char*>("--template"), const_cast<char*>("logind"), nullptr};
    posix_spawn_file_actions_t silence;  // the mock logs every call
    posix_spawn_file_actions_init(&silence);
    posix_spawn_file_actions_addopen(&silence, 1, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&mock_, python, &silence, nullptr, arguments, environ) != 0) mock_ = 0;
    posix_spawn_file_actions_destroy(&silence);
}

LogindFactice::~LogindFactice() {
    if (mock_ > 0 && kill(mock_, SIGTERM) == 0) waitpid(mock_, nullptr, 0);
    if (demon_ > 0) kill(demon_, SIGTERM);  // forked away: no child of ours to reap
}

bool LogindFactice::Pret() const {
    return QDBusConnection::systemBus().interface()->isServiceRegistered("org.freedesktop.login1").value();
}

QStringList LogindFactice::Inhibiteurs() {
    const QDBusMessage reponse = QDBusConnection::systemBus().call(QDBusMessage::createMethodCall(
        "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "ListInhibitors"));
    QStringList liste;
    if (reponse.type() != QDBusMessage::ReplyMessage) return liste;
    const QDBusArgument tableau = reponse.arguments().at(0).value<QDBusArgument>();
    tableau.beginArray();
    while (!tableau.atEnd()) {
        QString quoi, qui, pourquoi, mode;
        uint uid = 0, pid = 0;
        tableau.beginStructure();
        tableau >> quoi >> qui >> pourquoi >> mode >> uid >> pid;
        tableau.endStructure();
        liste << QStringList{quoi, qui, pourquoi, mode}.join('|');
    }
    tableau.endArray();
    return liste;
}
