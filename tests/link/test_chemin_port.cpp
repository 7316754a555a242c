#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "link/chemin_port.h"
#include "tests/link/pty_temoin.h"

TEST(CheminPort, ChaqueFamilleDeTtyOccupeSaPlageDeNumeros) {
    EXPECT_EQ(CheminPort(1), "/dev/ttyS0");
    EXPECT_EQ(CheminPort(32), "/dev/ttyS31");
    EXPECT_EQ(CheminPort(33), "/dev/ttyUSB0");
    EXPECT_EQ(CheminPort(64), "/dev/ttyUSB31");
    EXPECT_EQ(CheminPort(65), "/dev/ttyACM0");
    EXPECT_EQ(CheminPort(300), "/dev/ttyACM235");
    EXPECT_EQ(CheminPort(12, "/tmp/dev/"), "/tmp/dev/ttyS11");
    EXPECT_EQ(CheminPort(12, "/tmp/dev"), "/tmp/dev/ttyS11");
    EXPECT_EQ(CheminPort(0), "");
    EXPECT_EQ(CheminPort(-3), "");
}

TEST(CheminPort, NomEtNumeroSeCorrespondentUnAUn) {
    for (int n : {1, 2, 12, 32, 33, 40, 64, 65, 99, 1000}) {
        const std::string chemin = CheminPort(n);
        EXPECT_EQ(NumeroPortTty(chemin), n) << chemin;
        EXPECT_EQ(NumeroPortTty(chemin.substr(5)), n) << chemin;
    }
    for (const char* nom : {"ttyS32", "ttyUSB32", "ttyS01", "ttyUSB00", "ttyS", "ttyS-1", "ttyS+1", "ttyAMA0", "tty0",
                            "ttyUSB1x", "", "pts/3", "ttyACM99999999999"})
        EXPECT_EQ(NumeroPortTty(nom), 0) << nom;
}

TEST(CheminPort, ChoisirPortFixeLeNumeroDesProchainesOuvertures) {
    PairePty pty;
    auto journal = std::make_shared<JournalLigne>();
    auto lien = LienVers(pty.CheminEsclave(), journal);
    EXPECT_EQ(lien->NumeroDuPort(), 2);
    lien->ChoisirPort(0);
    ASSERT_EQ(lien->OuvrirPort(), 0);
    lien->ChoisirPort(-3);
    ASSERT_EQ(lien->OuvrirPort(), 0);
    lien->ChoisirPort(12);
    EXPECT_EQ(journal->portsDemandes.size(), 2u);  // taken at the next open only
    ASSERT_EQ(lien->OuvrirPort(), 0);
    ASSERT_EQ(lien->FermerPort(), 0);
    ASSERT_EQ(lien->OuvrirPort(), 0);
    EXPECT_EQ(journal->portsDemandes, (std::vector<int>{2, 2, 12, 12}));
}
