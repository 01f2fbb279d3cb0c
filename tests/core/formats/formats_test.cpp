#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/formats/playlist_file_writer.h"
#include "core/formats/playlist_format.h"
#include "core/playlist/playlist.h"
#include "settings/placeholders/placeholders.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

struct TestEntry {
    std::string path;  // as it goes into the file
    std::string name;  // file name without extension
    bool tagged;
    std::string title;
    int seconds;
};

// Fills the templates the way the creation job does and writes them through the writer.
bool WritePlaylist(const std::string& file, const IPlaylistFormat& format,
                   const std::vector<TestEntry>& entries) {
    CPlaylistFileWriter writer;
    if (!writer.Open(file)) {
        return false;
    }
    bool ok = writer.Write(format.GetHeader());
    int track = 1;
    for (const TestEntry& e : entries) {
        const std::string& pattern =
            e.tagged ? format.GetTaggedEntryTemplate() : format.GetEntryTemplate();
        ok = writer.Write(ReplaceTags(pattern, "TRACK", IntToText(track), "FILEPATH", e.path,
                                      "FILENAME", e.name, "TITLE", e.title, "LENGTH",
                                      IntToText(e.seconds))) &&
             ok;
        ++track;
    }
    ok = writer.Write(ReplaceTags(format.GetFooter(), "TRACKCOUNT",
                                  IntToText(static_cast<std::int32_t>(entries.size())))) &&
         ok;
    return writer.Close() && ok;
}

const std::vector<TestEntry> kWorkedEntries = {
    {"C:\\Music\\Rock\\one.mp3", "one", true, "Album X - Song Y", 215},
    {"C:\\Music\\Rock\\two.ogg", "two", false, "", 0},
};

}  // namespace

TEST(PlaylistFormat, M3uStrings) {
    CPlaylistFormatM3u m3u;
    EXPECT_EQ(m3u.GetFormatName(), "M3U");
    EXPECT_EQ(m3u.GetPlaylistExtension(), ".m3u");
    EXPECT_EQ(m3u.GetHeader(), "#EXTM3U\n");
    EXPECT_EQ(m3u.GetEntryTemplate(), "#EXTINF:-1,<FILENAME/>\n<FILEPATH/>\n");
    EXPECT_EQ(m3u.GetTaggedEntryTemplate(), "#EXTINF:<LENGTH/>,<TITLE/>\n<FILEPATH/>\n");
    EXPECT_EQ(m3u.GetFooter(), "");
}

TEST(PlaylistFormat, PlsStrings) {
    CPlaylistFormatPls pls;
    EXPECT_EQ(pls.GetFormatName(), "PLS");
    EXPECT_EQ(pls.GetPlaylistExtension(), ".pls");
    EXPECT_EQ(pls.GetHeader(), "[playlist]\n");
    EXPECT_EQ(pls.GetEntryTemplate(), "File<TRACK/>=<FILEPATH/>\nTitle<TRACK/>=<FILENAME/>\n");
    EXPECT_EQ(pls.GetTaggedEntryTemplate(),
              "File<TRACK/>=<FILEPATH/>\nTitle<TRACK/>=<TITLE/>\nLength<TRACK/>=<LENGTH/>\n");
    EXPECT_EQ(pls.GetFooter(), "NumberOfEntries=<TRACKCOUNT/>\nVersion=2\n");
}

TEST(PlaylistFormat, FactoryFollowsThePlaylistType) {
    auto pls = CreatePlaylistFormat(0);
    auto m3u = CreatePlaylistFormat(1);
    ASSERT_NE(pls, nullptr);
    ASSERT_NE(m3u, nullptr);
    EXPECT_EQ(pls->GetFormatName(), "PLS");
    EXPECT_EQ(m3u->GetFormatName(), "M3U");
    EXPECT_EQ(CreatePlaylistFormat(2), nullptr);
    EXPECT_EQ(CreatePlaylistFormat(-1), nullptr);

    // The playlist's file path ends in the extension of the format its type makes.
    CPlaylist list;
    list.SetFolder("/lists");
    list.SetName("p");
    for (const char* ext : {".pls", ".m3u"}) {
        list.SetTypeFromExtension(ext);
        auto format = CreatePlaylistFormat(list.GetType());
        ASSERT_NE(format, nullptr);
        EXPECT_EQ(list.GetFilePath(), "/lists/p" + format->GetPlaylistExtension());
    }
}

