// The build-time tool that embeds the HEX file: it refuses every file the walk could misread,
// naming the line, and embeds a sound file unchanged.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "faux_parcours.h"

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
        std::string commande;
#ifdef OUTIL_IMAGE
        commande = std::string("\"") + OUTIL_IMAGE + "\" \"" + (Dossier / "f.hex").string() + "\" \"" +
                   Sortie.string() + "\" 2> \"" + (Dossier / "err").string() + "\"";
#endif
        const int statut = std::system(commande.c_str());
        Erreurs = Lire(Dossier / "err");
        return statut;
    }
    void Refus(const std::string& contenu, int ligne, const std::string& mots) {
        SCOPED_TRACE(mots);
        EXPECT_NE(Lancer(contenu), 0);
        EXPECT_NE(Erreurs.find("f.hex:" + std::to_string(ligne) + ": "), std::string::npos) << Erreurs;
        EXPECT_NE(Erreurs.find(mots), std::string::npos) << Erreurs;
        EXPECT_FALSE(fs::exists(Sortie));
    }

    fs::path Dossier;
    fs::path Sortie;
    std::string Erreurs;
    const std::string D = Donnees(0x800, {1, 2, 3, 4}) + "\n";
};

TEST_F(OutilImage, SoundFileIsEmbeddedWithEitherLineEnding) {
    const std::string a = Donnees(0x800, Suite(0, 21)), b = Base(1);  // 21 bytes: a full slot
    ASSERT_EQ(Lancer(a + "\r\n" + b + "\r\n" + FIN + "\r\n"), 0) << Erreurs;
    const std::string crlf = Lire(Sortie);
    EXPECT_NE(crlf.find("\n    \"" + a + "\",\n    \"" + b + "\",\n    \"" + FIN + "\",\n    \"\",\n};"),
              std::string::npos) << crlf;
    ASSERT_EQ(Lancer(a + "\n" + b + "\n" + FIN), 0) << Erreurs;
    EXPECT_EQ(Lire(Sortie), crlf);
}

TEST_F(OutilImage, BadRecordsAreRefusedWithTheirLine) {
    Refus(D + "020000040001F9\n" + FIN, 2, "':'");
    Refus(D + D + ":0408000001020G04EB\n" + FIN, 3, "'G' at column 15");
    Refus(D + ":04080000010203\n" + FIN, 2, "byte count 4");
    Refus(D + ":040800000a0b0c0dc2\n" + FIN, 2, "lower-case");
    Refus(D + ":04080000010203040E\n" + FIN, 2, "wrong checksum 0E, expected EA");
    Refus(D + Donnees(0x800, Suite(0, 22)) + "\n" + FIN, 2, "55 characters does not fit");
    Refus(D + ":020000020000FC\n" + FIN, 2, "type 02");
    Refus(D + "\n" + FIN, 2, "empty line");
    Refus(D + FIN + "\n" + D, 3, "after the end-of-file");
}

TEST_F(OutilImage, MissingEndOrTooManyRecords) {
    Refus("", 1, "no records");
    Refus(D + D + D, 3, "no end-of-file record");
    std::string plein;
    for (int i = 1; i < CAPACITE_TABLE; ++i) plein += D;
    EXPECT_EQ(Lancer(plein + FIN), 0) << Erreurs;
    Refus(plein + D + FIN, CAPACITE_TABLE + 1, "more than 10000 records");
}

}  // namespace
