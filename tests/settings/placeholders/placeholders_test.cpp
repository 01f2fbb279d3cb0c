#include "settings/placeholders/placeholders.h"

#include <gtest/gtest.h>

#include <climits>

TEST(ReplaceTags, FillsEveryOccurrenceOfEachTag) {
    const std::string progress = "<NUMBER/> of <TOTAL/> files processed";
    EXPECT_EQ(ReplaceTags(progress, "NUMBER", "3", "TOTAL", "12"), "3 of 12 files processed");
    EXPECT_EQ(ReplaceTags(progress, "number", "3", "total", "12"), "3 of 12 files processed");
    EXPECT_EQ(ReplaceTags("<A/>-<A/>-<A/>", "A", "x"), "x-x-x");
    EXPECT_EQ(ReplaceTags("no tags here", "A", "x"), "no tags here");
}

TEST(ReplaceTags, LowerCaseTagsInTheTemplateStay) {
    EXPECT_EQ(ReplaceTags("<number/> of <TOTAL/>", "NUMBER", "3", "TOTAL", "12"),
              "<number/> of 12");
}

TEST(ReplaceTags, LaterPairsSearchEarlierValuesButAPairNeverItsOwn) {
    EXPECT_EQ(ReplaceTags("<NUMBER/>", "NUMBER", "<TOTAL/>", "TOTAL", "12"), "12");
    // The second pair's value holds the first tag again: it is not expanded any more.
    EXPECT_EQ(ReplaceTags("<TOTAL/> <NUMBER/>", "NUMBER", "1", "TOTAL", "<NUMBER/>"),
              "<NUMBER/> 1");
    // A value holding its own tag is inserted once, not expanded forever.
    EXPECT_EQ(ReplaceTags("<A/><A/>", "A", "<A/>"), "<A/><A/>");
}

TEST(ReplaceTags, EmptyNamesAreSkippedAndUnknownTagsStay) {
    EXPECT_EQ(ReplaceTags("<X/> <Y/>", "", "ignored", "Y", "y"), "<X/> y");
    EXPECT_EQ(ReplaceTags("", "A", "x"), "");
    EXPECT_EQ(ReplaceTags("<A/>", "A", ""), "");
    EXPECT_EQ(ReplaceTags("<LNG_BEFORE/> to <LNG_AFTER/>", "lng_before", "English", "LNG_AFTER",
                          "German"),
              "English to German");
    EXPECT_EQ(ReplaceTags("<A/><B/><C/><D/><E/>", "a", "1", "b", "2", "c", "3", "d", "4", "e", "5"),
              "12345");
}

TEST(IntToText, DecimalWithoutPadding) {
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(215), "215");
    EXPECT_EQ(IntToText(-1), "-1");
    EXPECT_EQ(IntToText(INT_MAX), "2147483647");
    EXPECT_EQ(IntToText(INT_MIN), "-2147483648");
}
