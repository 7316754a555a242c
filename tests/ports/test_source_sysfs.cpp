// The port list read from fake sysfs trees built with real folders and symlinks.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ports/TConfigurationPort.h"
#include "ports/source_sysfs_posix.h"

namespace {

void Dossier(const std::string& chemin) {
    for (size_t i = 1; i <= chemin.size(); ++i)
        if (i == chemin.size() || chemin[i] == '/') mkdir(chemin.substr(0, i).c_str(), 0755);
}

void Lien(const std::string& cible, const std::string& lien) {
    ASSERT_EQ(symlink(cible.c_str(), lien.c_str()), 0) << lien;
}

void Fichier(const std::string& chemin, const std::string& contenu) { std::ofstream(chemin) << contenu; }

// A temporary root holding sys/devices, sys/bus, sys/class/tty and dev.
class ArbreSysfs : public ::testing::Test {
protected:
    void SetUp() override {
        std::setlocale(LC_COLLATE, "C");
        char modele[] = "/tmp/zantrel-sysfs-XXXXXX";
        ASSERT_NE(mkdtemp(modele), nullptr);
        racine = modele;
        classe = racine + "/sys/class/tty";
        dev = racine + "/dev";
        Dossier(classe);
        Dossier(dev);
    }

    void TearDown() override { EXPECT_EQ(std::system(("rm -rf '" + racine + "'").c_str()), 0); }

    std::string Pilote(const std::string& bus, const std::string& nom) {
        const std::string chemin = racine + "/sys/bus/" + bus + "/drivers/" + nom;
        Dossier(chemin);
        return chemin;
    }

    // The class entry is a link to the tty's own folder, whose device link leads to the hardware.
    void Tty(const std::string& nom, const std::string& appareil, bool noeudDev = true) {
        const std::string dossierTty = appareil + "/tty/" + nom;
        Dossier(dossierTty);
        Lien(appareil, dossierTty + "/device");
        Lien(dossierTty, classe + "/" + nom);
        if (noeudDev) Fichier(dev + "/" + nom, "");
    }

    // A cp210x bridge: the usb-serial port device carries the driver.
    void PontUsb(const std::string& nom, bool noeudDev = true) {
        const std::string port = racine + "/sys/devices/usb1/1-2/1-2:1.0/" + nom;
        Dossier(port);
        Lien(Pilote("usb-serial", "cp210x"), port + "/driver");
        Tty(nom, port, noeudDev);
    }

    void Acm(const std::string& nom, const std::string& interface) {
        const std::string chemin = racine + "/sys/devices/usb1/" + interface;
        Dossier(chemin);
        Lien(Pilote("usb", "cdc_acm"), chemin + "/driver");
        Tty(nom, chemin);
    }

    void Uart(const std::string& nom, const std::string& type) {
        const std::string port = racine + "/sys/devices/pnp0/00:00/" + nom;
        Dossier(port);
        Lien(Pilote("serial-base", "port"), port + "/driver");
        Tty(nom, port);
        Fichier(classe + "/" + nom + "/type", type + "\n");
    }

    // A USB device 1-2 (bus 1, device 7) with one interface, bound to pilote unless it is empty;
    // PontUsb then puts a port on that interface.
    void SurLeBus(const std::string& ids, const std::string& pilote) {
        const std::string appareil = racine + "/sys/devices/usb1/1-2";
        const std::string interface = appareil + "/1-2:1.0";
        const std::string bus = racine + "/sys/bus/usb/devices";
        Dossier(interface);
        Dossier(bus);
        Fichier(appareil + "/idVendor", ids.substr(0, 4) + "\n");
        Fichier(appareil + "/idProduct", ids.substr(5) + "\n");
        Fichier(appareil + "/busnum", "1\n");
        Fichier(appareil + "/devnum", "7\n");
        if (!pilote.empty()) Lien(Pilote("usb", pilote), interface + "/driver");
        Lien(appareil, bus + "/1-2");
        Lien(interface, bus + "/1-2:1.0");
    }

