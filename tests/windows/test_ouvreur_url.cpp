// The About box's links handed to the Windows shell.
#include <gtest/gtest.h>

#include "about/ouvreur_url.h"

namespace {

TEST(OuvreurUrl, AdresseSansProgrammeAssocieEstUnEchec) {
    EXPECT_FALSE(OuvrirUrlBureau("C:\\nulle-part\\absent.zantrel-inconnu"));
    EXPECT_FALSE(OuvrirUrlBureau(""));
}

TEST(OuvreurUrl, ProgrammeQueLeShellSaitLancer) {
    // A console program of the system that ends at once: the shell's default action runs it.
    EXPECT_TRUE(OuvrirUrlBureau("C:\\windows\\system32\\hostname.exe"));
}

}  // namespace
