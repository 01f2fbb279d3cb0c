#include <gtest/gtest.h>

#include "tests/core/formats/readers/reader_test_support.h"

namespace {

using Kind = PlaylistReadWarningKind;

class PlsReaderTest : public ReaderTest {};

struct Shape {
    const char* what;
    std::string bytes;
    std::vector<std::string> paths;  // with "{root}"
    std::vector<std::string> titles;
    std::vector<std::int64_t> lengths;
    std::vector<std::string> warnings;
};

TEST_F(PlsReaderTest, RealWorldShapes) {
    const std::vector<Shape> shapes = {
        {"as Winamp writes it",
         "[playlist]\r\nFile1=../music/a.mp3\r\nTitle1=A\r\nLength1=215\r\n"
         "File2={root}/music/b.ogg\r\nTitle2=b\r\nNumberOfEntries=2\r\nVersion=2\r\n",
         {"{root}/music/a.mp3", "{root}/music/b.ogg"},
         {"A", "b"},
         {215000, -1},
         {}},
        {"keys in any letter case",
         "[PlayList]\nFILE1=a.mp3\ntitle1=x\nLENGTH1=-1\nfile2=b.mp3\nnumberofentries=2\n",
         {"{root}/lists/a.mp3", "{root}/lists/b.mp3"},
         {"x", ""},
         {-1, -1},
         {}},
        {"numbers in any order and with gaps",
         "[playlist]\nTitle3=three\nFile7=g.mp3\nFile3=c.mp3\nFile1=a.mp3\nLength3=3\n"
         "NumberOfEntries=3\n",
         {"{root}/lists/a.mp3", "{root}/lists/c.mp3", "{root}/lists/g.mp3"},
         {"", "three", ""},
         {-1, 3000, -1},
         {}},
        {"NumberOfEntries wrong",
         "[playlist]\nFile1=a.mp3\nFile2=b.mp3\nNumberOfEntries=5\n",
         {"{root}/lists/a.mp3", "{root}/lists/b.mp3"},
         {"", ""},
         {-1, -1},
         {W(Kind::kEntryCountMismatch, 4)}},
        {"NumberOfEntries missing",
         "[playlist]\nFile1=a.mp3\n",
         {"{root}/lists/a.mp3"},
         {""},
         {-1},
         {}},
        {"a number given twice: the first counts",
         "[playlist]\nFile1=a.mp3\nFile1=b.mp3\nTitle1=x\nTitle1=y\n",
         {"{root}/lists/a.mp3"},
         {"x"},
         {-1},
         {W(Kind::kRepeatedNumber, 3), W(Kind::kRepeatedNumber, 5)}},
        {"Title and Length without a File line; an empty File line names nothing",
         "[playlist]\nFile1=a.mp3\nTitle9=nine\nLength9=9\nFile2=\nTitle2=two\n",
         {"{root}/lists/a.mp3"},
         {""},
         {-1},
         {W(Kind::kNoFileLine, 3), W(Kind::kNoFileLine, 4), W(Kind::kNoFileLine, 6)}},
        {"a radio station's stream beside a file",
         "[playlist]\nFile1=http://stream.example:8000/\nTitle1=Radio\nLength1=-1\nFile2=a.mp3\n"
         "NumberOfEntries=2\n",
         {"{root}/lists/a.mp3"},
         {""},
         {-1},
         {W(Kind::kUrl, 2)}},
        {"blanks around the equals sign, comments, another section",
         "[playlist]\n  File1 = ../music/a.mp3\n; a comment\n[other]\nFile2=b.mp3\n",
         {"{root}/music/a.mp3"},
         {""},
         {-1},
         {}},
        {"Windows-1252 and a file URI",
         "[playlist]\r\nFile1=M\xFCller.mp3\r\nFile2=file://{root}/music/a%20b.mp3\r\n",
         {"{root}/lists/Müller.mp3", "{root}/music/a b.mp3"},
         {"", ""},
         {-1, -1},
         {W(Kind::kWindows1252, 0)}},
        {"numbers up to 64 bits, beyond them the line is not an entry",
         "[playlist]\nFile18446744073709551615=z.mp3\nFile18446744073709551616=y.mp3\nFile01=a."
         "mp3\n",
         {"{root}/lists/a.mp3", "{root}/lists/z.mp3"},
         {"", ""},
         {-1, -1},
         {}},
    };
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.what);
        const PlaylistReadResult result = Read("x.pls", shape.bytes);
        ASSERT_TRUE(result.Ok()) << static_cast<int>(result.error);
        EXPECT_EQ(result.type, PlaylistFileType::kPls);
        std::vector<std::string> expected;
        for (const std::string& path : shape.paths) {
            expected.push_back(WithRoot(path));
        }
        EXPECT_EQ(Paths(result), expected);
        std::vector<std::string> titles;
        std::vector<std::int64_t> lengths;
        for (const PlaylistFileEntry& entry : result.entries) {
            titles.push_back(entry.title);
            lengths.push_back(entry.lengthMs);
        }
        EXPECT_EQ(titles, shape.titles);
        EXPECT_EQ(lengths, shape.lengths);
        EXPECT_EQ(Warnings(result), shape.warnings);
    }
}

TEST_F(PlsReaderTest, EntriesKeepTheLinesOfTheirFileKeysAndTheCountsAreReported) {
    const PlaylistReadResult result =
        Read("x.pls", "[playlist]\nFile2=b.mp3\nFile1=a.mp3\nNumberOfEntries=7\nTitle5=x\n");
    ASSERT_TRUE(result.Ok());
    ASSERT_EQ(result.entries.size(), 2u);
    EXPECT_EQ(result.entries[0].line, 3);
    EXPECT_EQ(result.entries[1].line, 2);
    ASSERT_EQ(result.warnings.size(), 2u);
    EXPECT_EQ(result.warnings[0].kind, Kind::kEntryCountMismatch);
    EXPECT_EQ(result.warnings[0].stated, 7);
    EXPECT_EQ(result.warnings[0].found, 2);
    EXPECT_EQ(result.warnings[1].kind, Kind::kNoFileLine);
    EXPECT_EQ(result.warnings[1].stated, 5);
}

TEST_F(PlsReaderTest, WithoutAPlaylistSectionItIsNoPls) {
    for (const char* bytes : {"File1=a.mp3\n", "[other]\nFile1=a.mp3\n", "", "a.mp3\n"}) {
        SCOPED_TRACE(bytes);
        const PlaylistReadResult result = Read("x.pls", bytes);
        EXPECT_EQ(result.error, PlaylistReadError::kWrongContent);
        EXPECT_TRUE(result.entries.empty());
    }
}

}  // namespace
