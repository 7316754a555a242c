// COM numbers read from port entries.
#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>

#include "ports/TConfigurationPort.h"

namespace {

struct Cas {
    const char* entree;
    int numero;
};

void Verifier(std::initializer_list<Cas> cas) {
    for (const Cas& c : cas)
        EXPECT_EQ(TConfPort::ExtraitNumero(c.entree), c.numero) << '"' << c.entree << '"';
}

}  // namespace

TEST(ExtraitNumero, ReadsTheDigitsAfterCom) {
    Verifier({{"COM3", 3},
              {"  com12 ", 12},
              {"\tCOM7\r\n", 7},
              {"COM4 : KORVANE", 4},
              {"COM0042x", 42},
              {"Port COM6", 6},
              {"COM8COM9", 8}});
}

TEST(ExtraitNumero, NoDigitsGiveZero) { Verifier({{"COMX", 0}, {"COM", 0}, {"COM -3", 0}, {"", 0}, {"   ", 0}}); }

TEST(ExtraitNumero, OverflowGivesZero) {
    Verifier({{"COM2147483647", INT_MAX}, {"COM2147483648", 0}, {"COM99999999999999999999999", 0}});
}

TEST(ExtraitNumero, WithoutComDigitsFromTheThirdCharacter) {
    Verifier({{"XY12", 12}, {"  ab5 ", 5}, {"12", 0}, {"X", 0}});
}
