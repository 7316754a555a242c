// The emulated USB bridge in front of the device, driven over its socket as vhci_hcd drives it.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <condition_variable>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

#include "link/protocole.h"
#include "sim/appareil.h"
#include "sim/pont_usb.h"

namespace {

using Octets = std::vector<unsigned char>;

struct Retour {
    std::uint32_t commande = 0, seqnum = 0;
    std::int32_t statut = 0;
    Octets donnees;
};

std::uint32_t Mot(const unsigned char* p) { return std::uint32_t{p[0]} << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

// The kernel's end: URBs go out as USB/IP commands, completions come back.
class Hote {
public:
    explicit Hote(int fd) : fd_(fd) {
        timeval garde{10, 0};  // a bridge that never answers fails the test instead of hanging it
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &garde, sizeof garde);
    }
    ~Hote() { Fermer(); }
    void Fermer() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

    // A command with its own two words (CMD_SUBMIT: flags and length; CMD_UNLINK: the seqnum).
    std::uint32_t Envoyer(std::uint32_t commande, std::uint32_t ep, std::uint32_t direction, std::uint32_t mot5,
                          std::uint32_t mot6, const Octets& setup = {}, const Octets& donnees = {}) {
        Octets m(usbip::TAILLE_ENTETE, 0);
        const std::uint32_t mots[] = {commande, ++seqnum_, 0x00010002, direction, ep, mot5, mot6};
        for (std::size_t i = 0; i < 7; ++i)
            for (int b = 0; b < 4; ++b)
                m[4 * i + b] = static_cast<unsigned char>(mots[i] >> (24 - 8 * b));
        std::copy(setup.begin(), setup.end(), m.begin() + 40);
        m.insert(m.end(), donnees.begin(), donnees.end());
        EXPECT_EQ(write(fd_, m.data(), m.size()), static_cast<ssize_t>(m.size()));
        directions_[seqnum_] = direction;
        return seqnum_;
    }
    std::uint32_t Soumettre(std::uint32_t direction, std::uint32_t longueur, const Octets& donnees = {}) {
        return Envoyer(usbip::CMD_SUBMIT, 1, direction, 0, longueur, {}, donnees);  // bulk endpoint 1
    }
    std::uint32_t Annuler(std::uint32_t seqnum) { return Envoyer(usbip::CMD_UNLINK, 0, 0, seqnum, 0); }

    Retour Recevoir() {
        unsigned char e[usbip::TAILLE_ENTETE];
        Retour r;
        if (!Lire(e, sizeof e)) return r;
        r.commande = Mot(e);
        r.seqnum = Mot(e + 4);
        r.statut = static_cast<std::int32_t>(Mot(e + 20));
        if (r.commande == usbip::RET_SUBMIT && directions_[r.seqnum] == usbip::DIR_IN) {
            r.donnees.resize(Mot(e + 24));
            if (!Lire(r.donnees.data(), r.donnees.size())) r.commande = 0;
        }
        return r;
    }

    // A request on endpoint 0 and its completion.
    Retour Controle(unsigned char type, unsigned char requete, unsigned valeur, unsigned longueur,
                    const Octets& donnees = {}) {
        const Octets setup{
            type, requete, static_cast<unsigned char>(valeur),   static_cast<unsigned char>(valeur >> 8),
            0,    0,       static_cast<unsigned char>(longueur), static_cast<unsigned char>(longueur >> 8)};
        const std::uint32_t direction = (type & 0x80) ? usbip::DIR_IN : usbip::DIR_OUT;
        const std::uint32_t seq = Envoyer(usbip::CMD_SUBMIT, 0, direction, 0, longueur, setup, donnees);
        Retour r = Recevoir();
        EXPECT_EQ(r.commande, usbip::RET_SUBMIT);
        EXPECT_EQ(r.seqnum, seq);
        return r;
    }

private:
    bool Lire(unsigned char* p, std::size_t n) {
        while (n > 0) {
            const ssize_t lus = read(fd_, p, n);
            if (lus <= 0) return false;
            p += lus;
            n -= static_cast<std::size_t>(lus);
        }
        return true;
    }

    int fd_;
    std::uint32_t seqnum_ = 0;
    std::map<std::uint32_t, std::uint32_t> directions_;  // of each URB, as a host remembers it
};

constexpr unsigned char VERS_INTERFACE = 0x41, DE_INTERFACE = 0xC1, DE_APPAREIL = 0x80;

class PontUsbTest : public ::testing::Test {
protected:
    void SetUp() override { Brancher(); }
    void TearDown() override {
        pont_.Debrancher();
        if (fil_.joinable()) fil_.join();
    }

