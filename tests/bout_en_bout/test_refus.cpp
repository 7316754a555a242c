// Devices the update refuses, or whose replies cannot be trusted: each gets exactly one
// question, the right one, before any byte of the image is sent, and with the device released
// first.
#include <gtest/gtest.h>

#include <ostream>

#include "banc_reel.h"
#include "link/protocole.h"

namespace {

struct CasRefus {
    const char* nom;
    IdentiteAppareil identite;
    GenreQuestion genre;
    const char* debut;  // the question starts with this
    FautesAppareil fautes = {};
};

IdentiteAppareil AutreModele()
{
    IdentiteAppareil identite = Identite(3, 7, 0);
    identite.modele = "P08";
    return identite;
}

IdentiteAppareil Variante(unsigned variante)
{
    IdentiteAppareil identite = Identite(3, 7, 0);
    identite.variante = variante;
    return identite;
}

void PrintTo(const CasRefus& cas, std::ostream* sortie)
{
    *sortie << cas.nom;
}

class RefusReel : public ::testing::TestWithParam<CasRefus> {};

TEST_P(RefusReel, UneSeuleQuestionEtRienDEcrit)
{
    const CasRefus& cas = GetParam();
    BancReel b;
    ASSERT_TRUE(b.Brancher(cas.identite, cas.fautes));
    b.Lancer();
    ASSERT_TRUE(b.AttendreQue([&] { return !b.questions.empty() || b.fenetre->Step >= 8; }, 30000));
    b.AttendreQue([] { return false; }, 500);
    ASSERT_EQ(b.questions.size(), 1u);
    const QuestionVue& q = b.questions[0];
    EXPECT_TRUE(q.texte.startsWith(U(cas.debut))) << q.texte.toStdString();
    EXPECT_EQ(q.genre, cas.genre);
    EXPECT_EQ(q.boutons, BoutonsQuestion::OuiNon);
    EXPECT_EQ(q.etape, 7);
    EXPECT_FALSE(q.portOuvert);
    EXPECT_FALSE(q.appareilConnecte) << "the farewell goes before the question";
    EXPECT_EQ(b.appareil->BlocsEcrits(), 0);
    EXPECT_EQ(b.fenetre->Step, 5) << "Yes waits for another device";
    EXPECT_EQ(b.appareil->Anomalies(), std::vector<std::string>());
}

const char* const PLUS_RECENTE = "Votre Zantrel a une mise à jour plus récente.";
const char* const INCOMPATIBLE = "L'appareil Zantrel ne peut pas être mis à jour. \n";
const char* const VARIANTE = "L'appareil n'est pas pour cette version de la mise à jour.";
const char* const TRANSMISSION = "Un Problème de transmission s'est produit.";

// A reply to this read that is no hex pair: what it would decode to is no reading of the device.
CasRefus NonHex(const char* nom, unsigned char lecture, unsigned adresse = 0)
{
    CasRefus cas{nom, Identite(3, 7, 0), GenreQuestion::Erreur, TRANSMISSION};
    cas.fautes.lectureNonHex = lecture;
    cas.fautes.adresseNonHex = adresse;
    return cas;
}

INSTANTIATE_TEST_SUITE_P(
    Appareils, RefusReel,
    ::testing::Values(
        CasRefus{"modele", AutreModele(), GenreQuestion::Erreur, "L'appareil n'est pas un appareil (Zantrel)"},
        CasRefus{"variante0", Variante(0), GenreQuestion::Erreur, VARIANTE},
        CasRefus{"variante2", Variante(2), GenreQuestion::Erreur, VARIANTE},
        CasRefus{"v3_8_1", Identite(3, 8, 1), GenreQuestion::Information, "Votre Zantrel a déjà cette mise à jour."},
        CasRefus{"v3_9_0", Identite(3, 9, 0), GenreQuestion::Information, PLUS_RECENTE},
        CasRefus{"v4_0_0", Identite(4, 0, 0), GenreQuestion::Information, PLUS_RECENTE},
        CasRefus{"v1_9_0", Identite(1, 9, 0), GenreQuestion::Erreur, INCOMPATIBLE},
        CasRefus{"v0_0_0", Identite(0, 0, 0), GenreQuestion::Erreur, INCOMPATIBLE},
        NonHex("modele_non_hex", protocole::CMD_LIRE_MODELE),
        NonHex("variante_non_hex", protocole::CMD_LIRE_VARIANTE),
        NonHex("numero_serie_non_hex", protocole::CMD_LIRE_EEPROM, protocole::EEPROM_NUMERO_SERIE + 1),
        NonHex("version_non_hex", protocole::CMD_LIRE_EEPROM, protocole::EEPROM_MAJEUR)),
    [](const ::testing::TestParamInfo<CasRefus>& info) { return std::string(info.param.nom); });

// The return to 9600 answered late, or followed by a stray byte: the end of programming is not
// confirmed, so the transmission question comes at step 11 and the success page never does.
TEST(FinReelle, SansAcquitDeLaFinDeProgrammationPasDeReussite)
{
    for (const bool parasite : {false, true}) {
        SCOPED_TRACE(parasite ? "stray byte" : "late answer");
        FautesAppareil fautes;
        fautes.vitesseFautive = 9600;
        fautes.retardVitesseMs = parasite ? 0 : 1500;  // past the PC's read
        fautes.octetParasite = parasite;
        BancReel b;
        ASSERT_TRUE(b.Brancher(Identite(3, 7, 0), fautes));
        b.Lancer();
        ASSERT_TRUE(b.AttendreQue([&] { return !b.questions.empty() || b.fenetre->Step == 12; }, 120000));
        b.AttendreQue([] { return false; }, 500);
        EXPECT_EQ(b.questions.size(), 1u);
        for (const QuestionVue& q : b.questions)
            EXPECT_TRUE(q.etape == 11 && q.texte.startsWith(U(TRANSMISSION))) << q.etape << q.texte.toStdString();
        EXPECT_EQ(b.fenetre->Step, 5) << "Yes waits for another device";
    }
}

}  // namespace
