#include "settings/language/language_table.h"

#include <gtest/gtest.h>

TEST(LanguageTable, KeyAndValueLinesInPairs) {
    const LanguageTable table = ParseLanguageTable("IDS_A\r\nalpha\r\nIDS_B\r\n beta  \r\n");
    EXPECT_EQ(table.size(), 2u);
    EXPECT_EQ(table.at("IDS_A"), "alpha");
    EXPECT_EQ(table.at("IDS_B"), " beta  ");  // nothing is trimmed
}

TEST(LanguageTable, OnlyBackslashNIsAnEscape) {
    const LanguageTable table = ParseLanguageTable(
        "IDS_TWO\r\none\\n\\ntwo\r\n"
        "IDS_PATH\r\nC:\\MyMusic\\Song1.mp3\r\n"
        "IDS_BROKEN_PATH\r\nC:\\new\\tune.mp3\r\n"
        "IDS_DOUBLE\r\na\\\\nb\r\n"
        "IDS_END\r\nend\\\r\n"
        "IDS_AMP\r\n&Save && close\r\n");
    EXPECT_EQ(table.at("IDS_TWO"), "one\n\ntwo");
    EXPECT_EQ(table.at("IDS_PATH"), "C:\\MyMusic\\Song1.mp3");
    EXPECT_EQ(table.at("IDS_BROKEN_PATH"), "C:\new\\tune.mp3");
    EXPECT_EQ(table.at("IDS_DOUBLE"), "a\\\nb");
    EXPECT_EQ(table.at("IDS_END"), "end\\");
    EXPECT_EQ(table.at("IDS_AMP"), "&Save && close");
}

TEST(LanguageTable, Windows1252BecomesUtf8) {
    const LanguageTable table = ParseLanguageTable(
        "IDS_X\r\n< &Zur\xFC"
        "ck \xA9 \x80 Stra\xDF"
        "e\r\n");
    EXPECT_EQ(table.at("IDS_X"), "< &Zurück © € Straße");
}

TEST(LanguageTable, ALaterKeyReplacesAnEarlierOne) {
    const LanguageTable table = ParseLanguageTable("IDS_A\r\nfirst\r\nIDS_A\r\nsecond\r\n");
    EXPECT_EQ(table.size(), 1u);
    EXPECT_EQ(table.at("IDS_A"), "second");
}

TEST(LanguageTable, ALastValueWithoutItsLineEndIsLost) {
    const LanguageTable table = ParseLanguageTable("IDS_A\r\nalpha\r\nIDS_B\r\nbeta");
    EXPECT_EQ(table.at("IDS_A"), "alpha");
    // The key line is read, the value line has no CR LF: the value is empty and the bytes
    // after it go in pairs under the empty key.
    EXPECT_EQ(table.at("IDS_B"), "");
    EXPECT_EQ(table.at(""), "");
    EXPECT_EQ(table.size(), 3u);
}

TEST(LanguageTable, ALastKeyWithoutItsLineEnd) {
    const LanguageTable table = ParseLanguageTable("IDS_A\r\nalpha\r\nIDS_B");
    EXPECT_EQ(table.at("IDS_A"), "alpha");
    EXPECT_EQ(table.count("IDS_B"), 0u);
}

TEST(LanguageTable, LineEndsOtherThanCrLfAreNoLineEnds) {
    // A table saved with bare LF is one long key; a lone CR stays inside its line.
    EXPECT_EQ(ParseLanguageTable("IDS_A\nalpha\nIDS_B\nbeta\n").count("IDS_A"), 0u);
    const LanguageTable table = ParseLanguageTable("IDS_A\r\nal\rpha\r\n");
    EXPECT_EQ(table.at("IDS_A"), "al\rpha");
}

TEST(LanguageTable, EmptyAndOddInputs) {
    EXPECT_TRUE(ParseLanguageTable("").empty());
    EXPECT_EQ(ParseLanguageTable("\r\n\r\n").at(""), "");
    EXPECT_EQ(ParseLanguageTable("IDS_A\r\n\r\n").at("IDS_A"), "");
    const std::string withNul("IDS_A\r\na\0b\r\n", 12);
    EXPECT_EQ(ParseLanguageTable(withNul).at("IDS_A"), std::string("a\0b", 3));
}