    void Brancher() {
        int paire[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, paire), 0);
        hote_ = std::make_unique<Hote>(paire[0]);
        ASSERT_TRUE(pont_.Brancher(paire[1]));
        fil_ = std::thread([this] { appareil_.Servir(pont_); });
    }

    static OptionsSimulateur Options(PontUsbTest* test) {
        OptionsSimulateur o;
        o.rapide = true;
        o.surAnomalie = [test](const std::string& a) { test->Noter(a); };
        return o;
    }
    void Noter(const std::string& evenement) {
        std::lock_guard<std::mutex> l(verrou_);
        evenements_.push_back(evenement);
        changement_.notify_all();
    }
    // The Nth event (anomaly or departure), waited for.
    std::string Evenement(std::size_t n) {
        std::unique_lock<std::mutex> l(verrou_);
        changement_.wait_for(l, std::chrono::seconds(10), [&] { return evenements_.size() >= n; });
        return evenements_.size() >= n ? evenements_[n - 1] : std::string();
    }

    // The UART on at 9600 bit/s in that framing, as cp210x opens it.
    void Regler(unsigned ligne) {
        EXPECT_EQ(hote_->Controle(VERS_INTERFACE, usb::IFC_ENABLE, 1, 0).statut, 0);
        EXPECT_EQ(hote_->Controle(VERS_INTERFACE, usb::SET_BAUDRATE, 0, 4, {0x80, 0x25, 0, 0}).statut, 0);
        EXPECT_EQ(hote_->Controle(VERS_INTERFACE, usb::SET_LINE_CTL, ligne, 0).statut, 0);
    }

    std::mutex verrou_;
    std::condition_variable changement_;
    std::vector<std::string> evenements_;
    PontUsb pont_{[this] { Noter("departure"); }};
    Appareil appareil_{Options(this)};
    std::unique_ptr<Hote> hote_;
    std::thread fil_;
};

TEST_F(PontUsbTest, EnumeratesTakesTheLineSettingsAndCarriesTheDevicesBytes) {
    const Retour appareil = hote_->Controle(DE_APPAREIL, usb::GET_DESCRIPTOR, 0x0100, 64);
    ASSERT_EQ(appareil.donnees.size(), 18u);
    EXPECT_EQ(Octets(appareil.donnees.begin() + 8, appareil.donnees.begin() + 12), (Octets{0xC4, 0x10, 0x60, 0xEA}));
    const Octets config = hote_->Controle(DE_APPAREIL, usb::GET_DESCRIPTOR, 0x0200, 255).donnees;
    ASSERT_EQ(config.size(), 32u);
    EXPECT_EQ(config[4], 1);  // one interface, with two bulk endpoints of 64 bytes
    EXPECT_EQ(Octets(config.begin() + 18, config.end()), (Octets{7, 5, 0x81, 2, 64, 0, 0, 7, 5, 0x01, 2, 64, 0, 0}));
    EXPECT_EQ(hote_->Controle(0x00, usb::SET_CONFIGURATION, 1, 0).statut, 0);
    EXPECT_EQ(hote_->Controle(0xC0, usb::VENDOR_SPECIFIC, usb::GET_PARTNUM, 2).donnees, Octets{0x02});

    Regler(0x0820);
    const Octets flux{0x01, 0, 0, 0, 0x40, 0, 0, 0, 0x80, 0, 0, 0, 0x80, 0, 0, 0};  // DTR and RTS on
    EXPECT_EQ(hote_->Controle(VERS_INTERFACE, usb::SET_FLOW, 0, 16, flux).statut, 0);
    EXPECT_EQ(hote_->Controle(VERS_INTERFACE, usb::SET_MHS, usb::MHS_ECRIRE_DTR, 0).statut, 0);  // DTR off
    EXPECT_EQ(hote_->Controle(DE_INTERFACE, usb::GET_BAUDRATE, 0, 4).donnees, (Octets{0x80, 0x25, 0, 0}));
    EXPECT_EQ(hote_->Controle(DE_INTERFACE, usb::GET_LINE_CTL, 0, 2).donnees, (Octets{0x20, 0x08}));
    EXPECT_EQ(hote_->Controle(DE_INTERFACE, usb::GET_FLOW, 0, 16).donnees, flux);
    EXPECT_EQ(hote_->Controle(DE_INTERFACE, usb::GET_MDMSTS, 0, 1).donnees, Octets{0x02 | 0xB0});
    EXPECT_EQ(hote_->Controle(DE_INTERFACE, 0x42, 0, 2).statut, -EPIPE);
    EXPECT_EQ(hote_->Controle(DE_APPAREIL, usb::GET_DESCRIPTOR, 0x0600, 10).statut, -EPIPE);

    // The IN URB waits for the device's answer to the byte of the OUT one.
    const std::uint32_t entree = hote_->Soumettre(usbip::DIR_IN, 256);
    const std::uint32_t sortie = hote_->Soumettre(usbip::DIR_OUT, 1, {protocole::CMD_CONNEXION});
    const Retour fait = hote_->Recevoir();
    EXPECT_EQ(fait.seqnum, sortie);
    EXPECT_EQ(fait.statut, 0);
    const Retour reponse = hote_->Recevoir();
    EXPECT_EQ(reponse.seqnum, entree);
    EXPECT_EQ(reponse.donnees, Octets{protocole::REP_CONNECTE});

    const std::string fichier = ::testing::TempDir() + "releve_pont.txt";
    ASSERT_TRUE(pont_.EcrireReleve(fichier));
    std::stringstream texte;
    texte << std::ifstream(fichier).rdbuf();
    EXPECT_NE(texte.str().find("\n9600 8E1 flow=none dtr=off rts=on: 1 bytes to the device, 1 from it\n"),
              std::string::npos)
        << texte.str();
    EXPECT_NE(texte.str().find("\ntotal: " + pont_.ResumeReleve() + "\n"), std::string::npos);
    EXPECT_NE(pont_.ResumeReleve().find(", 1 bytes to the device, 1 from it"), std::string::npos);
}

