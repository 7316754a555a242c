// The serial-port list read from Wine's registry, and the order the port finder keeps it in.
// HKLM\HARDWARE is volatile: the tests write their own SERIALCOMM values, and put back what
// was there before.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "ports/TConfigurationPort.h"
#include "ports/source_ports.h"

namespace {

constexpr const char* CHEMIN = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

struct ValeurBrute {
    std::string nom;
    DWORD type;
    std::vector<BYTE> donnees;
};

class Registre : public ::testing::Test {
protected:
    void SetUp() override {
        HKEY cle = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, CHEMIN, 0, KEY_READ, &cle) == ERROR_SUCCESS) {
            cleExistait_ = true;
            for (DWORD i = 0;; ++i) {
                char nom[512];
                BYTE donnees[1024];
                DWORD longueurNom = sizeof nom, taille = sizeof donnees, type = 0;
                if (RegEnumValueA(cle, i, nom, &longueurNom, nullptr, &type, donnees, &taille) != ERROR_SUCCESS) break;
                sauvegarde_.push_back(
                    {std::string(nom, longueurNom), type, std::vector<BYTE>(donnees, donnees + taille)});
            }
            RegCloseKey(cle);
        }
        Supprimer();
    }

    void TearDown() override {
        Supprimer();
        if (!cleExistait_) return;
        HKEY cle = Creer();
        for (const ValeurBrute& v : sauvegarde_)
            RegSetValueExA(cle, v.nom.c_str(), 0, v.type, v.donnees.data(), static_cast<DWORD>(v.donnees.size()));
        RegCloseKey(cle);
    }

    static void Supprimer() {
        const LONG r = RegDeleteKeyA(HKEY_LOCAL_MACHINE, CHEMIN);
        ASSERT_TRUE(r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND) << r;
    }

    // The key as a driver makes it: volatile, like everything under HARDWARE.
    static HKEY Creer() {
        HKEY cle = nullptr;
        const LONG r = RegCreateKeyExA(HKEY_LOCAL_MACHINE, CHEMIN, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                       nullptr, &cle, nullptr);
        EXPECT_EQ(r, ERROR_SUCCESS);
        return cle;
    }

    static void Ecrire(HKEY cle, const char* nom, DWORD type, const void* donnees, DWORD taille) {
        ASSERT_EQ(RegSetValueExA(cle, nom, 0, type, static_cast<const BYTE*>(donnees), taille), ERROR_SUCCESS);
    }

    static void EcrireTexte(HKEY cle, const char* nom, const std::string& texte) {
        Ecrire(cle, nom, REG_SZ, texte.c_str(), static_cast<DWORD>(texte.size() + 1));
    }

private:
    bool cleExistait_ = false;
    std::vector<ValeurBrute> sauvegarde_;
};

TEST_F(Registre, CleAbsenteNeDonneAucunPort) {
    std::vector<ValeurPort> valeurs{{"reste", TYPE_TEXTE, "COM9"}};
    EXPECT_EQ(CreerSourcePorts()->Lire(valeurs), LecturePorts::CleAbsente);
    EXPECT_TRUE(valeurs.empty());

    TConfPort finder;
    EXPECT_TRUE(finder.RecherchePorts());
    EXPECT_EQ(finder.PortChoisi(), 0);
    EXPECT_FALSE(finder.EstPortAppareil());
}

