#include "core/mp3_info/title_mask.h"

#include <gtest/gtest.h>

#include "core/mp3_info/genres.h"

namespace {

std::string Expand(const std::string& mask) {
    return ExpandTitleMask(mask, "A", "B", "C", "1999", "Rock", "3/12");
}

TEST(TitleMaskTest, ReplacesEachVariableWithItsValue) {
    EXPECT_EQ(Expand("%1 - %2"), "A - B");
    EXPECT_EQ(Expand("%1|%2|%3|%4|%5|%6"), "A|B|C|1999|Rock|3/12");
    EXPECT_EQ(Expand("%6. %2 %2"), "3/12. B B");
    EXPECT_EQ(Expand("no variables"), "no variables");
    EXPECT_EQ(Expand(""), "");
}

TEST(TitleMaskTest, AbsentValuesExpandAsEmptyWithoutTrimming) {
    EXPECT_EQ(ExpandTitleMask("%1 - %2", "", "", "", "", "", ""), " - ");
    EXPECT_EQ(ExpandTitleMask("%3 - %2", "", "Song", "", "", "", ""), " - Song");
    EXPECT_EQ(ExpandTitleMask("%2 (%4)", "", "Song", "", "", "", ""), "Song ()");
}

TEST(TitleMaskTest, HasNoEscapeAndLeavesOtherPercentTextsAlone) {
    EXPECT_EQ(Expand("%%1"), "%A");
    EXPECT_EQ(Expand("%10"), "A0");
    EXPECT_EQ(Expand("%7 %a %0 % 1 %"), "%7 %a %0 % 1 %");
}

TEST(TitleMaskTest, LaterVariablesAreFilledInsideEarlierValues) {
    // The artist brings "%2" and "%3" in: the later steps fill them.
    EXPECT_EQ(ExpandTitleMask("%1", "x%2y%3", "T", "L", "", "", ""), "xTyL");
    // A value is not searched again for its own or an earlier variable.
    EXPECT_EQ(ExpandTitleMask("%1", "%1", "", "", "", "", ""), "%1");
    EXPECT_EQ(ExpandTitleMask("%2", "A", "%1", "", "", "", ""), "%1");
    // A value that completes a variable with the text after it: "%" + "1" only forms
    // "%1" after the first step has run, so it stays.
    EXPECT_EQ(ExpandTitleMask("%11", "%", "", "", "", "", ""), "%1");
}

TEST(TitleMaskTest, KeepsMultiByteTextsWhole) {
    EXPECT_EQ(ExpandTitleMask("%1 – %2", "Ärzte", "日本語", "", "", "", ""), "Ärzte – 日本語");
}

TEST(GenreTableTest, HasTheNamesAtTheirNumbers) {
    EXPECT_EQ(kGenreCount, 148);
    EXPECT_EQ(GetGenreName(0), "Blues");
    EXPECT_EQ(GetGenreName(17), "Rock");
    EXPECT_EQ(GetGenreName(79), "Hard Rock");
    EXPECT_EQ(GetGenreName(80), "Folk");
    EXPECT_EQ(GetGenreName(141), "Christian Rock ");
    EXPECT_EQ(GetGenreName(147), "Synthpop");
    EXPECT_EQ(GetGenreName(148), "");
    EXPECT_EQ(GetGenreName(-1), "");
}

}  // namespace
