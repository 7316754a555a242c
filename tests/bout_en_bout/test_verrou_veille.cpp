// The lock against sleep and shut-down through a whole update, on a system bus of the test's own
// where python-dbusmock plays logind.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include "banc_reel.h"

namespace {

constexpr int DELAI_MISE_A_JOUR_MS = 120000;
const char* const PYTHON_DEBIAN = "/usr/bin/python3";  // where Debian's python3-dbusmock is found

// A bus daemon and logind's mock, ended with the test.
class BusSysteme {
public:
    ~BusSysteme()
    {
        for (pid_t pid : {Mock, Demon}) {
            if (pid > 0) {
                kill(pid, SIGTERM);
                waitpid(pid, nullptr, 0);
            }
        }
    }

    // False when the machine lacks dbus-daemon or python3-dbusmock. The program finds the bus
    // through DBUS_SYSTEM_BUS_ADDRESS, as on any system.
    bool Demarrer()
    {
        const std::string essai = std::string(PYTHON_DEBIAN) + " -c 'import dbusmock' 2>/dev/null";
        if (std::system("command -v dbus-daemon >/dev/null") != 0 || std::system(essai.c_str()) != 0)
            return false;
        FILE* sortie = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
        if (!sortie)
            return false;
        char adresse[512] = {};
        long pid = 0;
        const bool lu = std::fgets(adresse, sizeof adresse, sortie) && std::fscanf(sortie, "%ld", &pid) == 1;
        pclose(sortie);
        if (!lu)
            return false;
        Demon = pid_t(pid);
        std::string texte(adresse);
        texte.erase(texte.find_last_not_of('\n') + 1);
        setenv("DBUS_SYSTEM_BUS_ADDRESS", texte.c_str(), 1);
        char* arguments[] = {const_cast<char*>(PYTHON_DEBIAN), const_cast<char*>("-m"), const_cast<char*>("dbusmock"),
                             const_cast<char*>("--template"), const_cast<char*>("logind"), nullptr};
        // The mock logs every call on its output: not into the test's.
        posix_spawn_file_actions_t silence;
        posix_spawn_file_actions_init(&silence);
        posix_spawn_file_actions_addopen(&silence, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&silence, 1, 2);
        const bool lance = posix_spawn(&Mock, PYTHON_DEBIAN, &silence, nullptr, arguments, environ) == 0;
        posix_spawn_file_actions_destroy(&silence);
        return lance;
    }

private:
    pid_t Demon = 0;
    pid_t Mock = 0;
};

struct Inhibiteur {
    QString quoi, qui, pourquoi, mode;
};

// The inhibitors logind holds now.
std::vector<Inhibiteur> Inhibiteurs()
{
    const QDBusMessage appel =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                                       QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("ListInhibitors"));
    const QDBusMessage reponse = QDBusConnection::systemBus().call(appel);
    std::vector<Inhibiteur> liste;
    if (reponse.type() != QDBusMessage::ReplyMessage)
        return liste;
    const QDBusArgument tableau = reponse.arguments().at(0).value<QDBusArgument>();
    tableau.beginArray();
    while (!tableau.atEnd()) {
        Inhibiteur i;
        uint uid = 0, pid = 0;
        tableau.beginStructure();
        tableau >> i.quoi >> i.qui >> i.pourquoi >> i.mode >> uid >> pid;
        tableau.endStructure();
        liste.push_back(i);
    }
    tableau.endArray();
    return liste;
}

// One lock, taken once the device is connected, with the program's name and its reason in the
// wizard's language, and closed by page 12.
TEST(MiseAJourReelle, LOrdinateurNeSeMetPasEnVeilleDurantLaMiseAJour)
{
    BusSysteme bus;
    if (!bus.Demarrer())
        GTEST_SKIP() << "needs dbus-daemon and python3-dbusmock";
    BancReel b;
    ASSERT_TRUE(b.AttendreQue([] {
        return QDBusConnection::systemBus().interface()->isServiceRegistered(QStringLiteral("org.freedesktop.login1")).value();
    }, 20000)) << "logind's mock did not come";
    ASSERT_TRUE(b.Brancher(Identite(3, 7, 0)));
    b.Lancer();

    int prises = 0;
    std::size_t plusGrandNombre = 0;
    bool tenu = false;
    int etapeALaPrise = 0;
    Inhibiteur pris;
    ASSERT_TRUE(b.AttendreQue([&] {
        const std::vector<Inhibiteur> liste = Inhibiteurs();
        plusGrandNombre = std::max(plusGrandNombre, liste.size());
        if (!liste.empty() && !tenu) {
            ++prises;
            pris = liste.front();
            etapeALaPrise = b.fenetre->Step;
        }
        tenu = !liste.empty();
        return b.fenetre->Step == 12;
    }, DELAI_MISE_A_JOUR_MS)) << "stopped at step " << b.fenetre->Step;
    EXPECT_TRUE(Inhibiteurs().empty()) << "the lock outlived the device's release";
    EXPECT_EQ(prises, 1);
    EXPECT_EQ(plusGrandNombre, 1u);
    EXPECT_GE(etapeALaPrise, 7) << "taken before the connection";
    EXPECT_EQ(pris.quoi, QStringLiteral("sleep:shutdown:idle"));
    EXPECT_EQ(pris.qui, QStringLiteral("Zantrel"));
    EXPECT_EQ(pris.pourquoi, U("Mise à jour du Zantrel en cours : l'ordinateur ne doit ni se mettre en veille ni s'éteindre."));
    EXPECT_EQ(pris.mode, QStringLiteral("block"));
    EXPECT_EQ(b.appareil->BlocsEcrits(), 1146);
    EXPECT_TRUE(b.questions.empty());
}

}  // namespace
