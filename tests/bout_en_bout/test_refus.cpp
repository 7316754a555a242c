// A device the update refuses, over the wire: exactly one question, the right one, before any
// byte of the image is sent, and with the device released first. The other refusals and the
// replies that cannot be trusted are the sequencer's tests.
#include <gtest/gtest.h>

#include "banc_reel.h"

namespace {

TEST(RefusReel, UnAutreModeleUneSeuleQuestionEtRienDEcrit) {
    IdentiteAppareil identite = Identite(3, 7, 0);
    identite.modele = "P08";
    BancReel b;
    ASSERT_TRUE(b.Brancher(identite));
    b.Lancer();
    ASSERT_TRUE(b.AttendreQue([&] { return !b.questions.empty() || b.fenetre->Step >= ETAPE_PROGRAMMATION; }, 30000));
    ASSERT_TRUE(b.AttendreRepos());
    ASSERT_EQ(b.questions.size(), 1u);
    const QuestionVue& q = b.questions[0];
    EXPECT_TRUE(q.texte.startsWith(U("L'appareil n'est pas un appareil (Zantrel)"))) << q.texte.toStdString();
    EXPECT_EQ(q.genre, GenreQuestion::Erreur);
    EXPECT_EQ(q.boutons, BoutonsQuestion::OuiNon);
    EXPECT_EQ(q.etape, ETAPE_VERIFICATION);
    EXPECT_FALSE(q.portOuvert);
    EXPECT_FALSE(q.appareilConnecte) << "the farewell goes before the question";
    EXPECT_EQ(b.appareil->BlocsEcrits(), 0);
    EXPECT_EQ(b.fenetre->Step, ETAPE_CHOIX_PORT) << "Yes waits for another device";
    EXPECT_EQ(b.appareil->Anomalies(), std::vector<std::string>());
}

}  // namespace
