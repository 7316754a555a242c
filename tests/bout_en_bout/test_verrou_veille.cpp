// The lock against sleep and shut-down through a whole update, on a system bus of the test's own
// where python-dbusmock plays logind.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QStringList>

#include "banc_reel.h"

namespace {

// The inhibitors logind holds now, each as "what|who|why|mode".
QStringList Inhibiteurs()
{
    const QDBusMessage reponse = QDBusConnection::systemBus().call(QDBusMessage::createMethodCall(
        "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "ListInhibitors"));
    QStringList liste;
    if (reponse.type() != QDBusMessage::ReplyMessage)
        return liste;
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

// One lock, taken once the device is connected, named and explained in the wizard's language,
// and closed by page 12. The program finds the bus through DBUS_SYSTEM_BUS_ADDRESS, as anywhere.
TEST(MiseAJourReelle, LOrdinateurNeSeMetPasEnVeilleDurantLaMiseAJour)
{
    const char* python = "/usr/bin/python3";  // Debian's, with python3-dbusmock
    FILE* demon = std::system("/usr/bin/python3 -c 'import dbusmock' 2>/dev/null") == 0
                      ? popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r")
                      : nullptr;
    char adresse[512] = {};
    long pidDemon = 0;
    const bool lance = demon && std::fgets(adresse, sizeof adresse, demon) && std::fscanf(demon, "%ld", &pidDemon) == 1;
    if (demon)
        pclose(demon);
    if (!lance)
        GTEST_SKIP() << "needs dbus-daemon and python3-dbusmock";
    setenv("DBUS_SYSTEM_BUS_ADDRESS", QByteArray(adresse).trimmed().constData(), 1);
    pid_t mock = 0;
    char* arguments[] = {const_cast<char*>(python), const_cast<char*>("-m"), const_cast<char*>("dbusmock"),
                         const_cast<char*>("--template"), const_cast<char*>("logind"), nullptr};
    posix_spawn_file_actions_t silence;  // the mock logs every call
    posix_spawn_file_actions_init(&silence);
    posix_spawn_file_actions_addopen(&silence, 1, "/dev/null", O_WRONLY, 0);
    const bool mockLance = posix_spawn(&mock, python, &silence, nullptr, arguments, environ) == 0;
    posix_spawn_file_actions_destroy(&silence);
    const auto arreter = [&](void*) {
        for (pid_t pid : {mock, pid_t(pidDemon)})
            if (pid > 0 && kill(pid, SIGTERM) == 0)
                waitpid(pid, nullptr, 0);  // the daemon is no child of ours: nothing to reap
    };
    const std::unique_ptr<void, decltype(arreter)> fin(&mock, arreter);
    ASSERT_TRUE(mockLance);

    BancReel b;
    ASSERT_TRUE(b.AttendreQue([] {
        return QDBusConnection::systemBus().interface()->isServiceRegistered("org.freedesktop.login1").value();
    }, 20000));
    ASSERT_TRUE(b.Brancher(Identite(3, 7, 0)));
    b.Lancer();
    int prises = 0, etapeALaPrise = 0, plusGrandNombre = 0;
    QStringList tenus, pris;
    ASSERT_TRUE(b.AttendreQue([&] {
        const QStringList liste = Inhibiteurs();
        if (!liste.isEmpty() && tenus.isEmpty()) {
            ++prises;
            pris = liste;
            etapeALaPrise = b.fenetre->Step;
        }
        plusGrandNombre = std::max(plusGrandNombre, int(liste.size()));
        tenus = liste;
        return b.fenetre->Step == 12;
    }, 120000)) << "stopped at step " << b.fenetre->Step;
    EXPECT_TRUE(Inhibiteurs().isEmpty()) << "the lock outlived the device's release";
    EXPECT_EQ(prises, 1);
    EXPECT_EQ(plusGrandNombre, 1);
    EXPECT_GE(etapeALaPrise, 7) << "taken before the connection";
    EXPECT_EQ(pris.join(""), U("sleep:shutdown:idle|Zantrel|Mise à jour du Zantrel en cours : l'ordinateur ne doit ni se "
                               "mettre en veille ni s'éteindre.|block"));
    EXPECT_EQ(b.appareil->BlocsEcrits(), 1146);
}

}  // namespace
