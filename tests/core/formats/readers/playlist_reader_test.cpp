#include "core/formats/readers/playlist_reader.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "core/formats/readers/read_messages.h"
#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "tests/core/formats/readers/reader_test_support.h"

namespace {

using Kind = PlaylistReadWarningKind;

class PlaylistReaderTest : public ReaderTest {};

TEST(PlaylistFileTypes, ByExtensionInAnyLetterCase) {
    EXPECT_EQ(PlaylistFileTypeFromExtension(".m3u"), PlaylistFileType::kM3u);
    EXPECT_EQ(PlaylistFileTypeFromExtension(".M3U8"), PlaylistFileType::kM3u8);
    EXPECT_EQ(PlaylistFileTypeFromExtension(".Pls"), PlaylistFileType::kPls);
    EXPECT_EQ(PlaylistFileTypeFromExtension(".xspf"), PlaylistFileType::kXspf);
    EXPECT_EQ(PlaylistFileTypeFromExtension("m3u"), std::nullopt);
    EXPECT_EQ(PlaylistFileTypeFromExtension(".m3u "), std::nullopt);
    EXPECT_EQ(PlaylistFileTypeFromExtension(".txt"), std::nullopt);
    EXPECT_TRUE(IsPlaylistFilePath("/a/b.Pls"));
    EXPECT_TRUE(IsPlaylistFilePath("b.c.m3u8"));
    EXPECT_FALSE(IsPlaylistFilePath("/a/.m3u"));
    EXPECT_FALSE(IsPlaylistFilePath("/a.m3u/b"));
    EXPECT_FALSE(IsPlaylistFilePath("/a/b.m3u.mp3"));
}

TEST_F(PlaylistReaderTest, TheContentOfAnotherTypeIsReadAsWhatItIs) {
    struct Case {
        const char* file;
        const char* bytes;
        PlaylistFileType type;
    };
    const Case cases[] = {
        {"radio.m3u", "[playlist]\nFile1=a.mp3\n", PlaylistFileType::kPls},
        {"a.pls", "#EXTM3U\na.mp3\n", PlaylistFileType::kM3u},
        {"b.m3u8",
         "<playlist xmlns=\"http://xspf.org/ns/0/\"><trackList><track><location>a.mp3</location>"
         "</track></trackList></playlist>",
         PlaylistFileType::kXspf},
        {"c.xspf", "\xEF\xBB\xBF#EXTM3U\r\na.mp3\r\n", PlaylistFileType::kM3u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const PlaylistReadResult result = Read(c.file, c.bytes);
        ASSERT_TRUE(result.Ok());
        EXPECT_EQ(result.type, c.type);
        EXPECT_EQ(Paths(result), std::vector<std::string>{At("lists/a.mp3")});
        ASSERT_EQ(result.warnings.size(), 1u);
        EXPECT_EQ(result.warnings[0].kind, Kind::kTypeMismatch);
        EXPECT_EQ(result.warnings[0].text, PlaylistFileTypeName(c.type));
    }
    // An M3U8 that says #EXTM3U is what its name says.
    EXPECT_TRUE(Read("d.m3u8", "#EXTM3U\na.mp3\n").warnings.empty());
}

TEST_F(PlaylistReaderTest, RefusedFiles) {
    std::filesystem::create_directories(At("lists/folder.m3u"));
    ASSERT_EQ(mkfifo(At("lists/pipe.m3u").c_str(), 0600), 0);
    const std::string utf16 = std::string("\xFF\xFE#\0E\0X\0T\0M\0\x33\0U\0", 16);
    m_temp.File("lists/utf16.m3u", utf16);
    m_temp.File("lists/a.txt", "a.mp3\n");
    struct Case {
        std::string path;
        PlaylistReadError error;
        int errorNumber;
    };
    const Case cases[] = {
        {At("lists/gone.m3u"), PlaylistReadError::kCannotRead, ENOENT},
        {At("lists/folder.m3u"), PlaylistReadError::kCannotRead, EISDIR},
        // A FIFO would block a reader that opened it plainly.
        {At("lists/pipe.m3u"), PlaylistReadError::kCannotRead, EINVAL},
        {At("lists/utf16.m3u"), PlaylistReadError::kWrongContent, 0},
        {At("lists/a.txt"), PlaylistReadError::kUnknownType, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const PlaylistReadResult result = ReadPlaylistFile(c.path);
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(result.errorNumber, c.errorNumber);
        EXPECT_TRUE(result.entries.empty());
    }
}

TEST_F(PlaylistReaderTest, Limits) {
    {
        // Over 64 MiB, without writing them: a file with a hole.
        const std::string path = m_temp.File("lists/huge.m3u", "a.mp3\n");
        ASSERT_EQ(truncate(path.c_str(), kMaxPlaylistFileBytes + 1), 0);
        EXPECT_EQ(ReadPlaylistFile(path).error, PlaylistReadError::kTooLarge);
        ASSERT_EQ(truncate(path.c_str(), kMaxPlaylistFileBytes), 0);
        // Exactly 64 MiB is read (and refused for its NUL bytes, not its size).
        EXPECT_EQ(ReadPlaylistFile(path).error, PlaylistReadError::kWrongContent);
    }
    {
        const std::string longest(kMaxPlaylistLineBytes, 'a');
        EXPECT_TRUE(Read("line.m3u", "#EXTM3U\n" + longest + "\n").Ok());
        const PlaylistReadResult result = Read("line.m3u", "#EXTM3U\n" + longest + "a\nb.mp3\n");
        EXPECT_EQ(result.error, PlaylistReadError::kLineTooLong);
        EXPECT_EQ(result.errorLine, 2);
        EXPECT_EQ(Read("line.pls", "[playlist]\r\nFile1=" + longest + "\r\n").error,
                  PlaylistReadError::kLineTooLong);
    }
    {
        std::string many;
        many.reserve(2 * (kMaxPlaylistEntries + 1));
        for (std::size_t i = 0; i <= kMaxPlaylistEntries; ++i) {
            many += "a\n";
        }
        EXPECT_EQ(Read("many.m3u", many).error, PlaylistReadError::kTooManyEntries);
    }
    {
        // Numbers without File lines count too.
        std::string titles = "[playlist]\n";
        for (std::size_t i = 0; i <= kMaxPlaylistEntries; ++i) {
            titles += "Title" + std::to_string(i) + "=\n";
        }
        EXPECT_EQ(Read("many.pls", titles).error, PlaylistReadError::kTooManyEntries);
    }
}

// Every message in both languages is a text of the tables, filled in.
class ReadMessagesTest : public ReaderTest {
protected:
    void SetUp() override {
        ReaderTest::SetUp();
        ASSERT_FALSE(m_config.Path().empty());
        setenv("XDG_CONFIG_HOME", m_config.Path().c_str(), 1);
    }
    void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }
    static void ExpectFilledIn(const std::string& text) {
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find("IDS_"), std::string::npos) << text;
        EXPECT_EQ(text.find("/>"), std::string::npos) << text;
    }
    TempFolder m_config{"tracklace-readers-config"};
};

TEST_F(ReadMessagesTest, EveryErrorAndWarningInBothLanguages) {
    for (const char* language : {"EN", "DE"}) {
        SCOPED_TRACE(language);
        SetPropertyString(property::kLanguage, language);
        ReloadTexts();
        for (int error = 1; error <= static_cast<int>(PlaylistReadError::kMalformedXml); ++error) {
            PlaylistReadResult result;
            result.error = static_cast<PlaylistReadError>(error);
            result.errorLine = 12;
            const std::string text = DescribePlaylistReadError(result, "/m/x.m3u");
            ExpectFilledIn(text);
            EXPECT_NE(text.find("/m/x.m3u"), std::string::npos) << text;
        }
        for (int kind = 0; kind <= static_cast<int>(Kind::kNoFileLine); ++kind) {
            const PlaylistReadWarning warning{static_cast<Kind>(kind), 7, "http://x", 3, 2};
            ExpectFilledIn(DescribePlaylistReadWarning(warning));
        }
    }
    SetPropertyString(property::kLanguage, "EN");
    ReloadTexts();
    EXPECT_EQ(DescribePlaylistReadError(PlaylistReadResult{}, "/m/x.m3u"), "");
    EXPECT_EQ(DescribePlaylistReadWarning({Kind::kEntryCountMismatch, 9, {}, 5, 2}),
              "Line 9: NumberOfEntries gives 5, but the playlist has 2 File lines; the File "
              "lines count.");
    // A tag in the entry's own text stays as it is.
    EXPECT_EQ(DescribePlaylistReadWarning({Kind::kUrl, 3, "http://x/<LINE/>", 0, 0}),
              "Line 3: http://x/<LINE/> is an internet address, not a file on this computer; "
              "the entry was left out.");
    EXPECT_EQ(DescribePlaylistReadWarning({Kind::kWindows1252, 0, {}, 0, 0}),
              "The playlist is not stored in UTF-8; it was read as Windows-1252 (Western "
              "European) text.");
    PlaylistReadResult wrong;
    wrong.error = PlaylistReadError::kWrongContent;
    wrong.type = PlaylistFileType::kPls;
    EXPECT_EQ(DescribePlaylistReadError(wrong, "a.pls"),
              "The file \"a.pls\" has the extension of a PLS playlist but does not hold one.");
}

}  // namespace
