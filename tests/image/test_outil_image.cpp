// The build-time tool that embeds the HEX file: it refuses every file the walk could misread,
// naming the line, and embeds a sound file unchanged.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "faux_parcours.h"
#include "wizard/version_mise_a_jour.h"

namespace {

namespace fs = std::filesystem;

std::string Lire(const fs::path& chemin) {
    std::stringstream s;
    s << std::ifstream(chemin, std::ios::binary).rdbuf();
    return s.str();
}

class OutilImage : public ::testing::Test {
protected:
    void SetUp() override {
#ifndef OUTIL_IMAGE
        GTEST_SKIP() << "no tool for this machine in a cross build";
#else
        Dossier = fs::temp_directory_path() /
                  (std::string("zantrel_outil_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Dossier);
        fs::create_directories(Dossier);
        Sortie = Dossier / "image.cpp";
#endif
    }
    void TearDown() override { fs::remove_all(Dossier); }

    // Runs the tool on the text; returns its exit status, stderr in Erreurs.
    int Lancer(const std::string& contenu) {
        fs::remove(Sortie);
        std::ofstream(Dossier / "f.hex", std::ios::binary) << contenu;
        return Outil({(Dossier / "f.hex").string(), Sortie.string()});
    }
    int Outil(const std::vector<std::string>& arguments) {
        std::string commande;
#ifdef OUTIL_IMAGE
        commande = std::string("\"") + OUTIL_IMAGE + "\"";
#endif
        for (const std::string& a : arguments)
            commande += " \"" + a + "\"";
        const int statut = std::system(
            (commande + " > \"" + (Dossier / "out").string() + "\" 2> \"" + (Dossier / "err").string() + "\"").c_str());
        Erreurs = Lire(Dossier / "err");
        return statut;
    }
    void Refus(const std::string& contenu, int ligne, const std::string& mots) {
        SCOPED_TRACE(mots);
        EXPECT_NE(Lancer(contenu), 0);
        EXPECT_NE(Erreurs.find("f.hex:" + std::to_string(ligne) + ": "), std::string::npos) << Erreurs;
        EXPECT_NE(Erreurs.find(mots), std::string::npos) << Erreurs;
        EXPECT_FALSE(fs::exists(Sortie));
        EXPECT_FALSE(fs::exists(Sortie.string() + ".tmp"));
    }

    fs::path Dossier;
    fs::path Sortie;
    std::string Erreurs;
    // Four bytes at a, one line.
    static std::string L(unsigned a) { return Donnees(a, {1, 2, 3, 4}) + "\n"; }
    const std::string D = L(0x800);
};

TEST_F(OutilImage, SoundFileIsEmbeddedWithEitherLineEnding) {
    const std::string a = Donnees(0x800, Suite(0, 21)), b = Base(1);  // 21 bytes: a full slot
    ASSERT_EQ(Lancer(a + "\r\n" + b + "\r\n" + FIN + "\r\n"), 0) << Erreurs;
    const std::string crlf = Lire(Sortie);
    EXPECT_NE(crlf.find("\n    \"" + a + "\",\n    \"" + b + "\",\n    \"" + FIN + "\",\n    \"\",\n};"),
              std::string::npos)
        << crlf;
    ASSERT_EQ(Lancer(a + "\n" + b + "\n" + FIN), 0) << Erreurs;
    EXPECT_EQ(Lire(Sortie), crlf);

    // What the walk writes as it should: odd addresses after the bytes before them or after a
    // gap, a record going back to a free row, empty records anywhere, the top of each window,
    // blank lines at the end.
    EXPECT_EQ(Lancer(Donnees(0x100, {}) + "\n" + L(0x900) + D + Donnees(0x804, {5}) + "\n" + Donnees(0x805, {6, 7}) +
                     "\n" + Donnees(0x80B, {8}) + "\n" + b + "\n" + Donnees(0xFFFC, {1, 2, 3}) + "\n" + Base(0xF0) +
                     "\n" + Donnees(0x3F5, {1, 2}) + "\n" + FIN + "\n\n \t\r\n"),
              0)
        << Erreurs;
}

TEST_F(OutilImage, BadRecordsAreRefusedWithTheirLine) {
    Refus(D + "020000040001F9\n" + FIN, 2, "':'");
    Refus(D + L(0x804) + ":0408000001020G04EB\n" + FIN, 3, "'G' at column 15");
    Refus(D + ":04080000010203\n" + FIN, 2, "byte count 4");
    Refus(D + ":040800000a0b0c0dc2\n" + FIN, 2, "lower-case");
    Refus(D + ":04080000010203040E\n" + FIN, 2, "wrong checksum 0E, expected EA");
    Refus(D + Donnees(0x800, Suite(0, 22)) + "\n" + FIN, 2, "55 characters does not fit");
    Refus(D + ":020000020000FC\n" + FIN, 2, "record type 02 not supported");
    Refus(D + "\n" + FIN, 2, "empty line");
    Refus(D + FIN + "\n" + D, 3, "after the end-of-file");
    Refus(D + FIN + "\n\n" + D, 4, "after the end-of-file");
    Refus(D + Enregistrement(5, 0, {0, 0, 8, 0}) + "\n" + FIN, 2, "record type 05 not supported");
    // Data the walk would write wrong or drop.
    Refus(Donnees(0x800, {1, 2, 3}) + "\n" + Donnees(0x804, {5}) + "\n" + Donnees(0x803, {4}) + "\n" + FIN, 3,
          "would write 0x802 a second time: records out of order");
    Refus(Donnees(0x800, {1, 2, 3}) + "\n" + Donnees(0x900, {}) + "\n" + Donnees(0x803, {4}) + "\n" + FIN, 3,
          "0x802 a second time");  // the empty record ended the block
    Refus(D + Donnees(0x802, {5, 6}) + "\n" + FIN, 2, "data at 0x802 given a second time");
    Refus(Donnees(0x7FE, {1, 2, 3}) + "\n" + FIN, 1, "from 0x7FE to 0x800 lies outside");
    Refus(Base(1) + "\n" + Donnees(0xFFFE, {1, 2}) + "\n" + FIN, 2, "0x1FFFE to 0x1FFFF");
    Refus(Base(0xF0) + "\n" + Donnees(0x3F6, {1, 2}) + "\n" + FIN, 2, "0xF003F6 to 0xF003F7");
    Refus(Base(0x30) + "\n" + Donnees(0, {1}) + "\n" + FIN, 2, "0x300000");
}

TEST_F(OutilImage, MissingEndOrTooManyRecords) {
    Refus("", 1, "no records");
    Refus(D + L(0x804) + L(0x808), 3, "no end-of-file record");
    std::string plein;
    for (int i = 1; i < CAPACITE_TABLE; ++i)
        plein += L(0x800 + 4 * i);
    EXPECT_EQ(Lancer(plein + FIN), 0) << Erreurs;
    Refus(plein + L(0x800 + 4 * CAPACITE_TABLE) + FIN, CAPACITE_TABLE + 1, "more than 10000 records");
}

// What a device holds, from its dumps, against what the walk writes from the image: the erased
// and cleared halves of the words it fills, the EEPROM bytes and the version stamp.
TEST_F(OutilImage, DeviceDumpsAreComparedWithWhatTheWalkWrites) {
    std::ofstream(Dossier / "f.hex", std::ios::binary)
        << Donnees(0x801, {1, 2}) + "\n" + Base(0xF0) + "\n" + Donnees(4, {9}) + "\n" + FIN + "\n";
    const auto Comparer = [&](const std::string& programme, int majeur) {
        std::ofstream(Dossier / "p.hex", std::ios::binary) << programme + "\n" + FIN + "\n";
        std::ofstream(Dossier / "e.hex", std::ios::binary)
            << Donnees(4, {9}) + "\n" +
                   Donnees(1016, {0x15, 0xCD, 0x5B, 0x07, VERSION_REVISION, majeur, VERSION_MINEUR}) + "\n" + FIN +
                   "\n";
        return Outil(
            {"--appareil", (Dossier / "p.hex").string(), (Dossier / "e.hex").string(), (Dossier / "f.hex").string()});
    };
    EXPECT_EQ(Comparer(Donnees(0x801, {1, 2, 0}), VERSION_MAJEUR), 0) << Erreurs;
    EXPECT_NE(Lire(Dossier / "out").find("serial 0x075BCD15\n"), std::string::npos);
    EXPECT_NE(Comparer(Donnees(0x801, {1, 3, 0}), VERSION_MAJEUR), 0);
    EXPECT_NE(Erreurs.find("program memory 0x802 holds 0x03, not 0x02"), std::string::npos) << Erreurs;
    EXPECT_NE(Comparer(Donnees(0x800, {0, 1, 2, 0}), VERSION_MAJEUR), 0);
    EXPECT_NE(Comparer(Donnees(0x801, {1, 2, 0}), VERSION_MAJEUR + 1), 0);
    EXPECT_NE(Erreurs.find("the version stamp is"), std::string::npos) << Erreurs;
}

// A folder given for the file: named, with an exit status of 1 rather than an abort.
TEST_F(OutilImage, AFolderIsNamedAndNothingIsWritten) {
    fs::create_directory(Dossier / "f.hex");
    EXPECT_EQ(Lancer(""), 1 << 8) << Erreurs;
    EXPECT_NE(Erreurs.find((Dossier / "f.hex").string() + ": cannot read the file"), std::string::npos) << Erreurs;
    EXPECT_FALSE(fs::exists(Sortie));
}

}  // namespace