TEST(PlaylistFile, WorkedM3uResultByteForByte) {
    TempFolder temp;
    const std::string file = (temp / "worked.m3u");
    ASSERT_TRUE(WritePlaylist(file, CPlaylistFormatM3u(), kWorkedEntries));
    EXPECT_EQ(ReadFileBytes(file),
              "#EXTM3U\r\n"
              "#EXTINF:215,Album X - Song Y\r\n"
              "C:\\Music\\Rock\\one.mp3\r\n"
              "#EXTINF:-1,two\r\n"
              "C:\\Music\\Rock\\two.ogg\r\n");
}

TEST(PlaylistFile, WorkedPlsResultByteForByte) {
    TempFolder temp;
    const std::string file = (temp / "worked.pls");
    ASSERT_TRUE(WritePlaylist(file, CPlaylistFormatPls(), kWorkedEntries));
    EXPECT_EQ(ReadFileBytes(file),
              "[playlist]\r\n"
              "File1=C:\\Music\\Rock\\one.mp3\r\n"
              "Title1=Album X - Song Y\r\n"
              "Length1=215\r\n"
              "File2=C:\\Music\\Rock\\two.ogg\r\n"
              "Title2=two\r\n"
              "NumberOfEntries=2\r\n"
              "Version=2\r\n");
}

TEST(PlaylistFile, UntaggedDottedAndEmptyTitles) {
    TempFolder temp;
    const std::vector<TestEntry> entries = {
        {"/music/a.b.mp3", "a.b", false, "", 0},
        {"/music/c.mp3", "c", true, "", 7},
        {"/music/Grüße.mp3", "Grüße", true, "Ärger <LENGTH/>", 60},
        {"/music/d.wav", "d", false, "", 0},
    };
    const std::string m3u = (temp / "x.m3u");
    ASSERT_TRUE(WritePlaylist(m3u, CPlaylistFormatM3u(), entries));
    // Only the last extension goes; an empty title leaves nothing after the comma; a tag
    // brought in by the title is filled by the later LENGTH pair; UTF-8 goes out unchanged.
    EXPECT_EQ(ReadFileBytes(m3u),
              "#EXTM3U\r\n"
              "#EXTINF:-1,a.b\r\n/music/a.b.mp3\r\n"
              "#EXTINF:7,\r\n/music/c.mp3\r\n"
              "#EXTINF:60,Ärger 60\r\n/music/Grüße.mp3\r\n"
              "#EXTINF:-1,d\r\n/music/d.wav\r\n");

    const std::string pls = (temp / "x.pls");
    ASSERT_TRUE(WritePlaylist(pls, CPlaylistFormatPls(), entries));
    EXPECT_EQ(ReadFileBytes(pls),
              "[playlist]\r\n"
              "File1=/music/a.b.mp3\r\nTitle1=a.b\r\n"
              "File2=/music/c.mp3\r\nTitle2=\r\nLength2=7\r\n"
              "File3=/music/Grüße.mp3\r\nTitle3=Ärger 60\r\nLength3=60\r\n"
              "File4=/music/d.wav\r\nTitle4=d\r\n"
              "NumberOfEntries=4\r\nVersion=2\r\n");
}

TEST(PlaylistFile, EmptyPlaylists) {
    TempFolder temp;
    ASSERT_TRUE(WritePlaylist((temp / "e.m3u"), CPlaylistFormatM3u(), {}));
    EXPECT_EQ(ReadFileBytes((temp / "e.m3u")), "#EXTM3U\r\n");
    ASSERT_TRUE(WritePlaylist((temp / "e.pls"), CPlaylistFormatPls(), {}));
    EXPECT_EQ(ReadFileBytes((temp / "e.pls")), "[playlist]\r\nNumberOfEntries=0\r\nVersion=2\r\n");
}

