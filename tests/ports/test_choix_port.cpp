// The port finder's choice over scans: preference, change detection and the failing list.
#include <gtest/gtest.h>

#include <clocale>
#include <tuple>
#include <utility>

#include "ports/TConfigurationPort.h"
#include "tests/commun/ports_factices.h"

using Liste = std::vector<std::string>;
// After a scan: whether the choice moved, the port chosen, whether it is the bridge's.
using Choix = std::tuple<bool, int, bool>;

class ChoixPort : public ::testing::Test {
protected:
    void SetUp() override { std::setlocale(LC_COLLATE, "C"); }

    Choix Balayer(std::vector<ValeurPort> liste) {
        etat->Ports(std::move(liste));
        return {ports.PortAChange(), ports.PortChoisi(), ports.EstPortAppareil()};
    }

    std::shared_ptr<EtatPorts> etat = std::make_shared<EtatPorts>();
    TConfPort ports{std::make_unique<PortsFactices>(etat)};
};

TEST_F(ChoixPort, BridgePortWinsFirstInListOrder) {
    etat->Ports({Pont(1, "COM4"), Serie(0, "COM1"), Pont(0, "COM3")});
    EXPECT_EQ(ports.PortChoisi(), 3);
    EXPECT_TRUE(ports.EstPortAppareil());
    EXPECT_EQ(ports.Ports(), (Liste{"COM1", "COM3 : KORVANE", "COM4 : KORVANE"}));
    EXPECT_EQ(ports.Index(), 1);

    etat->Ports({Pont(1, "COM4"), Pont(0, "COM3")});
    EXPECT_TRUE(ports.RecherchePorts());
    EXPECT_EQ(ports.PortChoisi(), 3);
    EXPECT_EQ(ports.Index(), 0);
}

TEST_F(ChoixPort, WithoutBridgePreviousChoiceIsKept) {
    EXPECT_EQ(Balayer({Serie(4, "COM5")}), Choix(true, 5, false));
    // COM1 sorts first, yet the port in use stays chosen.
    EXPECT_EQ(Balayer({Serie(0, "COM1"), Serie(4, "COM5")}), Choix(false, 5, false));
}

TEST_F(ChoixPort, PreviousNumberMatchesTheLastOfSeveralEntries) {
    etat->Ports({Serie(4, "COM5")});
    ports.RecherchePorts();
    etat->Ports({Serie(4, "COM5"), Serie(9, "COM05"), Serie(0, "COM1")});
    ports.RecherchePorts();
    EXPECT_EQ(ports.Ports(), (Liste{"COM05", "COM1", "COM5"}));
    EXPECT_EQ(ports.Index(), 2);
    EXPECT_EQ(ports.PortChoisi(), 5);
}

TEST_F(ChoixPort, WithoutHistoryFirstPortInCollationOrder) {
    etat->Ports({Serie(1, "COM2"), Serie(9, "COM10")});
    EXPECT_EQ(ports.PortChoisi(), 10);
    EXPECT_FALSE(ports.EstPortAppareil());
    EXPECT_EQ(ports.Ports(), (Liste{"COM10", "COM2"}));
}

TEST_F(ChoixPort, EntryWithoutNumberIsNoEarlierChoice) {
    etat->Ports({Serie(0, "COM1"), Serie(1, "COMX")});
    EXPECT_EQ(ports.PortChoisi(), 1);
    EXPECT_EQ(ports.Index(), 0);

    // Likewise after a failed scan has dropped the number to 0.
    etat->resultat = LecturePorts::DescriptionIllisible;
    EXPECT_FALSE(ports.RecherchePorts());
    EXPECT_EQ(Balayer({Serie(1, "COMX"), Serie(2, "COM3")}), Choix(true, 3, false));
}

TEST_F(ChoixPort, BridgeUnpluggedFallsBackToAnotherPort) {
    EXPECT_EQ(Balayer({Serie(0, "COM1"), Pont(0, "COM3")}), Choix(true, 3, true));
    EXPECT_EQ(Balayer({Serie(0, "COM1")}), Choix(true, 1, false));
    // Plugged back in: the bridge is taken again.
    EXPECT_EQ(Balayer({Serie(0, "COM1"), Pont(0, "COM3")}), Choix(true, 3, true));
}

TEST_F(ChoixPort, BridgeUnpluggedLeavingNoPort) {
    etat->Ports({Pont(0, "COM3")});
    EXPECT_TRUE(ports.PortAChange());

    EXPECT_EQ(Balayer({}), Choix(true, 0, false));
    EXPECT_TRUE(ports.Ports().empty());
    EXPECT_EQ(ports.Index(), -1);

    // No serial port registered at all is the same for the callers.
    etat->resultat = LecturePorts::CleAbsente;
    EXPECT_TRUE(ports.RecherchePorts());
    EXPECT_FALSE(ports.PortAChange());
    EXPECT_EQ(ports.PortChoisi(), 0);
}