TEST_F(Registre, ValeursLuesAvecLeurTypeDansLOrdreDuRegistre) {
    HKEY cle = Creer();
    EcrireTexte(cle, "\\Device\\Serial0", "COM1");
    EcrireTexte(cle, "\\Device\\Silabser0", "COM14");
    const DWORD nombre = 7;
    Ecrire(cle, "\\Device\\Numerique", REG_DWORD, &nombre, sizeof nombre);
    // Taken as stored: not expanded.
    Ecrire(cle, "\\Device\\Etendu", REG_EXPAND_SZ, "COM%PORT%", 10);
    // Stored without its terminating NUL, and one stored with text after a NUL.
    Ecrire(cle, "\\Device\\SansNul", REG_SZ, "COM21", 5);
    Ecrire(cle, "\\Device\\NulInterieur", REG_SZ, "COM22\0COM99", 12);
    RegCloseKey(cle);

    std::vector<ValeurPort> valeurs;
    ASSERT_EQ(CreerSourcePorts()->Lire(valeurs), LecturePorts::Lue);
    ASSERT_EQ(valeurs.size(), 6u);

    // In the registry's own enumeration order (Wine keeps values sorted by name).
    cle = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, CHEMIN, 0, KEY_READ, &cle), ERROR_SUCCESS);
    for (DWORD i = 0; i < valeurs.size(); ++i) {
        char nom[256];
        DWORD longueur = sizeof nom;
        ASSERT_EQ(RegEnumValueA(cle, i, nom, &longueur, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
        EXPECT_EQ(valeurs[i].nom, nom);
    }
    RegCloseKey(cle);

    std::map<std::string, ValeurPort> parNom;
    for (const ValeurPort& v : valeurs)
        parNom[v.nom] = v;
    EXPECT_EQ(parNom["\\Device\\Serial0"].type, TYPE_TEXTE);
    EXPECT_EQ(parNom["\\Device\\Serial0"].donnees, "COM1");
    EXPECT_EQ(parNom["\\Device\\Silabser0"].donnees, "COM14");
    EXPECT_EQ(parNom["\\Device\\Numerique"].type, static_cast<int>(REG_DWORD));
    EXPECT_EQ(parNom["\\Device\\Numerique"].donnees, "");
    EXPECT_EQ(parNom["\\Device\\Etendu"].type, TYPE_TEXTE_ETENDU);
    EXPECT_EQ(parNom["\\Device\\Etendu"].donnees, "COM%PORT%");
    EXPECT_EQ(parNom["\\Device\\SansNul"].donnees, "COM21");
    EXPECT_EQ(parNom["\\Device\\NulInterieur"].donnees, "COM22");
}

TEST_F(Registre, PortDuPontChoisiParmiLesAutres) {
    HKEY cle = Creer();
    EcrireTexte(cle, "\\Device\\Serial0", "COM1");
    const DWORD nombre = 3;
    Ecrire(cle, "\\Device\\Silabser9", REG_DWORD, &nombre, sizeof nombre);
    EcrireTexte(cle, "\\Device\\Silabser0", "COM14");
    EcrireTexte(cle, "\\Device\\silabser1", "COM2");
    RegCloseKey(cle);

    TConfPort finder;
    EXPECT_TRUE(finder.PortAChange());
    EXPECT_EQ(finder.PortChoisi(), 14);
    EXPECT_TRUE(finder.EstPortAppareil());
    // The number-typed value gives no entry; the lower-case name carries no mark.
    EXPECT_EQ(finder.Ports(), (std::vector<std::string>{"COM1", "COM14 : KORVANE", "COM2"}));

    // The bridge is unplugged: its value goes, the choice falls back to the first port.
    cle = Creer();
    ASSERT_EQ(RegDeleteValueA(cle, "\\Device\\Silabser0"), ERROR_SUCCESS);
    RegCloseKey(cle);
    EXPECT_TRUE(finder.PortAChange());
    EXPECT_EQ(finder.PortChoisi(), 1);
    EXPECT_FALSE(finder.EstPortAppareil());
    EXPECT_FALSE(finder.PortAChange());
}

TEST(Comparaison, OrdreDeLaLocaleSensibleALaCasse) {
    EXPECT_LT(ComparerEntrees("COM10", "COM2"), 0);
    EXPECT_GT(ComparerEntrees("COM2", "COM10"), 0);
    EXPECT_LT(ComparerEntrees("COM3", "COM3 : KORVANE"), 0);
    EXPECT_EQ(ComparerEntrees("COM5", "COM5"), 0);
    // The locale's order, not the bytes': a lower-case letter before its capital, and
    // letters in alphabetical order whatever their case.
    EXPECT_LT(ComparerEntrees("com5", "COM5"), 0);
    EXPECT_GT(ComparerEntrees("COM5", "com5"), 0);
    EXPECT_LT(ComparerEntrees("a", "B"), 0);
    EXPECT_EQ(ComparerEntrees("", ""), 0);
    EXPECT_LT(ComparerEntrees("", "COM1"), 0);
}

}  // namespace