TEST(PlaylistFileWriter, LineEndsAcrossWritesAndBufferBoundaries) {
    TempFolder temp;
    const std::string file = (temp / "lines.txt");
    CPlaylistFileWriter writer;
    ASSERT_TRUE(writer.Open(file));
    EXPECT_TRUE(writer.Write(""));
    EXPECT_TRUE(writer.Write("a"));
    EXPECT_TRUE(writer.Write("b\n\nc"));
    EXPECT_TRUE(writer.Write("\n"));
    EXPECT_TRUE(writer.Write("\r\n"));  // like text mode: a CR already there stays
    std::string expected = "ab\r\n\r\nc\r\n\r\r\n";

    // Far more than the buffer holds, in pieces whose CR LF pairs fall on every offset.
    std::string big;
    for (int i = 0; i < 40000; ++i) {
        big += std::string(static_cast<std::size_t>(i % 11), 'x') + "\n";
    }
    EXPECT_TRUE(writer.Write(big));
    for (char c : big) {
        expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(writer.GetErrorNumber(), 0);
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(ReadFileBytes(file), expected);
}

// Bytes go out as they are, mixed with converted text, across the buffer's end; the file
// form of a text is what Write makes of it.
TEST(PlaylistFileWriter, BytesAreWrittenUnchangedAndToFileTextMatchesWrite) {
    EXPECT_EQ(ToFileText("a\nb\r\n\n"), "a\r\nb\r\r\n\r\n");
    EXPECT_EQ(ToFileText(""), "");
    TempFolder temp;
    const std::string file = (temp / "bytes.txt");
    CPlaylistFileWriter writer;
    ASSERT_TRUE(writer.Open(file));
    std::string expected;
    for (int i = 0; i < 30000; ++i) {
        const std::string piece(static_cast<std::size_t>(i % 37), static_cast<char>('a' + i % 26));
        ASSERT_TRUE(writer.WriteBytes(piece + "\n"));
        expected += piece + "\n";
        if (i % 1000 == 0) {
            ASSERT_TRUE(writer.Write("x\n"));
            expected += "x\r\n";
        }
    }
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(ReadFileBytes(file), expected);
    EXPECT_FALSE(writer.WriteBytes("late"));

    CPlaylistFileWriter full;
    ASSERT_TRUE(full.Open("/dev/full"));
    bool failed = false;
    for (int i = 0; i < 10000 && !failed; ++i) {
        failed = !full.WriteBytes(std::string(100, 'z'));
    }
    EXPECT_TRUE(failed);
    EXPECT_FALSE(full.WriteBytes("z"));
    EXPECT_FALSE(full.Close());
}

TEST(PlaylistFileWriter, TruncatesAndCreates) {
    TempFolder temp;
    const std::string file = (temp / "old.m3u");
    {
        std::ofstream out(file, std::ios::binary);
        out << "an older and much longer playlist that must not survive";
    }
    CPlaylistFileWriter writer;
    ASSERT_TRUE(writer.Open(file));
    ASSERT_TRUE(writer.Write("new\n"));
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(ReadFileBytes(file), "new\r\n");  // and no byte-order mark in front

    // Opened and closed without a write: an empty file.
    ASSERT_TRUE(writer.Open((temp / "empty.pls")));
    ASSERT_TRUE(writer.Close());
    EXPECT_TRUE(fs::exists((temp / "empty.pls")));
    EXPECT_EQ(fs::file_size((temp / "empty.pls")), 0u);
}

TEST(PlaylistFileWriter, MisuseIsRefused) {
    TempFolder temp;
    CPlaylistFileWriter writer;
    EXPECT_FALSE(writer.Write("x\n"));
    EXPECT_FALSE(writer.Flush());
    EXPECT_FALSE(writer.Close());
    ASSERT_TRUE(writer.Open((temp / "a.m3u")));
    EXPECT_FALSE(writer.Open((temp / "b.m3u")));  // one file at a time
    EXPECT_FALSE(fs::exists((temp / "b.m3u")));
    EXPECT_TRUE(writer.Write("x\n"));
    EXPECT_TRUE(writer.Flush());
    EXPECT_EQ(ReadFileBytes((temp / "a.m3u")), "x\r\n");
    EXPECT_TRUE(writer.Close());
    EXPECT_FALSE(writer.Close());
    EXPECT_FALSE(writer.Write("y\n"));

    // The destructor closes what is still open, with the buffered bytes.
    {
        CPlaylistFileWriter scoped;
        ASSERT_TRUE(scoped.Open((temp / "c.m3u")));
        ASSERT_TRUE(scoped.Write("kept\n"));
    }
    EXPECT_EQ(ReadFileBytes((temp / "c.m3u")), "kept\r\n");
}

TEST(PlaylistFileWriter, OpenFailures) {
    TempFolder temp;
    CPlaylistFileWriter writer;

    EXPECT_FALSE(writer.Open((temp / "missing/list.m3u")));
    EXPECT_EQ(writer.GetErrorNumber(), ENOENT);
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_FALSE(writer.Write("x\n"));
    EXPECT_FALSE(writer.Close());

    // A regular file where a folder should be: fails for every user, root included.
    { std::ofstream((temp / "plain"), std::ios::binary) << "x"; }
    EXPECT_FALSE(writer.Open((temp / "plain/list.m3u")));
    EXPECT_EQ(writer.GetErrorNumber(), ENOTDIR);

    // The path of a folder.
    EXPECT_FALSE(writer.Open(temp.Path().string()));
    EXPECT_EQ(writer.GetErrorNumber(), EISDIR);

    EXPECT_FALSE(writer.Open(""));
}

TEST(PlaylistFileWriter, OpenFailsInReadOnlyFolder) {
    TempFolder temp;
    CPlaylistFileWriter writer;
    // A folder without write permission (root writes anyway, so only where it holds).
    const fs::path locked = temp.Path() / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(locked.c_str(), W_OK) == 0) {
        fs::permissions(locked, fs::perms::owner_all);
        GTEST_SKIP() << "running with the right to write into read-only folders";
    }
    EXPECT_FALSE(writer.Open((locked / "list.m3u").string()));
    EXPECT_EQ(writer.GetErrorNumber(), EACCES);
    fs::permissions(locked, fs::perms::owner_all);
}

