#include "core/mp3_info/scan_integer.h"

#include <gtest/gtest.h>

#include "core/mp3_info/genres.h"

namespace {

TEST(ScanIntegerTest, ReadsLikeFormattedInput) {
    EXPECT_EQ(ScanInteger("1999"), 1999);
    EXPECT_EQ(ScanInteger("3/12"), 3);
    EXPECT_EQ(ScanInteger(" \t 42abc"), 42);
    EXPECT_EQ(ScanInteger("+7"), 7);
    EXPECT_EQ(ScanInteger("-3"), -3);
    EXPECT_EQ(ScanInteger("0x10"), 16);
    EXPECT_EQ(ScanInteger("0X1f"), 31);
    EXPECT_EQ(ScanInteger("  -0x10"), -16);
    EXPECT_EQ(ScanInteger("010"), 8);
    EXPECT_EQ(ScanInteger("0"), 0);
}

TEST(ScanIntegerTest, StopsWhereTheDigitsOfItsBaseEnd) {
    EXPECT_EQ(ScanInteger("09"), 0);  // octal: 9 is no digit
    EXPECT_EQ(ScanInteger("0x"), 0);  // no hexadecimal digit: the 0 alone
    EXPECT_EQ(ScanInteger("0xg"), 0);
    EXPECT_EQ(ScanInteger("12.5"), 12);
}

TEST(ScanIntegerTest, NoValueWithoutDigits) {
    EXPECT_EQ(ScanInteger(""), std::nullopt);
    EXPECT_EQ(ScanInteger("   "), std::nullopt);
    EXPECT_EQ(ScanInteger("abc"), std::nullopt);
    EXPECT_EQ(ScanInteger("-"), std::nullopt);
    EXPECT_EQ(ScanInteger("+ 1"), std::nullopt);
    EXPECT_EQ(ScanInteger("/12"), std::nullopt);
}

TEST(ScanIntegerTest, HoldsValuesBeyondThe32BitRangeAtTheLimit) {
    EXPECT_EQ(ScanInteger("2147483647"), 2147483647);
    EXPECT_EQ(ScanInteger("99999999999999999999"), 2147483647);
    EXPECT_EQ(ScanInteger("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ScanInteger("-99999999999999999999"), -2147483647 - 1);
}

TEST(GenreRuleTest, BracketedNumbersOfTheTableBecomeNames) {
    EXPECT_EQ(ResolveBracketedGenre("(17)"), "Rock");
    EXPECT_EQ(ResolveBracketedGenre("(17)Rock"), "Rock");
    EXPECT_EQ(ResolveBracketedGenre("(17)Pop"), "Rock");
    EXPECT_EQ(ResolveBracketedGenre("(0)"), "Blues");
    EXPECT_EQ(ResolveBracketedGenre("(0x11)"), "Rock");
    EXPECT_EQ(ResolveBracketedGenre("(147)"), "Synthpop");
    EXPECT_EQ(ResolveBracketedGenre("(148)"), "(148)");
    EXPECT_EQ(ResolveBracketedGenre("(200)"), "(200)");
    EXPECT_EQ(ResolveBracketedGenre("(-1)"), "(-1)");
    EXPECT_EQ(ResolveBracketedGenre("Rock"), "Rock");
    EXPECT_EQ(ResolveBracketedGenre("("), "(");
    EXPECT_EQ(ResolveBracketedGenre(" (17)"), " (17)");
    EXPECT_EQ(ResolveBracketedGenre(""), "");
}

TEST(GenreRuleTest, BareNumbersOfTheTableBecomeNames) {
    EXPECT_EQ(ResolveNumericGenre("17"), "Rock");
    EXPECT_EQ(ResolveNumericGenre("0"), "Blues");
    EXPECT_EQ(ResolveNumericGenre("148"), "148");
    EXPECT_EQ(ResolveNumericGenre("17a"), "17a");
    EXPECT_EQ(ResolveNumericGenre("-1"), "-1");
    EXPECT_EQ(ResolveNumericGenre("00017"), "00017");
    EXPECT_EQ(ResolveNumericGenre("Rock"), "Rock");
}

}  // namespace
