// The Windows lock against sleep and shut-down, its system calls recorded instead of made.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "wizard/verrou_veille_win32.h"

namespace {

// Held: the system stays awake and a shut-down is refused with the reason, given once; released
// (by hand, then by the program's end), both end.
TEST(VerrouVeilleWin32, TenuDeLaPriseAuRelachement) {
    std::vector<unsigned long> etats;
    std::vector<std::wstring> raisons;
    std::vector<void*> retraits;
    AppelsVeilleWin32 appels;
    appels.definirEtatExecution = [&](unsigned long etat) {
        etats.push_back(etat);
        return 1ul;
    };
    appels.creerRaison = [&](void*, const std::wstring& raison) {
        raisons.push_back(raison);
        return true;
    };
    appels.detruireRaison = [&](void* fenetre) {
        retraits.push_back(fenetre);
        return true;
    };
    void* const fenetre = reinterpret_cast<void*>(0x1234);
    {
        VerrouVeilleWin32 verrou(appels);
        EXPECT_FALSE(verrou.RefuserFinDeSession(fenetre));
        verrou.Prendre("Zantrel", "Mise à jour du Zantrel en cours");
        verrou.Prendre("Zantrel", "Mise à jour du Zantrel en cours");
        EXPECT_TRUE(verrou.RefuserFinDeSession(fenetre));
        EXPECT_TRUE(verrou.RefuserFinDeSession(fenetre));
        EXPECT_EQ(raisons, std::vector<std::wstring>{L"Mise \u00e0 jour du Zantrel en cours"});
        verrou.Relacher();
        EXPECT_FALSE(verrou.RefuserFinDeSession(fenetre));
        verrou.Prendre("Zantrel", "encore");
    }
    const unsigned long eveille = ES_CONTINUOUS | ES_SYSTEM_REQUIRED;
    EXPECT_EQ(etats, (std::vector<unsigned long>{eveille, ES_CONTINUOUS, eveille, ES_CONTINUOUS}));
    EXPECT_EQ(retraits, std::vector<void*>{fenetre});
}

}  // namespace
