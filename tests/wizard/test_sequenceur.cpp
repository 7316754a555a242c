// The sequencer against a device that answers at once: ticks are called directly, so a whole
// update takes no wall time. What is checked is what reaches the device and the user.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <csignal>
#include <functional>
#include <ostream>
#include <tuple>

#include <grp.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>

#include "appareil_factice.h"
#include "tests/commun/doublures.h"
#include "tests/commun/blocs_attendus.h"

namespace {

struct QuestionPosee {
    GenreQuestion genre;
    BoutonsQuestion boutons;
    QString texte;
    QString details;
    bool timerActif;
    bool portOuvert;
    int etape;
    bool appareilConnecte;
    bool verrouTenu;  // the lock against sleep
};

// Counts the close requests the window receives.
class TemoinFermeture : public QObject {
public:
    int fermetures = 0;
    bool eventFilter(QObject*, QEvent* evenement) override {
        if (evenement->type() == QEvent::Close) ++fermetures;
        return false;
    }
};

// The window on a device that answers at once, noting each question as it comes.
struct Banc : Assistant {
    std::shared_ptr<EtatAppareil> appareil;
    std::vector<QuestionPosee> questions;
    bool reponse = true;
    std::function<void()> pendantQuestion;
    TemoinFermeture temoin;

    // regles: where the package's device rule is looked for.
    explicit Banc(std::vector<std::string> regles = {REGLE_ABSENTE},
                  std::shared_ptr<EtatAppareil> a = std::make_shared<EtatAppareil>())
        : Assistant({std::make_unique<LigneAppareilFactice>(a),
                     [this](QWidget*, GenreQuestion genre, BoutonsQuestion boutons, const QString& texte,
                            const QString& details) {
                         questions.push_back({genre, boutons, texte, details, Timer()->isActive(),
                                              appareil->PortOuvert(), fenetre->Step, appareil->Connecte(),
                                              verrou->tenu});
                         if (pendantQuestion) pendantQuestion();
                         return reponse;
                     },
                     true, std::move(regles)}),
          appareil(std::move(a)) {
        fenetre->installEventFilter(&temoin);
        ports->Brancher();
    }
    ~Banc() { fenetre.reset(); }  // before what its questions and its filter use

