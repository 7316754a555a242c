// Block frames: stored unscrambled when good, refused and not stored when not.
#include "tests/sim/appareil_test.h"

#include <algorithm>

using namespace protocole;
using namespace temps_appareil;

namespace {

using Blocs = AppareilTest;

bool Efface(const std::vector<std::uint8_t>& memoire) {
    return std::all_of(memoire.begin(), memoire.end(), [](std::uint8_t o) { return o == 0xFF; });
}

TEST_F(Blocs, AGoodFrameIsStoredUnscrambled) {
    Demarrer();
    PreparerBlocs();
    const std::vector<unsigned> mots{0x1234, 0xABCD, 0x0000, 0xFFFF, 0x4ED3, 0x00FF, 0x8001, 0x7F7F};
    EXPECT_EQ(Echanger(TrameBloc(0x830, mots)), ACQUIT);        // ends exactly on the row's end
    EXPECT_EQ(Echanger(TrameBloc(0x1FFFE, {0x0102})), ACQUIT);  // last word of memory
    EXPECT_EQ(Echanger(TrameBloc(0x900, {})), ACQUIT);          // empty block

    const std::vector<std::uint8_t> memoire = simulateur_->MemoireProgramme();
    ASSERT_EQ(memoire.size(), TAILLE_MEMOIRE_PROGRAMME);
    for (std::size_t i = 0; i < mots.size(); ++i) {
        EXPECT_EQ(memoire[0x830 + 2 * i], mots[i] & 0xFF) << i;
        EXPECT_EQ(memoire[0x831 + 2 * i], mots[i] >> 8) << i;
    }
    EXPECT_EQ(memoire[0x82F], 0xFF);
    EXPECT_EQ(memoire[0x840], 0xFF);
    EXPECT_EQ(memoire[0x1FFFE], 0x02);
    EXPECT_EQ(memoire[0x1FFFF], 0x01);
    EXPECT_EQ(simulateur_->BlocsEcrits(), 3);
    EXPECT_TRUE(simulateur_->Anomalies().empty());
}

TEST_F(Blocs, BadFramesAreRefusedAndNothingIsStored) {
    Demarrer();
    PreparerBlocs();
    const struct {
        const char* cas;
        std::string trame;
    } mauvaises[] = {
        {"odd address", TrameBloc(0x801, {0x1111})},
        {"row crossing", TrameBloc(0x830, std::vector<unsigned>(9, 0x2222))},
        {"33 words", TrameBloc(0x800, std::vector<unsigned>(33, 0x3333))},
        {"odd count", TrameBlocOctets(0x800, {0x44, 0x44, 0x44})},
        {"below range", TrameBloc(0x7FE, {0x5555})},
        {"above range", TrameBloc(0x20000, {})},
        {"address beyond 17 bits", TrameBloc(0x1000800, {0x6666})},
        {"lower-case hex", "\x9F"
                           "02"
                           "4ed34ed3"
                           "0000"},
    };
    for (const auto& m : mauvaises) {
        const int reponse = Echanger(m.trame);
        EXPECT_GE(reponse, 0) << m.cas;
        EXPECT_NE(reponse, ACQUIT) << m.cas;
        EXPECT_EQ(pc_.Lire(50), PairPc::AUCUN) << m.cas;
    }
    EXPECT_TRUE(Efface(simulateur_->MemoireProgramme()));
    EXPECT_EQ(simulateur_->BlocsEcrits(), 0);
    EXPECT_EQ(simulateur_->Anomalies().size(), std::size(mauvaises));
    // Every refused frame was taken in whole: the line is still in step.
    EXPECT_EQ(Echanger(TrameBloc(0x800, {0x7777})), ACQUIT);
}

TEST_F(Blocs, AFrameCutShortIsDropped) {
    Demarrer();
    PreparerBlocs();
    const std::string trame = TrameBloc(0x800, {0x1234});
    pc_.Envoyer(trame.substr(0, trame.size() - 2));
    EXPECT_EQ(pc_.Lire(DELAI_CARACTERE_APPAREIL_MS + 500), PairPc::AUCUN);
    EXPECT_EQ(simulateur_->Anomalies().size(), 1u);
    EXPECT_EQ(Echanger(TrameBloc(0x800, {0x1234})), ACQUIT);
    EXPECT_EQ(simulateur_->BlocsEcrits(), 1);
}

TEST_F(Blocs, PreparingErasesAndRewritingUnerasedFlashIsReported) {
    Demarrer();
    PreparerBlocs();
    ASSERT_EQ(Echanger(TrameBloc(0xA00, {0x1234})), ACQUIT);
    ASSERT_EQ(Echanger(TrameBloc(0xA00, {0x5678})), ACQUIT);
    EXPECT_EQ(simulateur_->MemoireProgramme()[0xA00], 0x78);
    EXPECT_EQ(simulateur_->Anomalies().size(), 1u);

    ASSERT_EQ(Echanger(CMD_PROGRAMMATION), ACQUIT);
    ASSERT_EQ(Echanger(CMD_PREPARER), ACQUIT);
    EXPECT_TRUE(Efface(simulateur_->MemoireProgramme()));
}

}  // namespace
