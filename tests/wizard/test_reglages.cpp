// The settings file: the language number it gives, and how a missing or locked file is told.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <random>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>

#include "wizard/reglages.h"

namespace {

int Langue(const std::string& texte) { return LangueDesReglages(texte.data(), texte.size()); }

TEST(TexteReglages, LaValeurEntreEgalEtPointVirgule) {
    struct Cas {
        const char* texte;
        int langue;
    };
    const Cas cas[] = {
        {"Langue=1;", 1},
        {"Langue=0;", 0},
        {"Langue=2;", 2},
        {"Langue=-1;", -1},
        {"Langue=+1;", 1},
        {"Langue= 1 ;", 1},
        {"\r\n  Langue=1;\r\n", 1},
        {"Langue=\t1\x1f;", 1},      // control characters are blanks too
        {"Version=3;Langue=1;", 1},  // the search starts at the key
        {"Version=3;\r\nLangue=1;\r\nPort=4;", 1},
        {"langue=1;", 1},  // no key: the first "=" and ";" of the whole text
        {"1;", 1},         // no key and no "=": from the first character
        {"  1 ;", 1},
        {"Langue=1", 0},    // no ";"
        {"Langue;=1;", 0},  // ";" before "="
        {"Langue=;", 0},
        {"Langue=x;", 0},
        {"Langue=1 2;", 0},
        {"Langue=0x1;", 0},
        {"Langue=1.0;", 0},
        {"Langue=-;", 0},
        {"Langue=\xa0"
         "1;",
         0},  // bytes from 128 up are text, not blanks
        {"Langue=2147483647;", INT_MAX},
        {"Langue=-2147483648;", INT_MIN},
        {"Langue=2147483648;", 0},  // too large for an int: no number at all...
        {"Langue=4294967297;", 0},  // ...and never wrapped round to 1
        {"Langue=99999999999999999999999999;", 0},
        {"", 0},
        {"Langue", 0},
        {";", 0},
        {"=;", 0},
    };
    for (const Cas& c : cas)
        EXPECT_EQ(Langue(c.texte), c.langue) << '"' << c.texte << '"';
}

TEST(TexteReglages, LeTexteSArreteAuPremierNul) {
    EXPECT_EQ(Langue(std::string("Langue=1;\0Langue=0;", 19)), 1);
    EXPECT_EQ(Langue(std::string("Lang\0ue=1;", 10)), 0);
    // Stored as 16-bit text: the second byte is NUL, one character remains.
    const std::string seize = std::string("L\0a\0n\0g\0u\0e\0=\0"
                                          "1\0;\0",
                                          18);
    EXPECT_EQ(Langue(seize), 0);
}

TEST(TexteReglages, SeulsLesDeuxCentsPremiersOctetsComptent) {
    const std::string cle = "Langue=1;";
    EXPECT_EQ(Langue(std::string(200 - cle.size(), ' ') + cle), 1);
    // One byte further and the ";" is cut off.
    EXPECT_EQ(Langue(std::string(201 - cle.size(), ' ') + cle), 0);
    // A key past the limit is not seen: the first "=" and ";" within the limit decide.
    EXPECT_EQ(Langue("Port=1;" + std::string(200, 'x') + "Langue=0;"), 1);
    EXPECT_EQ(Langue("Port=5;" + std::string(200, 'x') + "Langue=1;"), 5);
    EXPECT_EQ(LangueDesReglages(nullptr, 10), 0);
}

// Random bytes, some of them the parser's own: whatever they are, the parser answers, and
// neither the bytes past 200 nor those past a NUL change its answer.
TEST(TexteReglages, OctetsAuHasard) {
    std::mt19937 hasard(20240611);
    const std::string alphabet = "Langue=;-+0123456789 \t\r\n\x01\x7f\xff";
    for (int essai = 0; essai < 20000; ++essai) {
        std::string octets(hasard() % 260, '\0');
        for (char& c : octets)
            c = (hasard() % 3 == 0) ? static_cast<char>(hasard() % 256) : alphabet[hasard() % alphabet.size()];
        if (hasard() % 4 == 0) octets.insert(hasard() % (octets.size() + 1), "Langue=1;");
        const int langue = Langue(octets);

        std::string prolonge = octets.substr(0, 200) + std::string(hasard() % 50, static_cast<char>(hasard() % 256));
        ASSERT_EQ(Langue(prolonge), langue) << "bytes past 200 changed the answer";
        const std::size_t nul = octets.find('\0');
        if (nul != std::string::npos && nul < 200) {
            std::string coupe = octets.substr(0, nul + 1) + std::string(20, '1');
            ASSERT_EQ(Langue(coupe), langue) << "bytes past the NUL changed the answer";
        }
    }
}

class FichierReglages : public ::testing::Test {
protected:
    void Ecrire(const std::string& contenu) {
        std::FILE* f = std::fopen(Chemin().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(std::fwrite(contenu.data(), 1, contenu.size(), f), contenu.size());
        std::fclose(f);
    }
    std::string Dossier() const { return dossier_.path().toStdString(); }
    std::string Chemin() const { return Dossier() + "/ZantrelV1.CFG"; }

    QTemporaryDir dossier_;
};

TEST_F(FichierReglages, SansFichierLeFrancais) {
    const LectureReglages lecture = LireReglages(Dossier());
    EXPECT_EQ(lecture.etat, EtatReglages::Absent);
    EXPECT_EQ(lecture.langue, 0);
    EXPECT_EQ(LireReglages(std::string()).etat, EtatReglages::Absent);
    // A link that leads nowhere leads to no file.
    ASSERT_EQ(::symlink("nulle-part", Chemin().c_str()), 0);
    EXPECT_EQ(LireReglages(Dossier()).etat, EtatReglages::Absent);
}

TEST_F(FichierReglages, LeFichierDonneLaLangue) {
    Ecrire("Version=3;\r\nLangue= 1 ;\r\n");
    const LectureReglages lecture = LireReglages(Dossier());
    EXPECT_EQ(lecture.etat, EtatReglages::Lu);
    EXPECT_EQ(lecture.langue, 1);
    EXPECT_EQ(lecture.chemin, Chemin());

    Ecrire("");
    EXPECT_EQ(LireReglages(Dossier()).etat, EtatReglages::Lu);
    EXPECT_EQ(LireReglages(Dossier()).langue, 0);

    Ecrire(std::string(300, ' ') + "Langue=1;");
    EXPECT_EQ(LireReglages(Dossier()).langue, 0);
}

TEST_F(FichierReglages, UnFichierQuiNeSOuvrePasEstSignale) {
    // Something stands under the file's name but cannot be opened as a file. None of it may
    // hold start-up: a FIFO blocks a plain open until a writer comes.
    int (*const poser[])(const char*) = {
        +[](const char* c) { return ::mkdir(c, 0700); },
        +[](const char* c) { return ::mkfifo(c, 0600); },
        +[](const char* c) { return ::symlink("ZantrelV1.CFG", c); },  // a loop
        +[](const char* c) { return ::symlink("/dev/null", c); },
    };
    for (const auto poserUn : poser) {
        ::rmdir(Chemin().c_str());
        ::unlink(Chemin().c_str());
        ASSERT_EQ(poserUn(Chemin().c_str()), 0);
        ::alarm(10);  // a read that blocks ends the test program
        const LectureReglages lecture = LireReglages(Dossier());
        ::alarm(0);
        EXPECT_EQ(lecture.etat, EtatReglages::Illisible);
        EXPECT_EQ(lecture.chemin, Chemin());
        EXPECT_EQ(lecture.langue, 0);
    }
}

}  // namespace