// The device's UART garbles a byte in any other framing; its IN URB, never answered, is unlinked.
TEST_F(PontUsbTest, AnotherFramingIsGarbage) {
    std::size_t n = 0;
    for (const auto& [ligne, texte] : {std::pair{0x0800u, "8N1"}, {0x0720u, "7E1"}, {0x0822u, "8E2"}}) {
        Regler(ligne);
        const std::uint32_t entree = hote_->Soumettre(usbip::DIR_IN, 256);
        hote_->Soumettre(usbip::DIR_OUT, 1, {protocole::CMD_CONNEXION});
        EXPECT_EQ(hote_->Recevoir().statut, 0);
        EXPECT_NE(Evenement(++n).find(std::string("in ") + texte + ", the device at 9600 bit/s in 8E1"),
                  std::string::npos)
            << texte;
        const std::uint32_t annulation = hote_->Annuler(entree);
        const Retour r = hote_->Recevoir();
        EXPECT_EQ(r.commande, usbip::RET_UNLINK) << texte;
        EXPECT_EQ(r.seqnum, annulation);
        EXPECT_EQ(r.statut, -ECONNRESET);
    }
    EXPECT_FALSE(appareil_.Connecte());
}

// The host drops the link: the device powers off; plugged again, bridge and device start afresh.
TEST_F(PontUsbTest, UnpluggedAndBack) {
    Regler(0x0820);
    hote_->Fermer();
    EXPECT_EQ(Evenement(1), "departure");
    EXPECT_TRUE(pont_.Parti());
    fil_.join();
    pont_.Debrancher();
    Brancher();
    EXPECT_FALSE(pont_.Parti());
    EXPECT_EQ(hote_->Controle(DE_INTERFACE, usb::GET_LINE_CTL, 0, 2).donnees, (Octets{0x00, 0x08}));
    Regler(0x0820);
    const std::uint32_t entree = hote_->Soumettre(usbip::DIR_IN, 256);
    hote_->Soumettre(usbip::DIR_OUT, 1, {protocole::CMD_CONNEXION});
    hote_->Recevoir();
    const Retour reponse = hote_->Recevoir();
    EXPECT_EQ(reponse.seqnum, entree);
    EXPECT_EQ(reponse.donnees, Octets{protocole::REP_CONNECTE});
}

}  // namespace