TEST_F(ChoixPort, UnchangedRescanIsNoChange) {
    etat->Ports({Serie(0, "COM1"), Pont(0, "COM3")});
    EXPECT_TRUE(ports.PortAChange());
    EXPECT_FALSE(ports.PortAChange());
    EXPECT_FALSE(ports.PortAChange());
    EXPECT_EQ(ports.PortChoisi(), 3);
}

TEST_F(ChoixPort, UnreadableListIsNeverAChange) {
    etat->Ports({Pont(0, "COM3")});
    EXPECT_TRUE(ports.PortAChange());

    // The number falls from 3 to 0, but a failed scan reports no change.
    etat->resultat = LecturePorts::DescriptionIllisible;
    EXPECT_FALSE(ports.PortAChange());
    EXPECT_TRUE(ports.Ports().empty());
    EXPECT_EQ(ports.Index(), -1);
    EXPECT_EQ(ports.Numero(), 0);
    EXPECT_FALSE(ports.RecherchePorts());
    EXPECT_FALSE(ports.EstPortAppareil());

    EXPECT_EQ(Balayer({Pont(0, "COM3")}), Choix(true, 3, true));
}

TEST_F(ChoixPort, MarkNeedsTheExactBridgeName) {
    etat->Ports({{"\\Device\\silabser0", TYPE_TEXTE, "COM3"}, {"\\Device\\SILABSER1", TYPE_TEXTE, "COM4"}});
    EXPECT_EQ(ports.Ports(), Liste{}) << "no scan before the first call";
    EXPECT_EQ(ports.PortChoisi(), 3);
    EXPECT_FALSE(ports.EstPortAppareil());
    EXPECT_EQ(ports.Ports(), (Liste{"COM3", "COM4"}));
}

TEST_F(ChoixPort, ListKeepsStringValuesOnceEach) {
    etat->Ports({
        Serie(4, "COM5"),
        {"\\Device\\VCP0", TYPE_TEXTE, "COM5"},
        {"\\Device\\Binaire", 3, "COM7"},
        {"\\Device\\Mot", 4, "COM8"},
        {"\\Device\\Etendu", TYPE_TEXTE_ETENDU, "COM%N%"},
        {"\\Device\\Nul", TYPE_TEXTE, std::string("COM9\0COM12", 10)},
        Pont(0, "COM5"),
    });
    EXPECT_TRUE(ports.RecherchePorts());
    EXPECT_EQ(ports.Ports(), (Liste{"COM%N%", "COM5", "COM5 : KORVANE", "COM9"}));
    EXPECT_EQ(ports.PortChoisi(), 5);
    EXPECT_TRUE(ports.EstPortAppareil());
}

TEST_F(ChoixPort, MarkedEntryWithoutNumberIsNotUsable) {
    etat->Ports({Pont(0, "COMX"), Serie(0, "COM1")});
    EXPECT_EQ(ports.PortChoisi(), 0);
    EXPECT_FALSE(ports.EstPortAppareil());
    EXPECT_EQ(ports.Ports()[static_cast<size_t>(ports.Index())], "COMX : KORVANE");
}

TEST_F(ChoixPort, ScansOnlyWhenNeeded) {
    EXPECT_EQ(etat->lectures, 0);

    // Nothing chosen: every query scans again.
    EXPECT_EQ(ports.PortChoisi(), 0);
    EXPECT_FALSE(ports.EstPortAppareil());
    EXPECT_EQ(etat->lectures, 2);

    etat->Ports({Pont(0, "COM3")});
    EXPECT_EQ(ports.PortChoisi(), 3);
    EXPECT_EQ(etat->lectures, 3);

    // A chosen port is answered from the last scan, even once the bridge is gone.
    etat->Ports({});
    EXPECT_EQ(ports.PortChoisi(), 3);
    EXPECT_TRUE(ports.EstPortAppareil());
    EXPECT_EQ(etat->lectures, 3);

    EXPECT_TRUE(ports.PortAChange());
    EXPECT_EQ(etat->lectures, 4);
}

// What each look at the bridge sees, and what the finder then tells.
TEST_F(ChoixPort, BridgeCauseToldOnceSeenTwice) {
    using E = EtatPont;
    const std::pair<E, E> looks[] = {
        {E::SansPilote, E::SansExplication},
        {E::SansPilote, E::SansPilote},  // just plugged in
        {E::Retenu, E::SansPilote},
        {E::Retenu, E::Retenu},                    // the cause before stands
        {E::SansExplication, E::SansExplication},  // the port came: at once
        {E::PiloteAbsent, E::SansExplication},
        {E::PiloteAbsent, E::PiloteAbsent},
    };
    for (const auto& look : looks) {
        SCOPED_TRACE(&look - looks);
        etat->pont.etat = look.first;
        EXPECT_EQ(static_cast<int>(ports.ExplicationPont().etat), static_cast<int>(look.second));
    }
}
