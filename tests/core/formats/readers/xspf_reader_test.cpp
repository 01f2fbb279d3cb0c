#include <gtest/gtest.h>

#include "tests/core/formats/readers/reader_test_support.h"

namespace {

using Kind = PlaylistReadWarningKind;

class XspfReaderTest : public ReaderTest {
protected:
    // A playlist of the given tracks in the XSPF namespace.
    static std::string Playlist(const std::string& tracks, const std::string& attributes = "") {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" "
               "xmlns=\"http://xspf.org/ns/0/\"" +
               attributes + ">\n<trackList>\n" + tracks + "</trackList>\n</playlist>\n";
    }
};

TEST_F(XspfReaderTest, AsVlcWritesIt) {
    const PlaylistReadResult result =
        Read("x.xspf",
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<playlist xmlns=\"http://xspf.org/ns/0/\" "
             "xmlns:vlc=\"http://www.videolan.org/vlc/playlist/ns/0/\" version=\"1\">\n"
             "\t<title>Playlist</title>\n"
             "\t<trackList>\n"
             "\t\t<track>\n"
             "\t\t\t<location>file://{root}/music/a%20b%23%25%C3%A4.mp3</location>\n"
             "\t\t\t<title>Song &amp; Dance</title>\n"
             "\t\t\t<creator>Artist</creator>\n"
             "\t\t\t<album>Album</album>\n"
             "\t\t\t<duration>215000</duration>\n"
             "\t\t\t<extension application=\"http://www.videolan.org/vlc/playlist/0\">"
             "<vlc:id>0</vlc:id></extension>\n"
             "\t\t</track>\n"
             "\t\t<track><location>../music/c.ogg</location>"
             "<title><![CDATA[<raw> & ]]>text</title></track>\n"
             "\t</trackList>\n"
             "</playlist>\n");
    ASSERT_TRUE(result.Ok()) << static_cast<int>(result.error);
    EXPECT_EQ(Paths(result), (std::vector<std::string>{At("music/a b#%ä.mp3"), At("music/c.ogg")}));
    const PlaylistFileEntry& first = result.entries[0];
    EXPECT_EQ(first.title, "Song & Dance");
    EXPECT_EQ(first.artist, "Artist");
    EXPECT_EQ(first.album, "Album");
    EXPECT_EQ(first.lengthMs, 215000);
    EXPECT_EQ(first.line, 6);
    EXPECT_EQ(result.entries[1].title, "<raw> & text");
    EXPECT_EQ(result.entries[1].lengthMs, kUnknownLength);
    EXPECT_EQ(result.entries[1].line, 13);
    EXPECT_TRUE(result.warnings.empty());
}

TEST_F(XspfReaderTest, LocationsResolveAgainstXmlBase) {
    const PlaylistReadResult result =
        Read("x.xspf",
             "<playlist xmlns=\"http://xspf.org/ns/0/\" xml:base=\"file://{root}/music/\">\n"
             "<trackList xml:base=\"sub/\">\n"
             "<track><location>a.mp3</location></track>\n"
             "<track xml:base=\"/other/\"><location>b%20c.mp3</location></track>\n"
             "<track><location xml:base=\"../up/\">d.mp3</location></track>\n"
             "<track><location>  {root}/abs.mp3\n</location></track>\n"
             "</trackList>\n"
             "<trackList><track><location>e.mp3</location></track></trackList>\n"
             "</playlist>\n");
    ASSERT_TRUE(result.Ok()) << static_cast<int>(result.error);
    EXPECT_EQ(Paths(result),
              (std::vector<std::string>{At("music/sub/a.mp3"), "/other/b c.mp3",
                                        At("music/up/d.mp3"), At("abs.mp3"), At("music/e.mp3")}));
}

TEST_F(XspfReaderTest, WithoutXmlBaseRelativeToThePlaylist) {
    const PlaylistReadResult result =
        Read("x.xspf", Playlist("<track><location>sub/a%23b.mp3</location></track>\n"
                                "<track><location>../music/Song 1.mp3</location></track>\n"));
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(Paths(result),
              (std::vector<std::string>{At("lists/sub/a#b.mp3"), At("music/Song 1.mp3")}));
}

TEST_F(XspfReaderTest, TracksThatNameNoFileOfThisComputerAreLeftOut) {
    const PlaylistReadResult result =
        Read("x.xspf",
             Playlist("<track><location>http://radio.example/stream</location></track>\n"  // line 4
                      "<track><title>no location</title></track>\n"
                      "<track><location>C:\\Music\\a.mp3</location></track>\n"
                      "<track><location>file:///C:/Music/a.mp3</location></track>\n"
                      "<track><location>file://server/share/a.mp3</location></track>\n"
                      "<track>\n<location>http://mirror.example/a.mp3</location>\n"
                      "<location>a.mp3</location></track>\n"
                      "<track><location> </location></track>\n"));
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(Paths(result), std::vector<std::string>{At("lists/a.mp3")});
    EXPECT_EQ(result.entries[0].line, 11);
    EXPECT_EQ(Warnings(result), (std::vector<std::string>{
                                    W(Kind::kUrl, 4), W(Kind::kTrackWithoutFile, 5),
                                    W(Kind::kWindowsPath, 6), W(Kind::kWindowsPath, 7),
                                    W(Kind::kInvalidFileUri, 8), W(Kind::kTrackWithoutFile, 12)}));
    EXPECT_EQ(result.LeftOutCount(), 6u);
}

TEST_F(XspfReaderTest, ANamespacePrefixIsFollowed) {
    const PlaylistReadResult result =
        Read("x.xspf",
             "<x:playlist xmlns:x=\"http://xspf.org/ns/0/\"><x:trackList>"
             "<x:track><x:location>a.mp3</x:location><x:title>t</x:title><title>no</title>"
             "</x:track><track><location>b.mp3</location></track>"
             "</x:trackList></x:playlist>");
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(Paths(result), std::vector<std::string>{At("lists/a.mp3")});
    EXPECT_EQ(result.entries[0].title, "t");
}

TEST_F(XspfReaderTest, DurationsThatAreNoMillisecondsAreUnknown) {
    const PlaylistReadResult result =
        Read("x.xspf", Playlist("<track><location>a</location><duration>-5</duration></track>"
                                "<track><location>b</location><duration>abc</duration></track>"
                                "<track><location>c</location><duration> 1000\n</duration></track>"
                                "<track><location>d</location><duration>1.5</duration></track>"));
    ASSERT_EQ(result.entries.size(), 4u);
    EXPECT_EQ(result.entries[0].lengthMs, kUnknownLength);
    EXPECT_EQ(result.entries[1].lengthMs, kUnknownLength);
    EXPECT_EQ(result.entries[2].lengthMs, 1000);
    EXPECT_EQ(result.entries[3].lengthMs, kUnknownLength);
}

TEST_F(XspfReaderTest, EntitiesOfADocumentTypeAreNeverExpandedNorFetched) {
    const PlaylistReadResult result =
        Read("x.xspf",
             "<?xml version=\"1.0\"?>\n<!DOCTYPE playlist [\n"
             "<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">\n"
             "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
             "<!ENTITY secret SYSTEM \"file:///etc/passwd\">\n]>\n" +
                 Playlist("<track><location>a.mp3</location><title>&b;&secret;&#65;</title>"
                          "</track>"));
    ASSERT_TRUE(result.Ok());
    ASSERT_EQ(result.entries.size(), 1u);
    EXPECT_EQ(result.entries[0].title, "&b;&secret;A");
}

TEST_F(XspfReaderTest, WhatIsNoXspfIsRefused) {
    struct Case {
        const char* what;
        std::string bytes;
        PlaylistReadError error;
        int line;
    };
    const std::vector<Case> cases = {
        {"no namespace", "<playlist><trackList/></playlist>", PlaylistReadError::kWrongContent, 0},
        {"another namespace", "<playlist xmlns=\"http://example.org/\"/>",
         PlaylistReadError::kWrongContent, 0},
        {"another root", "<html xmlns=\"http://xspf.org/ns/0/\"/>",
         PlaylistReadError::kWrongContent, 0},
        {"no element at all", "just text", PlaylistReadError::kWrongContent, 0},
        {"empty", "", PlaylistReadError::kWrongContent, 0},
        {"not well-formed", Playlist("<track>\n<location>a</location>\n"),
         PlaylistReadError::kMalformedXml, 6},
        {"a location over 64 KiB",
         Playlist("<track>\n<location>" + std::string(64 * 1024 + 1, 'a') + "</location></track>"),
         PlaylistReadError::kLineTooLong, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PlaylistReadResult result = Read("x.xspf", c.bytes);
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(result.errorLine, c.line);
        EXPECT_TRUE(result.entries.empty());
    }
}

}  // namespace