    // Ticks until the condition holds; false when it did not within the limit.
    bool TopsJusqua(const std::function<bool()>& condition, int limite = 20000) {
        for (int i = 0; i < limite && !condition(); ++i)
            fenetre->TimerGestionSerieTimer();
        return condition();
    }
    bool TopsJusquaEtape(int etape) {
        return TopsJusqua([&] { return fenetre->Step == etape; });
    }
    bool TopsJusquaQuestion() {
        return TopsJusqua([&] { return !questions.empty(); });
    }
};

// The line that ends every question's details.
std::string VersionAssistant() {
    return "Version de l'assistant : " + std::to_string(VERSION_MAJEUR) + "." + std::to_string(VERSION_MINEUR) + "." +
           std::to_string(VERSION_REVISION);
}

// ---- notices ----

TEST(Notices, UneNoticePosteeEstTraiteeAvantLeTravailDuTopSuivant) {
    Banc b;
    b.Lancer();
    b.fenetre->TimerGestionSerieTimer();  // connected: page 7 is posted, not shown
    ASSERT_TRUE(b.appareil->Connecte());
    EXPECT_EQ(b.fenetre->Step, ETAPE_CONNEXION);
    EXPECT_EQ(b.fenetre->NoticesEnAttente(), 1u);

    const int commandes = b.appareil->Commandes();
    b.fenetre->TimerGestionSerieTimer();  // the notice, and nothing else
    EXPECT_EQ(b.fenetre->Step, ETAPE_VERIFICATION);
    EXPECT_EQ(b.fenetre->NoticesEnAttente(), 0u);
    EXPECT_EQ(b.appareil->Commandes(), commandes) << "the tick that handled a notice sent nothing";

    b.fenetre->TimerGestionSerieTimer();
    EXPECT_EQ(b.fenetre->SousEtape, 1u) << "the next tick checks the model";

    // At the end-of-file record Step is 9 until the notice is handled: no stray byte-moving tick.
    ASSERT_TRUE(b.TopsJusqua([&] { return b.fenetre->NoticesEnAttente() > 0 && b.fenetre->Step == ETAPE_ENVOI; }));
    const int avant = b.appareil->Commandes();
    b.fenetre->TimerGestionSerieTimer();
    EXPECT_EQ(b.fenetre->Step, ETAPE_LANGUE_APPAREIL);
    EXPECT_EQ(b.appareil->Commandes(), avant);
}

TEST(Notices, LaBoucleDEvenementsLesTraiteSansTop) {
    Banc b;
    b.Lancer();
    b.Timer()->stop();
    b.fenetre->TimerGestionSerieTimer();
    ASSERT_EQ(b.fenetre->NoticesEnAttente(), 1u);
    QCoreApplication::processEvents();
    EXPECT_EQ(b.fenetre->Step, ETAPE_VERIFICATION);
    EXPECT_EQ(b.fenetre->NoticesEnAttente(), 0u);
}

// A question runs a loop of its own: a tick delivered there must not move the wizard.
TEST(Notices, UnTopPendantUneQuestionNeFaitRien) {
    Banc b;
    b.appareil->options.identite.modele = "P08";
    int commandesPendant = -1;
    int etapePendant = -1;
    b.pendantQuestion = [&] {
        const int avant = b.appareil->Commandes();
        b.fenetre->TimerGestionSerieTimer();
        b.fenetre->TimerGestionSerieTimer();
        commandesPendant = b.appareil->Commandes() - avant;
        etapePendant = b.fenetre->Step;
    };
    b.Lancer();
    ASSERT_TRUE(b.TopsJusquaQuestion());
    EXPECT_EQ(commandesPendant, 0);
    EXPECT_EQ(etapePendant, ETAPE_VERIFICATION);
    EXPECT_EQ(b.fenetre->Step, ETAPE_CHOIX_PORT);
}

// ---- the checks of step 7 ----

// Each device either goes on to the transfer, or gets exactly one question, the right one,
// before any byte of the image is sent and with the device released first.
struct CasVerification {
    const char* nom;
    std::function<void(EtatAppareil&)> appareil;
    const char* question;  // the question starts with this; empty: programmed
    GenreQuestion genre;
    std::string details;  // the question's details, but for the wizard's version that ends them
};

void PrintTo(const CasVerification& cas, std::ostream* sortie) { *sortie << cas.nom; }

class Verifications : public ::testing::TestWithParam<CasVerification> {};

TEST_P(Verifications, UneQuestionAuPlusEtRienDEcrit) {
    const CasVerification& cas = GetParam();
    if (!cas.appareil) GTEST_SKIP() << "no such version next to the update's";
    Banc b;
    cas.appareil(*b.appareil);
    b.Lancer();
    ASSERT_TRUE(b.TopsJusqua([&] { return !b.questions.empty() || b.fenetre->Step == ETAPE_PROGRAMMATION; }, 200));
    b.TopsJusqua([] { return false; }, 20);  // a few more ticks: nothing asks twice
    if (*cas.question == '\0') {
        for (const QuestionPosee& q : b.questions)
            ADD_FAILURE() << q.texte.toStdString();
        EXPECT_GE(b.fenetre->Step, ETAPE_PROGRAMMATION);
        EXPECT_GT(b.appareil->Blocs(), 0);
        EXPECT_EQ(b.Label("LabelLigne3")->text(), QStringLiteral(" "));
        return;
    }
    ASSERT_EQ(b.questions.size(), 1u);
    const QuestionPosee& q = b.questions[0];
    EXPECT_TRUE(q.texte.startsWith(U(cas.question))) << q.texte.toStdString();
    EXPECT_EQ(q.boutons, BoutonsQuestion::OuiNon);
    EXPECT_EQ(q.genre, cas.genre);
    EXPECT_EQ(q.details, U((cas.details + VersionAssistant()).c_str()));
    EXPECT_EQ(q.etape, ETAPE_VERIFICATION);
    EXPECT_FALSE(q.portOuvert);
    EXPECT_FALSE(q.appareilConnecte) << "the farewell goes before the question";
    EXPECT_FALSE(q.verrouTenu);
    EXPECT_EQ(b.appareil->Blocs(), 0);
    EXPECT_EQ(b.fenetre->Step, ETAPE_CHOIX_PORT) << "Yes waits for another device";
}

// The details of a question at step 7: the sub-step, the operation and its result, then the port
// and what the device gave before.
std::string Details7(int sousEtape, const char* operation, const char* resultat, const char* lu = "") {
    return "Étape : 7 (vérification de l'appareil), sous-étape " + std::to_string(sousEtape) +
           "\nOpération : " + operation + "\nRésultat : " + resultat + "\nPort : COM33\n" + lu;
}

const char* const LU_SERIE = "Variante de l'appareil : 1\nNuméro de série : 0000004711\n";
const char* const LIRE_VERSION = "LireVersion (lecture de la version)";
const char* const NON_HEX = "100003 (ERR_REPONSE : réponse inattendue de l'appareil)";

CasVerification Version(const char* nom, unsigned majeur, unsigned mineur, unsigned revision, const char* question = "",
                        GenreQuestion genre = GenreQuestion::Information) {
    const std::string lu = LU_SERIE + ("Version de l'appareil : " + std::to_string(majeur) + "." +
                                       std::to_string(mineur) + "." + std::to_string(revision) + "\n");
    return {nom, [=](EtatAppareil& e) { e.Identite(majeur, mineur, revision, 0); }, question, genre,
            *question ? Details7(3, LIRE_VERSION, "0 (réussite)", lu.c_str()) : ""};
}

// A version next to the update's; a case without a device when there is none, or when it falls
// below the oldest version that the update takes (those have cases of their own).
CasVerification Voisine(const char* nom, std::optional<VersionAppareil> v, const char* question = "") {
    if (!v || (*question == '\0' && v->majeur < 2)) return {nom, nullptr, question, GenreQuestion::Information, ""};
    return Version(nom, v->majeur, v->mineur, v->revision, question);
}

// A reply that is no hex pair: what it would decode to is no reading of the device.
CasVerification NonHex(const char* nom, unsigned char lecture, int adresse, std::string details) {
    return {nom,
            [=](EtatAppareil& e) {
                e.options.fautes.lectureNonHex = lecture;
                e.options.fautes.adresseNonHex = unsigned(adresse);
            },
            "Un Problème de transmission s'est produit.", GenreQuestion::Erreur, std::move(details)};
}

// A stray hex digit behind the Nth command's answer is no part of the next query's value.
CasVerification Parasite(const char* nom, int commande) {
    return {nom,
            [=](EtatAppareil& e) {
                e.options.fautes.parasiteApres = commande;
                e.options.fautes.octetParasite = '1';
            },
            "", GenreQuestion::Information, ""};
}

const char* const PLUS_RECENTE = "Votre Zantrel a une mise à jour plus récente.";
const char* const INCOMPATIBLE = "L'appareil Zantrel ne peut pas être mis à jour. \n";
const char* const VARIANTE = "L'appareil n'est pas pour cette version de la mise à jour.";

INSTANTIATE_TEST_SUITE_P(
    Appareils, Verifications,
    ::testing::Values(
        Version("v2_0_0", 2, 0, 0),
        Voisine("celle_de_la_mise_a_jour", VersionAppareil{VERSION_MAJEUR, VERSION_MINEUR, VERSION_REVISION}),
        Voisine("mineure_precedente", VersionVoisine(Niveau::Mineur, -1)),
        Voisine("majeure_precedente", VersionVoisine(Niveau::Majeur, -1)),
        Voisine("revision_suivante", VersionVoisine(Niveau::Revision, 1), "Votre Zantrel a déjà cette mise à jour."),
        Voisine("mineure_suivante", VersionVoisine(Niveau::Mineur, 1), PLUS_RECENTE),
        Voisine("majeure_suivante", VersionVoisine(Niveau::Majeur, 1), PLUS_RECENTE),
        Version("v1_9_0", 1, 9, 0, INCOMPATIBLE, GenreQuestion::Erreur),
        Version("v0_0_0", 0, 0, 0, INCOMPATIBLE, GenreQuestion::Erreur),
        CasVerification{"modele", [](EtatAppareil& e) { e.options.identite.modele = "P08"; },
                        "L'appareil n'est pas un appareil (Zantrel)", GenreQuestion::Erreur,
                        Details7(0, "VerifierModele (lecture du code de modèle)",
                                 "100024 (ERR_MODELE : l'appareil n'est pas un P07)")},
        CasVerification{
            "variante0", [](EtatAppareil& e) { e.options.identite.variante = 0; }, VARIANTE, GenreQuestion::Erreur,
            Details7(1, "LireVariante (lecture de la variante)", "0 (réussite)", "Variante de l'appareil : 0\n")},
        CasVerification{
            "variante2", [](EtatAppareil& e) { e.options.identite.variante = 2; }, VARIANTE, GenreQuestion::Erreur,
            Details7(1, "LireVariante (lecture de la variante)", "0 (réussite)", "Variante de l'appareil : 2\n")},
        NonHex("modele_non_hex", protocole::CMD_LIRE_MODELE, -1,
               Details7(0, "VerifierModele (lecture du code de modèle)", NON_HEX)),
        NonHex("variante_non_hex", protocole::CMD_LIRE_VARIANTE, -1,
               Details7(1, "LireVariante (lecture de la variante)", NON_HEX)),
        NonHex("numero_serie_non_hex", protocole::CMD_LIRE_EEPROM, protocole::EEPROM_NUMERO_SERIE + 1,
               Details7(2, "LireNumeroSerie (lecture du numéro de série)", NON_HEX, "Variante de l'appareil : 1\n")),
        NonHex("version_non_hex", protocole::CMD_LIRE_EEPROM, protocole::EEPROM_MAJEUR,
               Details7(3, LIRE_VERSION, NON_HEX, LU_SERIE)),
        // Commands: 1 connection, 2 model, 3 variant, 4 to 7 serial number, 8 major version.
        Parasite("parasite_apres_modele", 2), Parasite("parasite_apres_variante", 3),
        Parasite("parasite_apres_version", 8)),
    [](const ::testing::TestParamInfo<CasVerification>& info) { return std::string(info.param.nom); });

TEST(Verification, LesQuestionsDeRefusEnEntier) {
    Banc b;
    b.appareil->options.identite.modele = "P08";
    b.Lancer();
    ASSERT_TRUE(b.TopsJusquaQuestion());
    EXPECT_EQ(b.questions[0].texte, U("L'appareil n'est pas un appareil (Zantrel) pour cette mise à jour .\n\n"
                                      "Voulez vous faire la mise à jour sur d'autre Zantrel ?"));
    EXPECT_EQ(b.questions[0].genre, GenreQuestion::Erreur);

    // The English incompatible-software question names the support's e-mail address.
    Banc en;
    en.fenetre->SetLanguage(1);
    en.appareil->Identite(1, 9, 0, 0);
    en.Lancer();
    ASSERT_TRUE(en.TopsJusquaQuestion());
    EXPECT_EQ(
        en.questions[0].texte,
        U("The Zantrel cannot updated\nThe firmware of the device is not compatible with the update.\n\r"
          " Contact our technical support on support@korvane.example.\n\n\rDo you want updating another Zantrel?"));
    EXPECT_EQ(en.questions[0].genre, GenreQuestion::Erreur);

    Banc fr;
    fr.appareil->Identite(0, 0, 0, 0);
    fr.Lancer();
    ASSERT_TRUE(fr.TopsJusquaQuestion());
    EXPECT_TRUE(fr.questions[0].texte.contains(U("(tél. : +33 (0)4 65 71 20 10.\n\nVoulez vous")));
}

TEST(Verification, UneVarianteAutreQue1EstRefuseeSansConstruireLaTable) {
    for (unsigned variante : {0u, 2u}) {
        Banc b;
        b.appareil->options.identite.variante = variante;
        b.Lancer();
        ASSERT_TRUE(b.TopsJusquaQuestion());
        EXPECT_EQ(b.questions.size(), 1u);
        EXPECT_TRUE(b.questions[0].texte.startsWith(U("L'appareil n'est pas pour cette version")));
        EXPECT_EQ(b.fenetre->Parcours().NombreEnregistrements(), 0);
    }
}

TEST(Verification, LeNumeroDeSerieSurDixChiffres) {
    Banc b;
    b.Lancer();
    ASSERT_TRUE(b.TopsJusqua([&] { return b.fenetre->SousEtape == 3; }, 50));
    EXPECT_EQ(b.Label("LabelLigne2")->text(), U("Le numéro de série de l'appareil est le : 0000004711"));
    EXPECT_FALSE(b.Label("LabelLigne2")->isHidden());
}

// ---- questions: the timer and the port around them, and one per notice ----

TEST(Questions, LeTimerEstArreteEtLePortFermePendantLaQuestion) {
    for (bool oui : {true, false}) {
        Banc b;
        b.reponse = oui;
        b.appareil->options.fautes.silencieuxDepuis = 4;  // the serial number read goes unanswered
        b.Lancer();
        ASSERT_TRUE(b.TopsJusquaQuestion());
        if (oui) b.TopsJusqua([] { return false; }, 30);
        ASSERT_EQ(b.questions.size(), 1u) << "one question, however many ticks follow";
        const QuestionPosee& q = b.questions[0];
        EXPECT_EQ(q.texte.left(42), U("Un Problème de transmission s'est produit."));
        EXPECT_EQ(q.genre, GenreQuestion::Erreur);
        EXPECT_FALSE(q.timerActif);
        EXPECT_FALSE(q.portOuvert);
        EXPECT_FALSE(q.verrouTenu) << "the computer may sleep again while the user reads";
        EXPECT_EQ(q.etape, ETAPE_VERIFICATION);
        if (oui) {
            EXPECT_EQ(b.fenetre->Step, ETAPE_CHOIX_PORT);
            EXPECT_TRUE(b.Timer()->isActive());
            EXPECT_EQ(b.temoin.fermetures, 0);
        } else {
            EXPECT_FALSE(b.Timer()->isActive()) << "the window is closing";
            EXPECT_EQ(b.temoin.fermetures, 1);
        }
    }
}

TEST(Questions, UneRaisonInconnueNePoseRienEtRelanceLeTimer) {
    Banc b;
    b.Lancer();
    b.fenetre->TimerGestionSerieTimer();
    b.fenetre->TimerGestionSerieTimer();
    ASSERT_EQ(b.fenetre->Step, ETAPE_VERIFICATION);
    b.Timer()->stop();
    b.fenetre->OnRefusAppareil(MessageFenetre{TFormMj::MSG_REFUS_APPAREIL, 5, 0});
    EXPECT_TRUE(b.questions.empty());
    EXPECT_TRUE(b.Timer()->isActive());
    EXPECT_FALSE(b.appareil->PortOuvert());
}

// The device never answers: after the twentieth attempt the user is told, once, with the port
// closed and no attempt behind the box, and the wizard waits on page 5.
TEST(Questions, LEtape6AbandonneApresVingtEssais) {
    Banc b;
    b.appareil->options.fautes.silencieuxDepuis = 1;
    int commandesPendant = -1;
    b.pendantQuestion = [&] {
        const int avant = b.appareil->Commandes();
        b.fenetre->TimerGestionSerieTimer();
        commandesPendant = b.appareil->Commandes() - avant;
    };
    b.Lancer();
    for (int essai = 1; essai < 20; ++essai)
        b.fenetre->TimerGestionSerieTimer();
    EXPECT_EQ(b.appareil->Commandes(), 19);
    EXPECT_TRUE(b.questions.empty());
    b.fenetre->TimerGestionSerieTimer();
    EXPECT_EQ(b.appareil->Commandes(), 20);
    b.fenetre->TimerGestionSerieTimer();
    ASSERT_EQ(b.questions.size(), 1u);
    const QuestionPosee& q = b.questions[0];
    EXPECT_EQ(q.boutons, BoutonsQuestion::Ok);
    EXPECT_EQ(q.genre, GenreQuestion::Erreur);
    EXPECT_TRUE(q.texte.startsWith(U("Echec à la connexion :\n   - Soit le Zantrel n'a pas été connecté")));
    EXPECT_TRUE(q.texte.contains(U("  - Soit le Zantrel n'a pas été mis en marche. \n")));
    EXPECT_EQ(q.details,
              U(("Étape : 6 (connexion)\nOpération : Connecter (demande de connexion au chargeur de l'appareil)\n"
                 "Résultat : 100002 (ERR_DELAI : l'appareil n'a pas répondu à temps)\nPort : COM33\n" +
                 VersionAssistant())
                    .c_str()));
    EXPECT_FALSE(q.timerActif);
    EXPECT_FALSE(q.portOuvert);
    EXPECT_EQ(commandesPendant, 0);
    EXPECT_EQ(b.fenetre->Step, ETAPE_CHOIX_PORT);
    EXPECT_TRUE(b.Timer()->isActive());
    b.TopsJusqua([] { return false; }, 10);
    EXPECT_EQ(b.appareil->Commandes(), 20);
}

// The details speak only of the device plugged for this attempt: what the one before gave is
// forgotten, whether the next one fails before its serial number or does not answer at all.
TEST(Questions, LesDetailsNeParlentQueDeLAppareilBranche) {
    for (bool allume : {true, false}) {
        Banc b;
        b.appareil->Identite(1, 9, 0, 0);  // read to its version, then refused
        b.Lancer();
        ASSERT_TRUE(b.TopsJusquaQuestion());
        ASSERT_TRUE(b.questions[0].details.contains(U("Numéro de série : 0000004711")));
        *b.appareil = EtatAppareil();
        // Off: nothing ever comes back; on: the serial number read goes unanswered.
        b.appareil->options.fautes.silencieuxDepuis = allume ? 4 : 1;
        b.fenetre->ButtonSuivantClick();
        ASSERT_TRUE(b.TopsJusqua([&] { return b.questions.size() == 2; }, 200));
        const QString& d = b.questions[1].details;
        EXPECT_EQ(d.contains(U("Variante de l'appareil : 1\n")), allume) << d.toStdString();
        EXPECT_FALSE(d.contains(U("Numéro de série"))) << d.toStdString();
        EXPECT_FALSE(d.contains(U("Version de l'appareil"))) << d.toStdString();
    }
}

// Cancel on page 6: back to page 5, and the ticks make no further attempt.
TEST(Questions, AnnulerSurLaPage6ArreteLesEssais) {
    Banc b;
    b.appareil->options.fautes.silencieuxDepuis = 1;
    b.Lancer();
    b.fenetre->TimerGestionSerieTimer();
    ASSERT_EQ(b.appareil->Commandes(), 1);
    b.fenetre->ButtonPrecedantClick();
    ASSERT_EQ(b.fenetre->Step, ETAPE_CHOIX_PORT);
    b.TopsJusqua([] { return false; }, 30);
    EXPECT_EQ(b.appareil->Commandes(), 1);
    EXPECT_EQ(b.Timer()->interval(), INTERVALLE_TRAVAIL_MS);
    EXPECT_TRUE(b.questions.empty());
}

// A port that could not be opened: the box says why, in the wizard's language; a failure of
// another kind adds nothing. A refused port names a group to join only when that group may read
// and write it and is not root; once the package's rule is installed, replugging is the remedy.
TEST(Questions, LEchecDOuvertureDitPourquoi) {
    char nom[] = "/tmp/zantrel-portXXXXXX";
    const int fichier = mkstemp(nom);  // inherited by the holder below
    ASSERT_GE(fichier, 0);
    const std::string port = nom;
    pid_t detenteur = 0;
    char* arguments[] = {const_cast<char*>("sleep"), const_cast<char*>("60"), nullptr};
    ASSERT_EQ(posix_spawnp(&detenteur, "sleep", nullptr, nullptr, arguments, environ), 0);
    close(fichier);
    const std::string refuse = "Le port " + port + " ne peut pas être ouvert : l'accès vous est refusé. ";
    const std::string denied = "The port " + port + " cannot be opened: access is denied. ";
    const struct {
        int resultat, langue;
        const char* groupe;  // the node's group, root owning it; nullptr: left as made
        mode_t mode;
        bool regle;  // the package's device rule installed
        std::string paragraphe;
        // The details' result line starts with this (French system texts need a French locale).
        const char* ligneResultat;
    } cas[] = {
        {EACCES, 1, "root", 0600, false,
         denied + "Install the zantrel package, whose device rule gives the desktop user access to the port.",
         "Result: 13 (system error: Permission denied)"},
        {EACCES, 0, "root", 0660, false,
         refuse + "Installez le paquet zantrel, dont la règle de périphérique donne l'accès à l'utilisateur du bureau.",
         "Résultat : 13 (erreur système : "},
        {EACCES, 0, "dialout", 0660, false,
         refuse + "Ce port appartient au groupe « dialout ». Ajoutez votre compte à ce groupe "
                  "(commande : sudo usermod -a -G dialout $USER), puis fermez votre session et reconnectez-vous ; "
                  "ou bien installez le paquet zantrel, dont la règle de périphérique donne l'accès à l'utilisateur "
                  "du bureau.",
         "Résultat : 13 ("},
        {EACCES, 1, "dialout", 0660, false,
         denied + "The port belongs to the group \"dialout\". Add your account to that group "
                  "(command: sudo usermod -a -G dialout $USER), then log out and log in again; or install the "
                  "zantrel package, whose device rule gives the desktop user access to the port.",
         "Result: 13 ("},
        {EACCES, 1, "dialout", 0640, false,
         denied + "Install the zantrel package, whose device rule gives the desktop user access to the port.",
         "Result: 13 ("},
        {EACCES, 0, "dialout", 0660, true,
         refuse + "Débranchez le Zantrel puis rebranchez-le : la règle de périphérique du paquet "
                  "zantrel donnera alors l'accès à l'utilisateur du bureau.",
         "Résultat : 13 ("},
        {EACCES, 1, "root", 0600, true,
         denied + "Unplug the Zantrel and plug it in again: the zantrel package's device rule then "
                  "gives the desktop user access to the port.",
         "Result: 13 ("},
        {EBUSY, 0, nullptr, 0600, false,
         "Le port " + port +
             " est déjà utilisé par un autre programme : sleep. Fermez ce programme, puis essayez de nouveau.",
         "Résultat : 16 (erreur système : "},
        {ENOENT, 1, nullptr, 0600, false,
         "The port " + port + " has disappeared: the Zantrel was unplugged. Plug it in again, then try again.",
         "Result: 2 (system error: No such file or directory)"},
        {ERR_DELAI, 0, nullptr, 0600, false, "", "Résultat : 100002 (ERR_DELAI : l'appareil n'a pas répondu à temps)"},
    };
    bool sansRoot = false;
    for (const auto& c : cas) {
        if (c.groupe) {
            const group* g = getgrnam(c.groupe);
            if (!g || chown(nom, 0, g->gr_gid) != 0) {
                sansRoot = true;  // giving the node to root takes root
                continue;
            }
        }
        ASSERT_EQ(chmod(nom, c.mode), 0);
        // Any regular file stands for the installed rule.
        Banc b(c.regle ? std::vector<std::string>{REGLE_ABSENTE, port} : std::vector<std::string>{REGLE_ABSENTE});
        b.fenetre->SetLanguage(c.langue);
        b.appareil->chemin = port;
        b.fenetre->OnEchecConnexion(MessageFenetre{TFormMj::MSG_ECHEC_CONNEXION, c.resultat, 0});
        const QString fin = U(c.langue ? "in the list.\n" : "dans la liste.\n") +
                            (c.paragraphe.empty() ? QString() : "\n" + U(c.paragraphe.c_str()) + "\n");
        EXPECT_TRUE(!b.questions.empty() && b.questions[0].texte.endsWith(fin))
            << c.resultat << ' ' << (c.groupe ? c.groupe : "") << ' ' << c.regle << '\n'
            << (b.questions.empty() ? "" : b.questions[0].texte.toStdString());
        // The details: the result, and the device file behind the COM port.
        const QStringList details = b.questions.empty() ? QStringList() : b.questions[0].details.split('\n');
        EXPECT_TRUE(std::any_of(details.begin(), details.end(), [&](const QString& l) {
            return l.startsWith(U(c.ligneResultat));
        })) << details.join('\n').toStdString();
        EXPECT_TRUE(std::any_of(details.begin(), details.end(), [&](const QString& l) {
            return l.endsWith(U((" (" + port + ")").c_str()));
        })) << details.join('\n').toStdString();
    }
    kill(detenteur, SIGKILL);
    waitpid(detenteur, nullptr, 0);
    unlink(nom);
    if (sansRoot) GTEST_SKIP() << "the rows of a node owned by root need root";
}

// ---- the update as a whole, and its failures ----

TEST(MiseAJour, DuPremierEnregistrementALaPage12) {
    Banc b;
    b.fenetre->SetLanguage(1);
    b.Lancer();
    // The computer is kept awake from the checks on: after the connection, before the first check.
    ASSERT_TRUE(b.TopsJusqua([&] { return b.verrou->tenu; }, 10));
    EXPECT_EQ(b.fenetre->Step, ETAPE_VERIFICATION);
    EXPECT_EQ(b.fenetre->SousEtape, 0u);
    EXPECT_EQ(b.verrou->qui, "Zantrel");
    EXPECT_EQ(b.verrou->pourquoi, "Zantrel update in progress: the computer must not sleep or shut down.");
    // A close refused during the transfer says why on the page.
    ASSERT_TRUE(b.TopsJusquaEtape(ETAPE_PROGRAMMATION));
    QCloseEvent fermeture;
    QCoreApplication::sendEvent(b.fenetre.get(), &fermeture);
    EXPECT_FALSE(fermeture.isAccepted());
    QLabel* pourquoi = b.Label("LabelFermetureRefusee");
    EXPECT_FALSE(pourquoi->isHidden());
    EXPECT_EQ(pourquoi->text(), U("Update in progress: the window can be closed once the Zantrel is released."));
    ASSERT_TRUE(b.TopsJusquaEtape(ETAPE_DECONNEXION));
    EXPECT_TRUE(b.verrou->tenu);
    EXPECT_EQ(b.appareil->Blocs(), BlocsDeLImage());
    EXPECT_EQ(b.Label("LabelBarreProgression")->text(), QStringLiteral("Update progression : 100.0 %"));
    const auto eeprom = b.appareil->Eeprom();
    EXPECT_EQ(eeprom[protocole::EEPROM_MAJEUR], VERSION_MAJEUR);
    EXPECT_EQ(eeprom[protocole::EEPROM_MINEUR], VERSION_MINEUR);
    EXPECT_EQ(eeprom[protocole::EEPROM_REVISION], VERSION_REVISION);
    EXPECT_EQ(eeprom[protocole::EEPROM_LANGUE], 1) << "an unset language byte takes the user's";

    // Release: line 4 turns enabled on the fifth tick, page 12 follows three ticks later.
    QLabel* ligne4 = b.Label("LabelLigne4");
    for (int top = 0; top < 4; ++top) {
        b.fenetre->TimerGestionSerieTimer();
        EXPECT_FALSE(ligne4->isEnabled()) << top;
    }
    EXPECT_FALSE(b.appareil->PortOuvert());
    EXPECT_FALSE(b.verrou->tenu) << "released with the device";
    EXPECT_TRUE(pourquoi->isHidden());
    b.fenetre->TimerGestionSerieTimer();
    EXPECT_TRUE(ligne4->isEnabled());
    EXPECT_EQ(b.Timer()->interval(), INTERVALLE_ATTENTE_MS);
    for (int top = 0; top < 3; ++top)
        b.fenetre->TimerGestionSerieTimer();
    EXPECT_EQ(b.fenetre->Step, ETAPE_DECONNEXION);
    b.fenetre->TimerGestionSerieTimer();
    EXPECT_EQ(b.fenetre->Step, ETAPE_REUSSITE);
    EXPECT_TRUE(b.questions.empty());
    EXPECT_EQ(b.verrou->prises, 1);
    const int commandes = b.appareil->Commandes();
    b.TopsJusqua([] { return false; }, 10);
    EXPECT_EQ(b.appareil->Commandes(), commandes) << "the device saw nothing more";

    // Yes: the next device, from the first record again.
    *b.appareil = EtatAppareil();
    b.fenetre->ButtonPrecedantClick();
    ASSERT_EQ(b.fenetre->Step, ETAPE_CHOIX_PORT);
    EXPECT_EQ(b.Timer()->interval(), INTERVALLE_ATTENTE_MS);
    b.fenetre->ButtonSuivantClick();
    ASSERT_TRUE(b.TopsJusquaEtape(ETAPE_REUSSITE));
    EXPECT_EQ(b.appareil->Blocs(), BlocsDeLImage());
    EXPECT_TRUE(b.questions.empty());
}

// Step 10: a language of 0 or 1 is kept, anything from 2 up takes the user's, and a byte that
// cannot be read is left alone; the update ends on page 12 all the same.
TEST(MiseAJour, LOctetDeLangue) {
    using protocole::EEPROM_LANGUE;
    const struct {
        const char* nom;
        unsigned avant, langue;
        std::function<void(EtatAppareil&)> faute;
        unsigned apres;
    } cas[] = {
        {"English kept", 1, 0, nullptr, 1},
        {"2 takes French", 2, 0, nullptr, 0},
        {"255 takes English", 255, 1, nullptr, 1},
        {"garbled", 2, 1,
         [](EtatAppareil& e) {
             e.options.fautes.lectureNonHex = protocole::CMD_LIRE_EEPROM;
             e.options.fautes.adresseNonHex = EEPROM_LANGUE;
         },
         2},
        {"unanswered", 2, 1, [](EtatAppareil& e) { e.Refuser(protocole::CMD_LIRE_EEPROM, EEPROM_LANGUE, 1, 0, true); },
         2},
    };
    for (const auto& c : cas) {
        Banc b;
        b.fenetre->SetLanguage(int(c.langue));
        b.appareil->Identite(3, 7, 0, c.avant);
        if (c.faute) c.faute(*b.appareil);
        b.Lancer();
        ASSERT_TRUE(b.TopsJusquaEtape(ETAPE_REUSSITE)) << c.nom << ": stopped at step " << b.fenetre->Step;
        EXPECT_TRUE(b.questions.empty()) << c.nom;
        EXPECT_EQ(b.appareil->Eeprom()[EEPROM_LANGUE], c.apres) << c.nom;
        if (c.avant == c.apres) {
            EXPECT_EQ(b.appareil->EcrituresA(EEPROM_LANGUE), 0) << c.nom << ": nothing written";
        }
    }
}

// Any write refused from the first block to the end of programming stops the update with the
// transmission-problem question: never the success page. Its details say where it stopped.
TEST(MiseAJour, UneEcritureRefuseeNeFinitJamaisSurLaReussite) {
    const std::vector<std::tuple<const char*, std::function<void(EtatAppareil&)>, const char*>> fautes = {
        {"block", [](EtatAppareil& e) { e.Refuser(protocole::CMD_ECRIRE_BLOC, -1, BlocsDeLImage() / 2, 1); },
         "Étape : 9 (transfert du programme)\nOpération : EcrireBloc (écriture d'un bloc de mémoire programme)"},
        {"version", [](EtatAppareil& e) { e.Refuser(protocole::CMD_ECRIRE_EEPROM, protocole::EEPROM_MINEUR); },
         "Étape : 9 (transfert du programme)\nOpération : EcrireVersion (écriture de la version)"},
        {"language byte", [](EtatAppareil& e) { e.Refuser(protocole::CMD_ECRIRE_EEPROM, protocole::EEPROM_LANGUE); },
         "Étape : 10 (octet de langue)\nOpération : EcrireEeprom (écriture d'un octet d'EEPROM)"},
        {"end of programming", [](EtatAppareil& e) { e.Refuser(protocole::CMD_TERMINER); },
         "Étape : 11 (fin de la programmation), sous-étape 0\nOpération : TerminerProgrammation (fin de la "
         "programmation)"},
    };
    for (const auto& [nom, faute, details] : fautes) {
        Banc b;
        faute(*b.appareil);
        b.Lancer();
        ASSERT_TRUE(b.TopsJusquaQuestion()) << nom;
        b.TopsJusqua([] { return false; }, 30);
        ASSERT_EQ(b.questions.size(), 1u) << nom;
        EXPECT_TRUE(b.questions[0].texte.startsWith(U("Un Problème de transmission"))) << nom;
        EXPECT_FALSE(b.questions[0].portOuvert) << nom;
        const QString& d = b.questions[0].details;
        EXPECT_TRUE(d.startsWith(U(details) + U("\nRésultat : 100003 (ERR_REPONSE : réponse inattendue de l'appareil)\n"
                                                "Port : COM33\nTransfert : enregistrement ")))
            << d.toStdString();
        EXPECT_TRUE(d.endsWith(U(LU_SERIE) + U("Version de l'appareil : 3.7.0\n") + U(VersionAssistant().c_str())))
            << d.toStdString();
        EXPECT_EQ(d.contains(U(", bloc à l'adresse 0x")), std::string(nom) == "block") << d.toStdString();
        EXPECT_EQ(b.fenetre->Step, ETAPE_CHOIX_PORT) << nom << ": Yes waits for the next attempt";
        // Page 5 as the user sees it: Connection offered, and its invitation line not greyed.
        EXPECT_TRUE(b.fenetre->findChild<QPushButton*>(QStringLiteral("ButtonSuivant"))->isEnabled()) << nom;
        EXPECT_TRUE(b.Label("LabelLigne4")->isEnabled() && !b.Label("LabelLigne4")->isHidden()) << nom;
        if (std::string(nom) == "block") {
            EXPECT_EQ(b.appareil->Blocs(), BlocsDeLImage() / 2 - 1);
        }
        if (std::string(nom) == "end of programming") {
            EXPECT_EQ(b.questions[0].etape, ETAPE_DECONNEXION);
        }
    }
}

// After Yes the next attempt starts at the first record with an empty block.
TEST(MiseAJour, UneNouvelleTentativeRepartDuPremierEnregistrement) {
    Banc b;
    b.appareil->Refuser(protocole::CMD_ECRIRE_BLOC, -1, BlocsDeLImage() / 2, 1);
    b.Lancer();
    ASSERT_TRUE(b.TopsJusquaQuestion());
    ASSERT_EQ(b.fenetre->Step, ETAPE_CHOIX_PORT);
    const int avant = b.appareil->Blocs();
    b.fenetre->ButtonSuivantClick();
    EXPECT_EQ(b.fenetre->Parcours().IndexCourant(), 0);
    ASSERT_TRUE(b.TopsJusquaEtape(ETAPE_DECONNEXION));
    EXPECT_EQ(b.appareil->Blocs() - avant, BlocsDeLImage());
    EXPECT_EQ(b.questions.size(), 1u);
}

// ---- power cuts ----

// The power goes at each phase, just after the device took a command or with the command lost;
// flash and EEPROM keep what they hold. Whatever the first run then showed, the next run must
// accept the device as the cut left it and give it the whole update. The table is printed.
TEST(AChaquePhase, Coupures) {
    using namespace protocole;
    using Version = std::array<unsigned, 3>;
    const Version mise{unsigned(VERSION_MAJEUR), unsigned(VERSION_MINEUR), unsigned(VERSION_REVISION)};
    Banc reference;
    reference.Lancer();
    ASSERT_TRUE(reference.TopsJusquaEtape(ETAPE_REUSSITE));
    const std::vector<std::uint8_t> memoire = reference.appareil->A().MemoireProgramme();
    const std::vector<std::uint8_t> eeprom = reference.appareil->Eeprom();
    const int blocs = reference.appareil->Blocs();

    struct Coupure {
        std::string phase;
        unsigned char commande;
        long adresse;
        int nieme;
        bool prise;
        Version depuis;
        bool blocRefuse;  // the first block is refused once, so that a farewell follows
    };
    const Version v370{3, 7, 0};
    std::vector<Coupure> coupures;
    for (bool prise : {true, false}) {
        for (const auto& [phase, commande, adresse, nieme] :
             std::vector<std::tuple<const char*, unsigned char, long, int>>{
                 {"connection", CMD_CONNEXION, -1, 1},
                 {"check: model", CMD_LIRE_MODELE, -1, 1},
                 {"check: variant", CMD_LIRE_VARIANTE, -1, 1},
                 {"check: serial number", CMD_LIRE_EEPROM, EEPROM_NUMERO_SERIE, 1},
                 {"check: version", CMD_LIRE_EEPROM, EEPROM_MAJEUR, 1},
                 {"rate change", CMD_VITESSE, -1, 1},
                 {"programming", CMD_PROGRAMMATION, -1, 1},
                 {"prepare", CMD_PREPARER, -1, 1},
                 {"first block", CMD_ECRIRE_BLOC, -1, 1},
                 {"middle block", CMD_ECRIRE_BLOC, -1, (blocs + 1) / 2},
                 {"last block", CMD_ECRIRE_BLOC, -1, blocs},
                 {"language: read", CMD_LIRE_EEPROM, EEPROM_LANGUE, 1},
                 {"language: write", CMD_ECRIRE_EEPROM, EEPROM_LANGUE, 1},
                 {"end: back to 9600", CMD_VITESSE, -1, 2},
                 {"end of programming", CMD_TERMINER, -1, 1}})
            coupures.push_back({phase, commande, adresse, nieme, prise, v370, false});
        coupures.push_back({"farewell", CMD_AU_REVOIR, -1, 1, prise, v370, true});
    }
    for (const Version& depuis :
         {Version{2, 0, 0}, Version{2, 9, 5}, Version{3, 0, 255}, Version{3, 7, 2}, Version{3, 7, 255}, mise})
        for (int adresse : {EEPROM_REVISION, EEPROM_MINEUR, EEPROM_MAJEUR})
            coupures.push_back({"stamp", CMD_ECRIRE_EEPROM, adresse, 1, true, depuis, false});
    coupures.push_back({"stamp", CMD_ECRIRE_EEPROM, EEPROM_REVISION, 1, false, Version{2, 9, 5}, false});

    const auto texteVersion = [](unsigned a, unsigned b, unsigned c) {
        return std::to_string(a) + '.' + std::to_string(b) + '.' + std::to_string(c);
    };
    std::printf("%-22s %-6s %-5s %-9s %-9s %-44s %s\n", "cut at", "EEPROM", "taken", "version", "after cut",
                "first run", "second run");
    for (const Coupure& c : coupures) {
        SCOPED_TRACE(c.phase + (c.adresse >= 0 ? " at " + std::to_string(c.adresse) : "") +
                     (c.prise ? " taken" : " lost") + " from " + texteVersion(c.depuis[0], c.depuis[1], c.depuis[2]));
        Banc b;
        b.appareil->Identite(c.depuis[0], c.depuis[1], c.depuis[2], 0xFF);
        FautesAppareil& f = b.appareil->options.fautes;
        f.commandeCoupure = c.commande;
        f.adresseCoupure = c.adresse;
        f.coupureA = c.nieme;
        f.coupureApresPrise = c.prise;
        if (c.blocRefuse) b.appareil->Refuser(CMD_ECRIRE_BLOC, -1, 1, 1);
        b.Lancer();
        const auto attente = [&] {
            return b.fenetre->Step == ETAPE_REUSSITE || (b.fenetre->Step == ETAPE_CHOIX_PORT && !b.questions.empty());
        };
        if (!b.TopsJusqua(attente)) {
            ADD_FAILURE() << "first run stopped at step " << b.fenetre->Step;
            continue;
        }
        std::string premier = "page 12";
        if (!b.questions.empty())
            premier = "question at step " + std::to_string(b.questions[0].etape) + ": " +
                      b.questions[0].texte.left(24).toStdString();
        const std::vector<std::uint8_t> apres = b.appareil->Eeprom();
        if (b.questions.empty()) {
            EXPECT_TRUE(b.appareil->A().ProgrammationTerminee() && b.appareil->A().MemoireProgramme() == memoire)
                << "page 12 for a device not finished";
        }
        const std::string versionApres =
            texteVersion(apres[EEPROM_MAJEUR], apres[EEPROM_MINEUR], apres[EEPROM_REVISION]);

        if (b.fenetre->Step == ETAPE_REUSSITE) b.fenetre->ButtonPrecedantClick();
        const std::size_t questions = b.questions.size();
        const int blocsAvant = b.appareil->Blocs();
        b.fenetre->ButtonSuivantClick();
        const bool fini = b.TopsJusquaEtape(ETAPE_REUSSITE);
        EXPECT_TRUE(fini && b.questions.size() == questions)
            << "second run stopped at step " << b.fenetre->Step << ", "
            << (b.questions.size() > questions ? b.questions.back().texte.toStdString() : "");
        EXPECT_EQ(b.appareil->Blocs() - blocsAvant, blocs);
        EXPECT_TRUE(b.appareil->A().MemoireProgramme() == memoire) << "program memory is not the image's";
        EXPECT_EQ(b.appareil->Eeprom(), eeprom) << "stamp or language";
        EXPECT_TRUE(b.appareil->A().ProgrammationTerminee());
        EXPECT_EQ(b.appareil->A().Anomalies(), std::vector<std::string>());
        std::printf("%-22s %-6s %-5s %-9s %-9s %-44s %s\n", c.phase.c_str(),
                    c.adresse >= 0 ? std::to_string(c.adresse).c_str() : "", c.prise ? "yes" : "no",
                    texteVersion(c.depuis[0], c.depuis[1], c.depuis[2]).c_str(), versionApres.c_str(), premier.c_str(),
                    fini ? ("whole update, " + std::to_string(b.appareil->Blocs() - blocsAvant) + " blocks").c_str()
                         : "stopped");
    }
}

}  // namespace
