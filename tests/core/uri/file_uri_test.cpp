#include "core/uri/file_uri.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using uri::FileUriFromPath;
using uri::PathFromFileUri;
using uri::ResolveReference;
using uri::SchemeOf;
using uri::UriReferenceFromRelativePath;

TEST(FileUri, EncodesEveryByteButTheUnreservedOnesAndTheSeparators) {
    EXPECT_EQ(FileUriFromPath("/home/anna/Music/Song1.mp3"), "file:///home/anna/Music/Song1.mp3");
    EXPECT_EQ(FileUriFromPath("/m/03 #hash#.flac"), "file:///m/03%20%23hash%23.flac");
    EXPECT_EQ(FileUriFromPath("/m/07 percent %20 and & amp.mp3"),
              "file:///m/07%20percent%20%2520%20and%20%26%20amp.mp3");
    EXPECT_EQ(FileUriFromPath("/m/a;b=c?d'e\"f+g!h,i:j@k[l]m.ogg"),
              "file:///m/a%3Bb%3Dc%3Fd%27e%22f%2Bg%21h%2Ci%3Aj%40k%5Bl%5Dm.ogg");
    EXPECT_EQ(FileUriFromPath("/Müsik/ä ö.mp3"), "file:///M%C3%BCsik/%C3%A4%20%C3%B6.mp3");
    EXPECT_EQ(FileUriFromPath("/a-b_c.d~e/"), "file:///a-b_c.d~e/");
    // Only absolute paths without NUL have a file URI.
    EXPECT_EQ(FileUriFromPath("music/a.mp3"), "");
    EXPECT_EQ(FileUriFromPath(""), "");
    EXPECT_EQ(FileUriFromPath(std::string_view("/a\0b", 4)), "");
}

TEST(FileUri, RelativeReferencesKeepTheirDotSegmentsAndNeverLookLikeASchemeOrAPath) {
    EXPECT_EQ(UriReferenceFromRelativePath("../Music/Song 1.mp3"), "../Music/Song%201.mp3");
    EXPECT_EQ(UriReferenceFromRelativePath("./Live/a.mp3"), "./Live/a.mp3");
    EXPECT_EQ(UriReferenceFromRelativePath("C:x.mp3"), "C%3Ax.mp3");
    EXPECT_EQ(UriReferenceFromRelativePath("-lead.mp3"), "-lead.mp3");
    EXPECT_EQ(UriReferenceFromRelativePath("/abs.mp3"), "");
    EXPECT_EQ(UriReferenceFromRelativePath(""), "");
    // What was written resolves back to the file beside the playlist.
    EXPECT_EQ(ResolveReference(UriReferenceFromRelativePath("../Mu sik/a#1.mp3"),
                               FileUriFromPath("/home/anna/Lists/x.m3u")),
              "file:///home/anna/Mu%20sik/a%231.mp3");
}

TEST(FileUri, ReadsTheFormsPlayersAndPeopleWrite) {
    EXPECT_EQ(PathFromFileUri("file:///home/anna/a%20b.mp3"), "/home/anna/a b.mp3");
    EXPECT_EQ(PathFromFileUri("file://localhost/home/a.mp3"), "/home/a.mp3");
    EXPECT_EQ(PathFromFileUri("FILE://LocalHost/home/a.mp3"), "/home/a.mp3");
    EXPECT_EQ(PathFromFileUri("file:/home/a.mp3"), "/home/a.mp3");
    EXPECT_EQ(PathFromFileUri("file:///m/%2523.mp3"), "/m/%23.mp3");
    EXPECT_EQ(PathFromFileUri("file:///m/%23%25.mp3"), "/m/#%.mp3");
    EXPECT_EQ(PathFromFileUri("file:///M%C3%BCsik/%c3%a4.mp3"), "/Müsik/ä.mp3");
    // Written carelessly: raw blanks, letters and a lone percent sign still name the file.
    EXPECT_EQ(PathFromFileUri("file:///m/Song 1 ä.mp3"), "/m/Song 1 ä.mp3");
    EXPECT_EQ(PathFromFileUri("file:///m/100%.mp3"), "/m/100%.mp3");
    // A fragment and a query are not part of the path.
    EXPECT_EQ(PathFromFileUri("file:///m/a.mp3#t=10"), "/m/a.mp3");
    EXPECT_EQ(PathFromFileUri("file:///m/a.mp3?x=1"), "/m/a.mp3");
    EXPECT_EQ(PathFromFileUri("file:///"), "/");
}

