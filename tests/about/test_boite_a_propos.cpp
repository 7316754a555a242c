// The About box as the user sees it: texts in both languages, its links, its frame.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTest>

#include "about/BoiteAPropos.h"
#include "about/fabricant.h"

namespace {

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

class BoiteAPropos : public ::testing::Test {
protected:
    void SetUp() override {
        proprietaire.setGeometry(100, 80, 600, 420);
        proprietaire.show();
    }

    QString Texte(const char* nom) const { return boite.findChild<QLabel*>(nom)->text(); }
    QLabel* Label(const char* nom) const { return boite.findChild<QLabel*>(nom); }
    QPushButton* Ok() const { return boite.findChild<QPushButton*>("ButtonOk"); }

    QWidget proprietaire;
    std::vector<std::string> urls;
    bool ouvre = true;
    TFormAPropos boite{&proprietaire, [this](const std::string& url) {
                           urls.push_back(url);
                           return ouvre;
                       }};
};

}  // namespace

TEST_F(BoiteAPropos, FrenchTextsAfterConstruction) {
    EXPECT_EQ(boite.GetLanguage(), 0);
    EXPECT_EQ(boite.windowTitle(), Q("A propos de la mise à jour"));
    EXPECT_EQ(Ok()->text(), Q("&Ok"));
    EXPECT_EQ(Texte("LabelAdresse"), Q(FABRICANT_ADRESSE));
    EXPECT_EQ(Texte("LabelCodeVille"), Q(FABRICANT_CODE_VILLE));
    EXPECT_EQ(Texte("LabelPays"), Q(FABRICANT_PAYS));
    EXPECT_EQ(Texte("LabelTelephone"), Q("Tél : ") + Q(FABRICANT_TELEPHONE));
    EXPECT_EQ(Texte("LabelTelecopie"), Q("Télécopie  : ") + Q(FABRICANT_TELECOPIE));
    EXPECT_EQ(Texte("LabelNomSite"), Q("Site : ") + Q(FABRICANT_SITE));
    EXPECT_EQ(Texte("LabelMel"), Q("Mèl : ") + Q(FABRICANT_MEL));
}

TEST_F(BoiteAPropos, EnglishAndBackToFrench) {
    boite.SetLanguage(1);
    EXPECT_EQ(boite.windowTitle(), Q("About update"));
    EXPECT_EQ(Ok()->text(), Q("&Ok"));
    EXPECT_EQ(Texte("LabelAdresse"), Q(FABRICANT_ADRESSE));
    EXPECT_EQ(Texte("LabelTelephone"), Q("Phone : ") + Q(FABRICANT_TELEPHONE));
    EXPECT_EQ(Texte("LabelTelecopie"), Q("Fax : ") + Q(FABRICANT_TELECOPIE));
    EXPECT_EQ(Texte("LabelNomSite"), Q("Site : ") + Q(FABRICANT_SITE));
    EXPECT_EQ(Texte("LabelMel"), Q("Mail : ") + Q(FABRICANT_MEL));

    // Values other than 0 and 1 leave the texts alone.
    boite.SetLanguage(2);
    boite.SetLanguage(-1);
    EXPECT_EQ(boite.GetLanguage(), 1);
    EXPECT_EQ(boite.windowTitle(), Q("About update"));

    boite.SetLanguage(0);
    EXPECT_EQ(boite.windowTitle(), Q("A propos de la mise à jour"));
    EXPECT_EQ(Texte("LabelMel"), Q("Mèl : ") + Q(FABRICANT_MEL));
}

TEST_F(BoiteAPropos, EveryLineFitsInTheBox) {
    for (int langue : {1, 0}) {
        boite.SetLanguage(langue);
        for (QLabel* label : boite.findChildren<QLabel*>()) {
            if (label->objectName() == "Image1") continue;
            const int largeur = label->fontMetrics().horizontalAdvance(label->text());
            EXPECT_GE(label->width(), largeur) << label->objectName().toStdString();
            EXPECT_LE(label->x() + largeur, boite.width()) << label->objectName().toStdString();
        }
    }
}

TEST_F(BoiteAPropos, LinksHandTheirUrlToTheDesktop) {
    boite.show();
    QTest::mouseClick(Label("LabelNomSite"), Qt::LeftButton);
    QTest::mouseClick(Label("LabelMel"), Qt::LeftButton);
    // Another button is no click.
    QTest::mouseClick(Label("LabelMel"), Qt::RightButton);
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_EQ(urls[0], FABRICANT_SITE);
    EXPECT_EQ(urls[1], std::string("mailto: ") + FABRICANT_MEL);
    EXPECT_TRUE(boite.isVisible());

    // The plain labels are not links.
    QTest::mouseClick(Label("LabelTelephone"), Qt::LeftButton);
    EXPECT_EQ(urls.size(), 2u);
}

TEST_F(BoiteAPropos, FailingDesktopLeavesTheBoxOpen) {
    ouvre = false;
    boite.show();
    QTest::mouseClick(Label("LabelMel"), Qt::LeftButton);
    QTest::mouseClick(Label("LabelNomSite"), Qt::LeftButton);
    EXPECT_EQ(urls.size(), 2u);
    EXPECT_TRUE(boite.isVisible());
    EXPECT_EQ(boite.result(), 0);
}

TEST_F(BoiteAPropos, OkAndEnterClose) {
    boite.show();
    QTest::mouseClick(Ok(), Qt::LeftButton);
    EXPECT_FALSE(boite.isVisible());
    EXPECT_EQ(boite.result(), QDialog::Accepted);

    boite.setResult(0);
    boite.show();
    QTest::keyClick(&boite, Qt::Key_Return);
    EXPECT_FALSE(boite.isVisible());
    EXPECT_EQ(boite.result(), QDialog::Accepted);
    EXPECT_TRUE(urls.empty());
}

TEST_F(BoiteAPropos, FixedFrameCentredOnItsOwner) {
    boite.show();
    EXPECT_EQ(boite.size(), QSize(446, 207));
    EXPECT_EQ(boite.minimumSize(), boite.maximumSize());
    EXPECT_FALSE(boite.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(boite.windowFlags() & Qt::WindowMaximizeButtonHint);
    const QPoint ecart = boite.frameGeometry().center() - proprietaire.frameGeometry().center();
    EXPECT_LE(ecart.manhattanLength(), 4);
}

TEST_F(BoiteAPropos, LogoFitsItsFrameKeepingItsProportions) {
    QLabel* image = Label("Image1");
    const QPixmap logo = image->pixmap();
    ASSERT_FALSE(logo.isNull()) << "logo missing from the resources";
    EXPECT_EQ(logo.height(), 41);
    EXPECT_NEAR(logo.width(), 384.0 * 41 / 57, 1.0);
    EXPECT_TRUE(image->alignment() & Qt::AlignHCenter);
}
