// COM numbers read from port entries.
#include <gtest/gtest.h>

#include <climits>

#include "ports/TConfigurationPort.h"

TEST(ExtraitNumero, ReadsTheDigitsAfterCom)
{
    EXPECT_EQ(TConfPort::ExtraitNumero("COM3"), 3);
    EXPECT_EQ(TConfPort::ExtraitNumero("  com12 "), 12);
    EXPECT_EQ(TConfPort::ExtraitNumero("\tCOM7\r\n"), 7);
    EXPECT_EQ(TConfPort::ExtraitNumero("COM4 : KORVANE"), 4);
    EXPECT_EQ(TConfPort::ExtraitNumero("COM0042x"), 42);
    EXPECT_EQ(TConfPort::ExtraitNumero("Port COM6"), 6);
    EXPECT_EQ(TConfPort::ExtraitNumero("COM8COM9"), 8);
}

TEST(ExtraitNumero, NoDigitsGiveZero)
{
    EXPECT_EQ(TConfPort::ExtraitNumero("COMX"), 0);
    EXPECT_EQ(TConfPort::ExtraitNumero("COM"), 0);
    EXPECT_EQ(TConfPort::ExtraitNumero("COM -3"), 0);
    EXPECT_EQ(TConfPort::ExtraitNumero(""), 0);
    EXPECT_EQ(TConfPort::ExtraitNumero("   "), 0);
}

TEST(ExtraitNumero, OverflowGivesZero)
{
    EXPECT_EQ(TConfPort::ExtraitNumero("COM2147483647"), INT_MAX);
    EXPECT_EQ(TConfPort::ExtraitNumero("COM2147483648"), 0);
    EXPECT_EQ(TConfPort::ExtraitNumero("COM99999999999999999999999"), 0);
}

TEST(ExtraitNumero, WithoutComDigitsFromTheThirdCharacter)
{
    EXPECT_EQ(TConfPort::ExtraitNumero("XY12"), 12);
    EXPECT_EQ(TConfPort::ExtraitNumero("  ab5 "), 5);
    EXPECT_EQ(TConfPort::ExtraitNumero("12"), 0);
    EXPECT_EQ(TConfPort::ExtraitNumero("X"), 0);
}