TEST(FileUri, RefusesWhatNamesNoLocalFile) {
    for (const char* text :
         {"http://example.org/a.mp3", "https://x/a.mp3", "file://server/share/a.mp3",
          "file://192.168.1.2/a.mp3", "file:///a%2Fb.mp3", "file:///a%00b.mp3", "../a.mp3",
          "/abs/a.mp3", "", "a.mp3", "C:\\Music\\a.mp3", "file:a.mp3",
          "file:", "FILE:music/a.mp3"}) {
        EXPECT_EQ(PathFromFileUri(text), std::nullopt) << text;
    }
}

TEST(FileUri, EveryPathSurvivesTheRoundTrip) {
    std::mt19937 random(7);
    const std::string alphabet = "aZ09 #%=&;'\"?+-._~!$()*,:@[]\\^`{|}<>\t\x7f\xc3\xa4\xe2\x82\xac";
    for (int i = 0; i < 2000; ++i) {
        std::string path;
        const int segments = 1 + static_cast<int>(random() % 4);
        for (int s = 0; s < segments; ++s) {
            path += '/';
            const int length = static_cast<int>(random() % 12);
            for (int c = 0; c < length; ++c) {
                path += alphabet[random() % alphabet.size()];
            }
        }
        const std::string encoded = FileUriFromPath(path);
        ASSERT_EQ(PathFromFileUri(encoded), path) << encoded;
        for (char c : encoded) {
            ASSERT_TRUE(std::isalnum(static_cast<unsigned char>(c)) ||
                        std::string_view("-._~/%:").find(c) != std::string_view::npos)
                << encoded;
        }
    }
}

TEST(FileUri, ResolvesReferencesAsRfc3986Says) {
    const std::string base = "file:///m/lists/x.xspf";
    EXPECT_EQ(ResolveReference("../b%20c.mp3", base), "file:///m/b%20c.mp3");
    EXPECT_EQ(ResolveReference("a.mp3", base), "file:///m/lists/a.mp3");
    EXPECT_EQ(ResolveReference("/top.mp3", base), "file:///top.mp3");
    EXPECT_EQ(ResolveReference("../../../../up.mp3", base), "file:///up.mp3");
    EXPECT_EQ(ResolveReference("http://x/y.mp3", base), "http://x/y.mp3");
    EXPECT_EQ(ResolveReference("sub/", "file:///m/base/"), "file:///m/base/sub/");
    EXPECT_EQ(ResolveReference("a.mp3", "../relative/base/"), std::nullopt);
}

TEST(FileUri, SchemesAndDrives) {
    EXPECT_EQ(SchemeOf("HTTP://example.org/a.mp3"), "http");
    EXPECT_EQ(SchemeOf("https://example.org/a.mp3"), "https");
    EXPECT_EQ(SchemeOf("file:///a.mp3"), "file");
    EXPECT_EQ(SchemeOf("C:\\Music\\a.mp3"), "");
    EXPECT_EQ(SchemeOf("c:/Music/a.mp3"), "");
    EXPECT_EQ(SchemeOf("../a.mp3"), "");
    EXPECT_EQ(SchemeOf("/abs/a:b.mp3"), "");
    // By the syntax alone a file name can look like a URI; a reader that meets an unknown
    // scheme should take the entry as a path.
    EXPECT_EQ(SchemeOf("Song: live.mp3"), "song");
}

}  // namespace
