#include <gtest/gtest.h>

#include "tests/core/formats/readers/reader_test_support.h"

namespace {

using Kind = PlaylistReadWarningKind;

class M3uReaderTest : public ReaderTest {};

struct Shape {
    const char* what;
    const char* file;
    std::string bytes;
    std::vector<std::string> paths;  // with "{root}"
    std::vector<int> lines;
    std::vector<std::string> warnings;
};

TEST_F(M3uReaderTest, RealWorldShapes) {
    Touch("music/a.mp3");
    Touch("music/Rock/a.mp3");
    Touch("music/t.mp3");
    Touch("music/u.mp3 ");
    Touch("lists/x\\y.mp3");
    const std::vector<Shape> shapes = {
        {"extended, byte-order mark, CR LF",
         "a.m3u",
         "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:215,Artist - Song\r\n../music/a.mp3\r\n#EXTINF:-1,b\r\n"
         "{root}/music/b.ogg\r\n",
         {"{root}/music/a.mp3", "{root}/music/b.ogg"},
         {3, 5},
         {}},
        {"no header, LF, blank lines, comments and leading blanks",
         "b.m3u",
         "# my list\n\nsub/c.mp3\n   \n  ./d.mp3\n#EXTVLCOPT:network-caching=1000\n",
         {"{root}/lists/sub/c.mp3", "{root}/lists/d.mp3"},
         {3, 5},
         {}},
        {"CR alone, no line end at the end",
         "c.m3u",
         "#EXTM3U\r#EXTINF:10,x\r../music/a.mp3\r\r../music/b.ogg",
         {"{root}/music/a.mp3", "{root}/music/b.ogg"},
         {3, 5},
         {}},
        {"Windows-1252 .m3u",
         "d.m3u",
         "#EXTM3U\r\n#EXTINF:1,Mot\xF6rhead\r\n../music/Mot\xF6rhead \x80.mp3\r\n",
         {"{root}/music/Motörhead €.mp3"},
         {3},
         {W(Kind::kWindows1252, 0)}},
        {"UTF-8 .m3u without a byte-order mark",
         "e.m3u",
         "../music/Motörhead €.mp3\n",
         {"{root}/music/Motörhead €.mp3"},
         {1},
         {}},
        {".m3u8 with one line that is not UTF-8",
         "f.m3u8",
         "#EXTM3U\n../music/\xF6.mp3\n../music/ä.mp3\n",
         {"{root}/music/\xF6.mp3", "{root}/music/ä.mp3"},
         {2, 3},
         {W(Kind::kInvalidUtf8, 2)}},
        {"internet addresses; a colon in a file name is none",
         "g.m3u",
         "http://radio.example/stream\nHTTPS://x.example/y.mp3\nrtsp://x.example/y\n"
         "Intro: live.mp3\n",
         {"{root}/lists/Intro: live.mp3"},
         {4},
         {W(Kind::kUrl, 1), W(Kind::kUrl, 2), W(Kind::kUrl, 3)}},
        {"file URIs",
         "h.m3u",
         "file://{root}/music/a%20b%23%25.mp3\nFILE://localhost{root}/music/c.mp3\n"
         "file://server/share/d.mp3\nfile:///C:/Music/e.mp3\nfile:///x%00y.mp3\n"
         "file:{root}/music/f.mp3\n",
         {"{root}/music/a b#%.mp3", "{root}/music/c.mp3", "{root}/music/f.mp3"},
         {1, 2, 6},
         {W(Kind::kInvalidFileUri, 3), W(Kind::kWindowsPath, 4), W(Kind::kInvalidFileUri, 5)}},
        {"Windows drives and shares",
         "i.m3u",
         "C:\\Music\\a.mp3\nd:/Music/b.mp3\n\\\\server\\share\\c.mp3\n",
         {},
         {},
         {W(Kind::kWindowsPath, 1), W(Kind::kWindowsPath, 2), W(Kind::kWindowsPath, 3)}},
        {"backslashes: the form that exists, else the text as it is",
         "j.m3u",
         "..\\music\\Rock\\a.mp3\n..\\music\\gone.mp3\nx\\y.mp3\n",
         {"{root}/music/Rock/a.mp3", "{root}/lists/..\\music\\gone.mp3", "{root}/lists/x\\y.mp3"},
         {1, 2, 3},
         {}},
        {"blanks at the end: the form that exists",
         "k.m3u",
         "../music/t.mp3  \n../music/u.mp3 \n../music/v.mp3 \n",
         {"{root}/music/t.mp3", "{root}/music/u.mp3 ", "{root}/music/v.mp3 "},
         {1, 2, 3},
         {}},
    };
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.what);
        const PlaylistReadResult result = Read(shape.file, shape.bytes);
        ASSERT_TRUE(result.Ok()) << static_cast<int>(result.error);
        std::vector<std::string> expected;
        for (const std::string& path : shape.paths) {
            expected.push_back(WithRoot(path));
        }
        EXPECT_EQ(Paths(result), expected);
        std::vector<int> lines;
        for (const PlaylistFileEntry& entry : result.entries) {
            lines.push_back(entry.line);
        }
        EXPECT_EQ(lines, shape.lines);
        EXPECT_EQ(Warnings(result), shape.warnings);
    }
}

TEST_F(M3uReaderTest, TitlesAndLengthsOfExtInf) {
    const PlaylistReadResult result =
        Read("x.m3u",
             "#EXTM3U\n#EXTINF:-1,a\nx1\n#EXTINF:0,b\nx2\n#EXTINF:215.5,c\nx3\n#EXTINF:abc,d\nx4\n"
             "#EXTINF:,e\nx5\n#EXTINF:99\nx6\n"
             "#EXTINF:-1 tvg-name=\"a,b\" group-title=\"c\",Title, with comma\nx7\n"
             "#EXTINF:1e9,f\nx8\n#extinf:7, lower\nx9\nx10\n#EXTINF:5,radio\nhttp://x/y\nx11\n");
    ASSERT_TRUE(result.Ok());
    const std::vector<std::string> titles = {"a", "b",      "c", "d", "e", "", "Title, with comma",
                                             "f", " lower", "",  ""};
    const std::vector<std::int64_t> lengths = {-1, 0, 215500, -1, -1, 99000, -1, -1, 7000, -1, -1};
    ASSERT_EQ(result.entries.size(), titles.size());
    for (std::size_t i = 0; i < titles.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(result.entries[i].title, titles[i]);
        EXPECT_EQ(result.entries[i].lengthMs, lengths[i]);
    }
}

TEST_F(M3uReaderTest, TellsWhichFilesExist) {
    Touch("music/a.mp3");
    std::filesystem::create_directories(At("music/folder.mp3"));
    const PlaylistReadResult result =
        Read("x.m3u", "../music/a.mp3\n../music/gone.mp3\n../music/folder.mp3\n");
    ASSERT_EQ(result.entries.size(), 3u);
    EXPECT_TRUE(result.entries[0].exists);
    EXPECT_FALSE(result.entries[1].exists);
    EXPECT_FALSE(result.entries[2].exists);
    EXPECT_EQ(result.MissingCount(), 2u);
}

}  // namespace
