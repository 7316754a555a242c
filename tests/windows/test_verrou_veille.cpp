// The Windows lock against sleep and shut-down, its system calls recorded instead of made.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "wizard/verrou_veille_win32.h"

namespace {

struct Appels {
    std::vector<unsigned long> etats;   // SetThreadExecutionState
    std::vector<std::wstring> raisons;  // ShutdownBlockReasonCreate
    int retraits = 0;                   // ShutdownBlockReasonDestroy
    void* fenetre = nullptr;
};

AppelsVeilleWin32 Enregistrer(Appels& a)
{
    AppelsVeilleWin32 appels;
    appels.definirEtatExecution = [&a](unsigned long etat) { a.etats.push_back(etat); return 1ul; };
    appels.creerRaison = [&a](void* fenetre, const std::wstring& raison) {
        a.fenetre = fenetre;
        a.raisons.push_back(raison);
        return true;
    };
    appels.detruireRaison = [&a](void* fenetre) { a.retraits += fenetre == a.fenetre; return true; };
    return appels;
}

// Held: the system stays awake and a shut-down is refused with the reason, once; released, both
// end, and a shut-down passes.
TEST(VerrouVeilleWin32, TenuDeLaPriseAuRelachement)
{
    Appels a;
    void* const fenetre = reinterpret_cast<void*>(0x1234);
    {
        VerrouVeilleWin32 verrou(Enregistrer(a));
        EXPECT_FALSE(verrou.RefuserFinDeSession(fenetre));
        verrou.Prendre("Zantrel", "Mise à jour du Zantrel en cours");
        verrou.Prendre("Zantrel", "Mise à jour du Zantrel en cours");
        EXPECT_EQ(a.etats, std::vector<unsigned long>{ES_CONTINUOUS | ES_SYSTEM_REQUIRED});
        EXPECT_TRUE(verrou.RefuserFinDeSession(fenetre));
        EXPECT_TRUE(verrou.RefuserFinDeSession(fenetre));
        EXPECT_EQ(a.raisons, std::vector<std::wstring>{L"Mise \u00e0 jour du Zantrel en cours"});
        EXPECT_EQ(a.fenetre, fenetre);

        verrou.Relacher();
        EXPECT_EQ(a.etats.back(), static_cast<unsigned long>(ES_CONTINUOUS));
        EXPECT_EQ(a.retraits, 1);
        EXPECT_FALSE(verrou.RefuserFinDeSession(fenetre));

        verrou.Prendre("Zantrel", "again");
    }
    // The program's end releases a held lock.
    EXPECT_EQ(a.etats.size(), 4u);
    EXPECT_EQ(a.etats.back(), static_cast<unsigned long>(ES_CONTINUOUS));
    EXPECT_EQ(a.retraits, 1) << "no reason was given the second time";
}

}  // namespace