    ConstatPont Pont() { return SourceSysfs(classe, dev, racine + "/sys/bus/usb/devices").ExaminerPont(); }

    // A program that keeps the file open, as one holding a USB device through usbfs does.
    static pid_t Tenir(const std::string& fichier, const std::string& programme = "sleep") {
        Dossier(fichier.substr(0, fichier.rfind('/')));
        Fichier(fichier, "");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 3, fichier.c_str(), O_RDONLY, 0);
        std::string nom = programme;
        char duree[] = "30";
        char* arguments[] = {nom.data(), duree, nullptr};
        pid_t pid = 0;
        EXPECT_EQ(posix_spawnp(&pid, programme.c_str(), &actions, nullptr, arguments, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    std::vector<ValeurPort> Lire(LecturePorts attendu = LecturePorts::Lue) {
        SourceSysfs source(classe, dev);
        std::vector<ValeurPort> valeurs{{"reste", TYPE_TEXTE, "COM99"}};
        alarm(10);  // a reader that blocks ends the test program
        EXPECT_EQ(source.Lire(valeurs), attendu);
        alarm(0);
        return valeurs;
    }

    std::string racine, classe, dev;
};

std::string Texte(const std::vector<ValeurPort>& valeurs) {
    std::string t;
    for (const ValeurPort& v : valeurs)
        t += v.nom + "=" + v.donnees + (v.type == TYPE_TEXTE ? "" : "?") + ";";
    return t;
}

}  // namespace

TEST_F(ArbreSysfs, HardwarePortsBecomeRegistryLikeValues) {
    PontUsb("ttyUSB0");
    Acm("ttyACM0", "1-3/1-3:1.0");
    Uart("ttyS0", "4");
    Uart("ttyS2", "0");
    const std::string fifo = classe + "/ttyS2/type";  // a FIFO, as only a test root holds: not
    ASSERT_TRUE(unlink(fifo.c_str()) == 0 && mkfifo(fifo.c_str(), 0600) == 0);  // read, kept
    EXPECT_EQ(Texte(Lire()), "\\Device\\USBSER0=COM65;\\Device\\Serial0=COM1;\\Device\\Serial2=COM3;"
                             "\\Device\\Silabser0=COM33;");
}

TEST_F(ArbreSysfs, PortsThatCannotBeUsedAreLeftOut) {
    Uart("ttyS0", "4");
    Uart("ttyS1", "0");         // an 8250 slot with no UART
    PontUsb("ttyUSB1", false);  // no device node
    Dossier(classe + "/tty0");  // virtual console: no device
    Dossier(classe + "/ptmx");
    Lien(racine + "/nulle-part", classe + "/ttyUSB7");  // dangling entry
    const std::string amba = racine + "/sys/devices/amba/uart0";
    Dossier(amba);
    Tty("ttyAMA0", amba);  // no COM number
    EXPECT_EQ(Texte(Lire()), "\\Device\\Serial0=COM1;");
}

TEST_F(ArbreSysfs, DriverFoundOnTheParentOfAnInterface) {
    const std::string fonction = racine + "/sys/devices/usb1/1-4";
    Dossier(fonction + "/1-4:1.0");
    Lien(Pilote("usb", "cdc_acm"), fonction + "/driver");
    Tty("ttyACM3", fonction + "/1-4:1.0");
    EXPECT_EQ(Texte(Lire()), "\\Device\\USBSER3=COM68;");
}

TEST_F(ArbreSysfs, MissingOrUnreadableClassFolder) {
    ASSERT_EQ(std::system(("rm -rf '" + racine + "/sys'").c_str()), 0);
    EXPECT_TRUE(Lire(LecturePorts::CleAbsente).empty());

    // A file where the folder should be: present but unreadable (whatever our privileges).
    Dossier(racine + "/sys/class");
    Fichier(classe, "");
    EXPECT_TRUE(Lire(LecturePorts::DescriptionIllisible).empty());

    TConfPort ports(std::make_unique<SourceSysfs>(classe, dev));
    EXPECT_FALSE(ports.RecherchePorts());
    EXPECT_EQ(ports.PortChoisi(), 0);
}

TEST_F(ArbreSysfs, FinderFollowsTheBridgeInAndOut) {
    Uart("ttyS0", "4");
    Acm("ttyACM0", "1-3/1-3:1.0");
    TConfPort ports(std::make_unique<SourceSysfs>(classe, dev));
    EXPECT_TRUE(ports.PortAChange());
    EXPECT_EQ(ports.PortChoisi(), 1);
    EXPECT_FALSE(ports.EstPortAppareil());

    PontUsb("ttyUSB0");
    EXPECT_TRUE(ports.PortAChange());
    EXPECT_EQ(ports.PortChoisi(), 33);
    EXPECT_TRUE(ports.EstPortAppareil());
    EXPECT_EQ(ports.Ports(), (std::vector<std::string>{"COM1", "COM33 : KORVANE", "COM65"}));
    EXPECT_FALSE(ports.PortAChange());

    // Unplugged: the class entry and the node go away together.
    unlink((classe + "/ttyUSB0").c_str());
    unlink((dev + "/ttyUSB0").c_str());
    EXPECT_TRUE(ports.PortAChange());
    EXPECT_EQ(ports.PortChoisi(), 1);
    EXPECT_FALSE(ports.EstPortAppareil());
}

// A bridge on the bus: held (its interface claimed through usbfs, its node maybe open in a
// program), detached from the driver that the kernel has (a braille daemon named when it runs),
// without a driver in the kernel, or with its port there or coming.
TEST_F(ArbreSysfs, BridgeWithoutItsPortIsExplained) {
    struct Cas {
        const char* ids;
        const char* pilote;
        bool port, tenu, piloteDansLeNoyau, braille;
        EtatPont attendu;
    };
    const Cas cas[] = {
        {"10c4:ea60", "usbfs", false, false, true, false, EtatPont::Retenu},
        {"10c4:ea60", "usbfs", false, true, true, false, EtatPont::Retenu},
        {"10c4:ea60", "", false, false, false, false, EtatPont::SansPilote},
        {"10c4:ea60", "", false, false, true, false, EtatPont::Detache},
        {"10c4:ea60", "", false, false, true, true, EtatPont::Detache},
        {"10c4:ea60", "cp210x", true, false, true, false, EtatPont::SansExplication},
        {"10c4:ea60", "cp210x", false, false, true, true, EtatPont::SansExplication},
        {"10c4:ea61", "", false, false, true, true, EtatPont::SansExplication},
        {nullptr, "", false, false, false, false, EtatPont::SansExplication},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(&c - cas);
        TearDown();
        SetUp();
        if (c.ids) SurLeBus(c.ids, c.pilote);
        if (c.port) PontUsb("ttyUSB0");
        if (c.piloteDansLeNoyau) Pilote("usb", "cp210x");
        // A daemon is known by its command name: a copy of sleep under the daemon's name.
        const std::string demon = racine + "/brltty";
        if (c.braille) {
            ASSERT_EQ(std::system(("cp /bin/sleep '" + demon + "'").c_str()), 0);
        }
        const pid_t pid = c.tenu ? Tenir(dev + "/bus/usb/001/007") : c.braille ? Tenir(racine + "/rien", demon) : 0;
        const ConstatPont constat = Pont();
        if (pid > 0 && kill(pid, SIGKILL) == 0) waitpid(pid, nullptr, 0);
        EXPECT_EQ(static_cast<int>(constat.etat), static_cast<int>(c.attendu));
        const bool brailleNomme = c.braille && c.attendu == EtatPont::Detache;
        EXPECT_EQ(constat.detenteurs, c.tenu         ? std::vector<std::string>{"sleep"}
                                      : brailleNomme ? std::vector<std::string>{"brltty"}
                                                     : std::vector<std::string>());
    }
}