TEST(PlaylistFileWriter, FullDeviceFailsAndStaysFailed) {
    if (::access("/dev/full", W_OK) != 0) {
        GTEST_SKIP() << "/dev/full is not available";
    }
    // Small writes only reach the buffer; the loss shows at Close.
    {
        CPlaylistFileWriter writer;
        ASSERT_TRUE(writer.Open("/dev/full"));
        EXPECT_TRUE(writer.Write("#EXTM3U\n"));
        EXPECT_FALSE(writer.Close());
        EXPECT_EQ(writer.GetErrorNumber(), ENOSPC);
    }
    // An explicit flush reports it, and nothing after it succeeds.
    {
        CPlaylistFileWriter writer;
        ASSERT_TRUE(writer.Open("/dev/full"));
        EXPECT_TRUE(writer.Write("#EXTM3U\n"));
        EXPECT_FALSE(writer.Flush());
        EXPECT_FALSE(writer.Write("more\n"));
        EXPECT_FALSE(writer.Close());
    }
    // A write larger than the buffer fails at once.
    {
        CPlaylistFileWriter writer;
        ASSERT_TRUE(writer.Open("/dev/full"));
        EXPECT_FALSE(writer.Write(std::string(200000, 'x')));
        EXPECT_FALSE(writer.Close());
        // The writer is usable again for the next file.
        TempFolder temp;
        ASSERT_TRUE(writer.Open((temp / "next.m3u")));
        EXPECT_EQ(writer.GetErrorNumber(), 0);
        EXPECT_TRUE(writer.Write("ok\n"));
        EXPECT_TRUE(writer.Close());
        EXPECT_EQ(ReadFileBytes((temp / "next.m3u")), "ok\r\n");
    }
}
