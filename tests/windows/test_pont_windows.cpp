// The bridge without its COM port on Windows: device lists given through the seam, and the
// system's own list as SetupAPI reads it under Wine.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ports/appareils_pnp.h"

namespace {

constexpr const char* PONT = "USB\\VID_10C4&PID_EA60&REV_0100";

TEST(PontWindows, PiloteNonInstalleSeulementPourLePontSansPort) {
    const std::pair<std::vector<AppareilPnp>, EtatPont> cas[] = {
        {{{"USB\\VID_046D&PID_C52B", 0, false}, {PONT, 28, false}}, EtatPont::PiloteAbsent},
        {{{"usb\\vid_10c4&pid_ea60", 1, false}}, EtatPont::PiloteAbsent},
        {{{PONT, 0, true}}, EtatPont::SansExplication},
        {{{PONT, 28, false}, {PONT, 0, true}}, EtatPont::SansExplication},  // a second bridge has its port
        {{{PONT, 22, false}}, EtatPont::SansExplication},                   // turned off by the user
        {{{"USB\\VID_10C4&PID_EA61", 28, false}}, EtatPont::SansExplication},
        {{}, EtatPont::SansExplication},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(&c - cas);
        const EtatPont vu = CreerSourceRegistre([&c] { return c.first; })->ExaminerPont().etat;
        EXPECT_EQ(static_cast<int>(vu), static_cast<int>(c.second));
    }
}

// Wine shows no bridge: the system's list is read to its end and tells nothing.
TEST(PontWindows, ListeDuSystemeSansPont) {
    for (const AppareilPnp& appareil : ListerAppareilsPnp())
        EXPECT_EQ(appareil.idMateriel.find("VID_10C4&PID_EA60"), std::string::npos) << appareil.idMateriel;
    EXPECT_EQ(static_cast<int>(CreerSourcePorts()->ExaminerPont().etat), static_cast<int>(EtatPont::SansExplication));
}

}  // namespace
