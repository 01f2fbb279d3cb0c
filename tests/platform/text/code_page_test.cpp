#include "platform/code_page/code_page.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(CodePage, Windows1252BytesBecomeUtf8) {
    EXPECT_EQ(Windows1252ToUtf8("Gr\xFC\xDF"
                                "e \xA9 \x80 \x93x\x94"),
              "Grüße © € \u201Cx\u201D");
    EXPECT_EQ(Windows1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
    EXPECT_EQ(Windows1252ToUtf8(""), "");
    EXPECT_EQ(Windows1252ToUtf8("plain"), "plain");
}

TEST(CodePage, Latin1DiffersFromWindows1252InTheC1Range) {
    EXPECT_EQ(Latin1ToUtf8("\x80\xE4"), "\u0080ä");
    EXPECT_EQ(Latin1ToUtf8("\xFF"), "ÿ");
}

TEST(CodePage, Utf8BackToWindows1252) {
    EXPECT_EQ(Utf8ToWindows1252("Grüße © €"),
              "Gr\xFC\xDF"
              "e \xA9 \x80");
    EXPECT_EQ(Utf8ToWindows1252("日本"), "??");
    EXPECT_EQ(Utf8ToWindows1252("\xFF"
                                "a"),
              "\xFF"
              "a");  // malformed stays a byte
}

TEST(CodePage, CaseOfAsciiAndLatinLetters) {
    EXPECT_EQ(Utf8ToLower("MP3 ÄÖÜ ÀÞ ŠŒŽŸ ×"), "mp3 äöü àþ šœžÿ ×");
    EXPECT_EQ(Utf8ToUpper("mp3 äöü àþ šœžÿ ÷ ß"), "MP3 ÄÖÜ ÀÞ ŠŒŽŸ ÷ ß");
    EXPECT_EQ(Utf8ToUpper("日本 a"), "日本 A");
    // Malformed bytes pass through unchanged and do not swallow what follows.
    EXPECT_EQ(Utf8ToUpper("\xC3"
                          "a\xE4z"),
              "\xC3"
              "A\xE4Z");
    EXPECT_EQ(Utf8ToLower(""), "");
}

TEST(CodePage, AsciiCaseInsensitiveEquality) {
    EXPECT_TRUE(EqualsIgnoringAsciiCase("FileTypes", "filetypes"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("FileTypes", "FileType"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("Ä", "ä"));
}

TEST(CodePage, WellFormedUtf8) {
    EXPECT_TRUE(IsWellFormedUtf8(""));
    EXPECT_TRUE(IsWellFormedUtf8("Grüße € 日本 \U0001F3B5"));
    EXPECT_FALSE(
        IsWellFormedUtf8("Gr\xFC\xDF"
                         "e"));                          // Windows-1252 bytes
    EXPECT_FALSE(IsWellFormedUtf8("\xC0\xAF"));          // overlong "/"
    EXPECT_FALSE(IsWellFormedUtf8("\xED\xA0\x80"));      // a surrogate
    EXPECT_FALSE(IsWellFormedUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(IsWellFormedUtf8("ok\xE2\x82"));        // cut short
}

TEST(CodePage, Utf16LeBecomesUtf8) {
    EXPECT_EQ(Utf16LeToUtf8(std::string("G\0r\0\xFC\0\xDF\0", 8)), "Grüß");
    EXPECT_EQ(Utf16LeToUtf8(std::string("\xAC\x20\x3C\xD8\xB5\xDF", 6)), "€\U0001F3B5");
    EXPECT_EQ(Utf16LeToUtf8(std::string("a\0\0\0", 4)), std::string("a\0", 2));
    // A surrogate without its partner, and a last odd byte.
    EXPECT_EQ(Utf16LeToUtf8(std::string("\x3C\xD8x\0", 4)), "\uFFFDx");
    EXPECT_EQ(Utf16LeToUtf8(std::string("\xB5\xDF", 2)), "\uFFFD");
    EXPECT_EQ(Utf16LeToUtf8(std::string("x\0y", 3)), "x");
}

TEST(CodePage, CharactersOfUtf8OrBytesOfAnythingElse) {
    EXPECT_EQ(CharacterCount(""), 0u);
    EXPECT_EQ(CharacterCount("Grüße €"), 7u);
    EXPECT_EQ(CharacterCount("Gr\xFC\xDF"), 4u);  // Windows-1252: a byte each
}
