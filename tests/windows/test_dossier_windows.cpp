// The settings file in Wine's Windows directory, found and read as the wizard does at start-up.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "wizard/dossier_systeme.h"
#include "wizard/reglages.h"

namespace {

class DossierWindows : public ::testing::Test {
protected:
    void SetUp() override {
        char attendu[MAX_PATH] = {};
        ASSERT_GT(GetWindowsDirectoryA(attendu, MAX_PATH), 0u);
        dossier_ = attendu;
        chemin_ = dossier_ + "\\" + NOM_FICHIER_REGLAGES;
        DeleteFileA(chemin_.c_str());
    }
    void TearDown() override { DeleteFileA(chemin_.c_str()); }

    void Ecrire(const std::string& contenu) {
        std::FILE* f = std::fopen(chemin_.c_str(), "wb");
        ASSERT_NE(f, nullptr) << chemin_;
        ASSERT_EQ(std::fwrite(contenu.data(), 1, contenu.size(), f), contenu.size());
        std::fclose(f);
    }

    std::string dossier_;
    std::string chemin_;
};

TEST_F(DossierWindows, EstLeDossierDuSystemeSansSeparateurFinal) {
    EXPECT_EQ(DossierSysteme(), dossier_);
    EXPECT_EQ(SeparateurChemin(), '\\');
}

TEST_F(DossierWindows, FichierDeReglagesDonneLaLangue) {
    LectureReglages sans = LireReglages(DossierSysteme());
    EXPECT_EQ(sans.etat, EtatReglages::Absent);
    EXPECT_EQ(sans.langue, 0);

    Ecrire("Version=3;\r\nLangue= 1 ;\r\n");
    LectureReglages lue = LireReglages(DossierSysteme());
    EXPECT_EQ(lue.etat, EtatReglages::Lu);
    EXPECT_EQ(lue.chemin, chemin_);
    EXPECT_EQ(lue.langue, 1);
}

TEST_F(DossierWindows, FichierTenuSansPartageEstIllisible) {
    Ecrire("Langue=1;");
    // Another program holds the file open and shares nothing.
    const HANDLE tenu =
        CreateFileA(chemin_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(tenu, INVALID_HANDLE_VALUE);
    const LectureReglages lecture = LireReglages(DossierSysteme());
    CloseHandle(tenu);
    EXPECT_EQ(lecture.etat, EtatReglages::Illisible);
}

}  // namespace
