#include "core/mp3_info/mp3_file_info.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "core/mp3_info/title_mask.h"
#include "tests/core/mp3_info/mp3_test_files.h"
#include "tests/support/mp3/mp3_gen.h"

namespace {

using mp3gen::Bytes;
using mp3gen::Id3v2Builder;
using mp3gen::StreamSpec;
using mp3gen::VbrHeader;
using mp3gen::Version;

StreamSpec Cbr(Version version, int sampleRate, int kbps, int frames) {
    StreamSpec spec;
    spec.version = version;
    spec.sampleRate = sampleRate;
    spec.bitrates = {kbps};
    spec.frames = frames;
    return spec;
}

// Bitrates far apart, and a first frame far from the average, so that a length guessed
// from the first frame misses by many seconds.
StreamSpec Vbr(Version version, int sampleRate, int frames, VbrHeader header) {
    StreamSpec spec;
    spec.version = version;
    spec.sampleRate = sampleRate;
    spec.bitrates = version == Version::Mpeg1 ? std::vector<int>{64, 320, 128, 256, 160, 224}
                                              : std::vector<int>{32, 160, 64, 128, 96, 144};
    spec.frames = frames;
    spec.vbrHeader = header;
    return spec;
}

struct LengthCase {
    const char* name;
    StreamSpec spec;
    const char* bitrateText;
};

// Test names and failure messages show the case by its name, not as a dump of its bytes.
void PrintTo(const LengthCase& c, std::ostream* out) {
    *out << c.name;
}

class Mp3LengthTest : public Mp3FilesTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(Mp3LengthTest, LengthAgreesWithTheAudioWithinOneSecond) {
    const LengthCase& c = GetParam();
    // With a tag in front and behind, so that neither counts as audio.
    const std::string path =
        Write("a.mp3", mp3gen::Concat({Id3v2Builder(3).Text("TIT2", "x").Padding(300).Build(),
                                       mp3gen::MakeStream(c.spec),
                                       mp3gen::MakeId3v1("t", "a", "b", "2000", "", 1, 17)}));
    MP3FileInfo info;
    ASSERT_TRUE(info.Load(path));
    const double trueMs = mp3gen::AudioMilliseconds(c.spec);
    EXPECT_NEAR(static_cast<double>(info.GetLengthMilliseconds()), trueMs, 60.0);
    EXPECT_LE(std::abs(info.GetLength() * 1000.0 - trueMs), 1000.0);
    EXPECT_EQ(info.GetLength(), MP3FileInfo::RoundToSeconds(static_cast<std::int64_t>(trueMs)));
    EXPECT_EQ(info.GetFrequency(), c.spec.sampleRate);
    EXPECT_EQ(info.GetBitrate(), c.spec.bitrates.front() * 1000);
    EXPECT_EQ(info.GetBitrateText(), c.bitrateText);
}

const Version kV1 = Version::Mpeg1;
const Version kV2 = Version::Mpeg2;
const Version kV25 = Version::Mpeg25;

StreamSpec WithHeader(StreamSpec spec, VbrHeader header) {
    spec.vbrHeader = header;
    return spec;
}

StreamSpec WithCounts(StreamSpec spec, std::uint32_t frames, std::uint32_t bytes) {
    spec.headerFrames = frames;
    spec.headerBytes = bytes;
    return spec;
}

StreamSpec Layer(StreamSpec spec, int layer) {
    spec.layer = layer;
    return spec;
}

INSTANTIATE_TEST_SUITE_P(
    Streams, Mp3LengthTest,
    ::testing::Values(
        LengthCase{"cbr_44k", Cbr(kV1, 44100, 128, 2000), "128 kbit/s"},
        LengthCase{"cbr_48k", Cbr(kV1, 48000, 192, 1500), "192 kbit/s"},
        LengthCase{"cbr_22k", Cbr(kV2, 22050, 64, 3000), "64 kbit/s"},
        LengthCase{"cbr_11k", Cbr(kV25, 11025, 32, 600), "32 kbit/s"},
        LengthCase{"info_44k", WithHeader(Cbr(kV1, 44100, 128, 2000), VbrHeader::Info),
                   "128 kbit/s"},
        LengthCase{"info_22k", WithHeader(Cbr(kV2, 22050, 56, 2000), VbrHeader::Info), "56 kbit/s"},
        LengthCase{"layer2_48k", Layer(Cbr(kV1, 48000, 256, 900), 2), "256 kbit/s"},
        LengthCase{"layer1_44k", Layer(Cbr(kV1, 44100, 384, 2000), 1), "384 kbit/s"},
        LengthCase{"xing_44k", Vbr(kV1, 44100, 2000, VbrHeader::Xing), "192 kbit/s (VBR)"},
        LengthCase{"xing_48k", Vbr(kV1, 48000, 1700, VbrHeader::Xing), "192 kbit/s (VBR)"},
        LengthCase{"xing_22k", Vbr(kV2, 22050, 2500, VbrHeader::Xing), "103 kbit/s (VBR)"},
        LengthCase{"vbri_44k", Vbr(kV1, 44100, 1200, VbrHeader::Vbri), "192 kbit/s (VBR)"},
        LengthCase{"vbr_44k", Vbr(kV1, 44100, 2000, VbrHeader::None), "192 kbit/s (VBR)"},
        LengthCase{"vbr_48k", Vbr(kV1, 48000, 1700, VbrHeader::None), "192 kbit/s (VBR)"},
        LengthCase{"vbr_22k", Vbr(kV2, 22050, 2500, VbrHeader::None), "103 kbit/s (VBR)"},
        // Headers that cannot be true: counted instead of trusted.
        LengthCase{"xing_too_many_frames",
                   WithCounts(Vbr(kV1, 44100, 2000, VbrHeader::Xing), 4000000, 0),
                   "192 kbit/s (VBR)"},
        LengthCase{"xing_wrong_bytes", WithCounts(Vbr(kV1, 44100, 2000, VbrHeader::Xing), 0, 99),
                   "192 kbit/s (VBR)"},
        LengthCase{"info_too_few_frames",
                   WithCounts(WithHeader(Cbr(kV1, 44100, 128, 2000), VbrHeader::Info), 3, 0),
                   "128 kbit/s"}),
    [](const ::testing::TestParamInfo<LengthCase>& info) { return std::string(info.param.name); });

TEST(Mp3RoundingTest, HalvesRoundUp) {
    EXPECT_EQ(MP3FileInfo::RoundToSeconds(0), 0);
    EXPECT_EQ(MP3FileInfo::RoundToSeconds(499), 0);
    EXPECT_EQ(MP3FileInfo::RoundToSeconds(500), 1);
    EXPECT_EQ(MP3FileInfo::RoundToSeconds(1499), 1);
    EXPECT_EQ(MP3FileInfo::RoundToSeconds(1500), 2);
    EXPECT_EQ(MP3FileInfo::RoundToSeconds(215999), 216);
}

class Mp3InfoTest : public Mp3FilesTest {
protected:
    static Bytes Audio() { return mp3gen::MakeStream(Cbr(kV1, 44100, 128, 200)); }

    MP3FileInfo LoadBytes(const Bytes& bytes) {
        MP3FileInfo info;
        EXPECT_TRUE(info.Load(Write("t.mp3", bytes)));
        return info;
    }

    static void ExpectEmpty(const MP3FileInfo& info) {
        EXPECT_FALSE(info.IsLoaded());
        EXPECT_EQ(info.GetFileSize(), 0xFFFFFFFFu);
        EXPECT_EQ(info.GetLength(), 0);
        EXPECT_EQ(info.GetBitrate(), 0);
        EXPECT_FALSE(info.HasV1Tag());
        EXPECT_FALSE(info.HasV2Tag());
        EXPECT_EQ(info.GetFilePath(), "");
        for (int i = 0; i <= static_cast<int>(Mp3Text::Url); ++i) {
            EXPECT_FALSE(info.Has(static_cast<Mp3Text>(i))) << i;
        }
    }
};

TEST_F(Mp3InfoTest, HeaderTexts) {
    StreamSpec spec = Cbr(kV2, 22050, 64, 100);
    spec.channelMode = 3;
    MP3FileInfo mono = LoadBytes(mp3gen::MakeStream(spec));
    EXPECT_EQ(mono.GetVersionText(), "MPEG 2");
    EXPECT_EQ(mono.GetLayerText(), "Layer III");
    EXPECT_EQ(mono.GetChannelModeText(), "Single Channel");
    EXPECT_EQ(mono.GetVbrBitrate(), 0);
    EXPECT_EQ(mono.GetEffectiveBitrate(), 64000);

    spec = Layer(Cbr(kV25, 12000, 32, 100), 2);
    spec.channelMode = 2;
    MP3FileInfo dual = LoadBytes(mp3gen::MakeStream(spec));
    EXPECT_EQ(dual.GetVersionText(), "MPEG 2.5");
    EXPECT_EQ(dual.GetLayerText(), "Layer II");
    EXPECT_EQ(dual.GetChannelModeText(), "Dual Channel");

    spec = Layer(Cbr(kV1, 32000, 128, 100), 1);
    spec.channelMode = 0;
    MP3FileInfo stereo = LoadBytes(mp3gen::MakeStream(spec));
    EXPECT_EQ(stereo.GetVersionText(), "MPEG 1");
    EXPECT_EQ(stereo.GetLayerText(), "Layer I");
    EXPECT_EQ(stereo.GetChannelModeText(), "Stereo");

    MP3FileInfo joint = LoadBytes(Audio());
    EXPECT_EQ(joint.GetChannelModeText(), "Joint Stereo");
    EXPECT_EQ(joint.GetFileSize(), Audio().size());

    MP3FileInfo vbr = LoadBytes(mp3gen::MakeStream(Vbr(kV1, 44100, 600, VbrHeader::Xing)));
    EXPECT_GT(vbr.GetVbrBitrate(), 190000);
    EXPECT_EQ(vbr.GetEffectiveBitrate(), vbr.GetVbrBitrate());
}

TEST_F(Mp3InfoTest, Id3v1OnlyWithGenre17) {
    const MP3FileInfo info = LoadBytes(mp3gen::Concat(
        {Audio(), mp3gen::MakeId3v1("Song", "Band", "Album", "1999", "Nice", 7, 17)}));
    EXPECT_TRUE(info.HasV1Tag());
    EXPECT_FALSE(info.HasV2Tag());
    EXPECT_FALSE(info.HasLyrics());
    EXPECT_EQ(info.GetTitle(), "Song");
    EXPECT_EQ(info.GetArtist(), "Band");
    EXPECT_EQ(info.GetAlbum(), "Album");
    EXPECT_EQ(info.GetYear(), "1999");
    EXPECT_EQ(info.GetYearNumber(), 1999);
    EXPECT_EQ(info.GetComment(), "Nice");
    EXPECT_EQ(info.GetTrack(), "7");
    EXPECT_EQ(info.GetTrackNumber(), 7);
    EXPECT_EQ(info.GetGenre(), "Rock");
    EXPECT_FALSE(info.Has(Mp3Text::Composer));
    EXPECT_EQ(ExpandTitleMask("%3 - %2", info.GetArtist(), info.GetTitle(), info.GetAlbum(),
                              info.GetYear(), info.GetGenre(), info.GetTrack()),
              "Album - Song");
}

TEST_F(Mp3InfoTest, Id3v1GenreBytesAndEmptyFields) {
    MP3FileInfo outside =
        LoadBytes(mp3gen::Concat({Audio(), mp3gen::MakeId3v1("", "", "", "", "", 0, 200)}));
    EXPECT_EQ(outside.GetGenre(), "(200)");
    EXPECT_FALSE(outside.Has(Mp3Text::Title));
    EXPECT_FALSE(outside.Has(Mp3Text::Track));
    MP3FileInfo none =
        LoadBytes(mp3gen::Concat({Audio(), mp3gen::MakeId3v1("", "", "", "", "", 0, 255)}));
    EXPECT_FALSE(none.Has(Mp3Text::Genre));
    MP3FileInfo last =
        LoadBytes(mp3gen::Concat({Audio(), mp3gen::MakeId3v1("", "", "", "", "", 0, 147)}));
    EXPECT_EQ(last.GetGenre(), "Synthpop");
    // Latin-1 bytes of the old tag arrive as UTF-8; padding blanks go.
    MP3FileInfo latin = LoadBytes(
        mp3gen::Concat({Audio(), mp3gen::MakeId3v1("Caf\xE9   ", "", "", "",
                                                   "a full thirty byte comment!!!!", 0, 0)}));
    EXPECT_EQ(latin.GetTitle(), "Café");
    EXPECT_EQ(latin.GetComment(), "a full thirty byte comment!!!!");
}

TEST_F(Mp3InfoTest, Id3v22Frames) {
    const Bytes tag = Id3v2Builder(2)
                          .Text("TT2", "Title22")
                          .Text("TP1", "Artist22")
                          .Text("TAL", "Album22")
                          .Text("TYE", "1987")
                          .Text("TRK", "4/9")
                          .Text("TCO", "(17)")
                          .Text("TOT", "Original title")
                          .Text("TOA", "Original artist")
                          .Text("TCM", "Composer22")
                          .Comment("", "Comment22")
                          .Url("home", "http://example.org/22")
                          .Build();
    const MP3FileInfo info = LoadBytes(mp3gen::Concat({tag, Audio()}));
    EXPECT_TRUE(info.HasV2Tag());
    EXPECT_EQ(info.GetTitle(), "Title22");
    EXPECT_EQ(info.GetArtist(), "Artist22");
    EXPECT_EQ(info.GetAlbum(), "Album22");
    EXPECT_EQ(info.GetYear(), "1987");
    EXPECT_EQ(info.GetTrack(), "4/9");
    EXPECT_EQ(info.GetTrackNumber(), 4);
    EXPECT_EQ(info.GetGenre(), "Rock");
    EXPECT_EQ(info.GetOriginalArtist(), "Original artist");
    EXPECT_EQ(info.GetComposer(), "Composer22");
    EXPECT_EQ(info.GetComment(), "Comment22");
    EXPECT_EQ(info.GetUrl(), "http://example.org/22");
}

TEST_F(Mp3InfoTest, Id3v23UnicodeUnsynchronisedFrames) {
    // The byte-order mark FF FE needs unsynchronisation, so the tag really is changed by it.
    const Bytes tag = Id3v2Builder(3)
                          .Unsynchronise(true)
                          .Text("TIT2", "日本語のタイトル", Id3v2Builder::Utf16)
                          .Text("TPE1", "Ελληνικά", Id3v2Builder::Utf16)
                          .Text("TALB", "Русский альбом", Id3v2Builder::Utf16)
                          .Text("TYER", "0x10")
                          .Text("TRCK", "3/12")
                          .Text("TCON", "(17)Rock")
                          .Text("TCOP", "© 2003", Id3v2Builder::Utf16)
                          .Text("TENC", "LAME")
                          .Text("TOPE", "Первый")
                          .Comment("iTunNORM", " 0000")
                          .Comment("", "the comment", Id3v2Builder::Utf16)
                          .Padding(64)
                          .Build();
    const MP3FileInfo info = LoadBytes(mp3gen::Concat({tag, Audio()}));
    EXPECT_EQ(info.GetTitle(), "日本語のタイトル");
    EXPECT_EQ(info.GetArtist(), "Ελληνικά");
    EXPECT_EQ(info.GetAlbum(), "Русский альбом");
    EXPECT_EQ(info.GetYear(), "0x10");
    EXPECT_EQ(info.GetYearNumber(), 16);
    EXPECT_EQ(info.GetTrack(), "3/12");
    EXPECT_EQ(info.GetTrackNumber(), 3);
    EXPECT_EQ(info.GetGenre(), "Rock");
    EXPECT_EQ(info.GetRightsStatement(), "© 2003");
    EXPECT_EQ(info.GetEncodedBy(), "LAME");
    EXPECT_EQ(info.GetComment(), "the comment");
    EXPECT_EQ(info.GetLength(), 5);
}

TEST_F(Mp3InfoTest, Id3v23CompressedFrames) {
    const Bytes tag = Id3v2Builder(3)
                          .Compress(true)
                          .Text("TIT2", std::string(300, 'x') + " compressed")
                          .Text("TPE1", "Сжатый", Id3v2Builder::Utf16)
                          .Text("TCON", "Jazz")
                          .Build();
    const MP3FileInfo info = LoadBytes(mp3gen::Concat({tag, Audio()}));
    EXPECT_EQ(info.GetTitle(), std::string(300, 'x') + " compressed");
    EXPECT_EQ(info.GetArtist(), "Сжатый");
    EXPECT_EQ(info.GetGenre(), "Jazz");
}

TEST_F(Mp3InfoTest, Id3v24ExtendedHeaderCompressionAndEncodings) {
    const Bytes tag = Id3v2Builder(4)
                          .ExtendedHeader(true)
                          .Text("TIT2", "中文标题", Id3v2Builder::Utf8)
                          .Text("TPE1", "Ünïcödé", Id3v2Builder::Utf16Be)
                          .Text("TDRC", "2001-05-03")
                          .Text("TCON", "17")
                          .Compress(true)
                          .Unsynchronise(true)
                          .Text("TALB", "ÿÿ packed ÿ", Id3v2Builder::Utf16)
                          .Build();
    const MP3FileInfo info = LoadBytes(mp3gen::Concat({tag, Audio()}));
    EXPECT_TRUE(info.HasV2Tag());
    EXPECT_EQ(info.GetTitle(), "中文标题");
    EXPECT_EQ(info.GetArtist(), "Ünïcödé");
    EXPECT_EQ(info.GetYear(), "2001");
    EXPECT_EQ(info.GetYearNumber(), 2001);
    EXPECT_EQ(info.GetGenre(), "Rock");
    EXPECT_EQ(info.GetAlbum(), "ÿÿ packed ÿ");
}

TEST_F(Mp3InfoTest, Id3v2FramesComeFirstAndId3v1FillsTheRest) {
    const Bytes tag = Id3v2Builder(3).Text("TIT2", "").Text("TPE1", "V2 artist").Build();
    const MP3FileInfo info = LoadBytes(mp3gen::Concat(
        {tag, Audio(), mp3gen::MakeId3v1("V1 title", "V1 artist", "V1 album", "1970", "", 2, 0)}));
    EXPECT_TRUE(info.HasV1Tag());
    EXPECT_TRUE(info.HasV2Tag());
    // An empty frame is present: it is not replaced by the old tag.
    EXPECT_TRUE(info.Has(Mp3Text::Title));
    EXPECT_EQ(info.GetTitle(), "");
    EXPECT_EQ(info.GetArtist(), "V2 artist");
    EXPECT_EQ(info.GetAlbum(), "V1 album");
    EXPECT_EQ(info.GetYearNumber(), 1970);
    EXPECT_EQ(info.GetTrack(), "2");
    EXPECT_EQ(info.GetGenre(), "Blues");
}

TEST_F(Mp3InfoTest, ATagPrependedTwiceIsSteppedOver) {
    // Some taggers put a new tag in front of the old one; the first is the one that counts,
    // and the audio follows the second.
    const MP3FileInfo info = LoadBytes(
        mp3gen::Concat({Id3v2Builder(4).Text("TIT2", "new").Padding(100).Build(),
                        Id3v2Builder(3).Text("TIT2", "old").Padding(70000).Build(), Audio()}));
    EXPECT_EQ(info.GetTitle(), "new");
    EXPECT_EQ(info.GetLengthMilliseconds(),
              static_cast<std::int64_t>(mp3gen::AudioMilliseconds(Cbr(kV1, 44100, 128, 200))));
}

TEST_F(Mp3InfoTest, LyricsAndTagsBehindTheAudioDoNotCountAsAudio) {
    const std::string lyrics(4000, 'l');
    const MP3FileInfo info = LoadBytes(mp3gen::Concat(
        {Audio(), mp3gen::MakeLyrics3v2(lyrics), mp3gen::MakeId3v1("T", "", "", "", "", 0, 1)}));
    EXPECT_TRUE(info.HasLyrics());
    EXPECT_TRUE(info.HasV1Tag());
    EXPECT_EQ(info.GetLengthMilliseconds(),
              static_cast<std::int64_t>(mp3gen::AudioMilliseconds(Cbr(kV1, 44100, 128, 200))));
}

TEST_F(Mp3InfoTest, NoTagAtAll) {
    const MP3FileInfo info = LoadBytes(Audio());
    EXPECT_TRUE(info.IsLoaded());
    EXPECT_FALSE(info.HasV1Tag());
    EXPECT_FALSE(info.HasV2Tag());
    EXPECT_FALSE(info.Has(Mp3Text::Title));
    EXPECT_FALSE(info.Has(Mp3Text::Genre));
    EXPECT_EQ(info.GetTrackNumber(), 0);
    EXPECT_EQ(ExpandTitleMask("%3 - %2", info.GetArtist(), info.GetTitle(), info.GetAlbum(),
                              info.GetYear(), info.GetGenre(), info.GetTrack()),
              " - ");
    EXPECT_EQ(info.GetLength(), 5);
}

TEST_F(Mp3InfoTest, FilesWithoutAudioAreRefused) {
    const std::string tagOnly = Write("tag.mp3", Id3v2Builder(3).Text("TIT2", "x").Build());
    const std::string cases[] = {
        Write("empty.mp3", {}),
        Write("zeros.mp3", Bytes(1 << 20, 0)),
        Write("text.mp3", Bytes(5000, 'a')),
        tagOnly,
        // The tag claims more bytes than the file has.
        Write("cut_tag.mp3",
              [] {
                  Bytes tag = Id3v2Builder(3).Text("TIT2", "x").Padding(5000).Build();
                  tag.resize(200);
                  return tag;
              }()),
        // Audio further than 64 KiB behind the tag is not looked for.
        Write("far.mp3", mp3gen::Concat({Bytes(70000, 0x20), Audio()})),
        // One frame sync alone, without a second frame behind it.
        Write("lone_sync.mp3", mp3gen::Concat({Bytes{0xFF, 0xFB, 0x90, 0x40}, Bytes(3000, 0)})),
        Folder() + "/missing.mp3",
        Folder(),
    };
    for (const std::string& path : cases) {
        MP3FileInfo info;
        EXPECT_FALSE(info.Load(path)) << path;
        ExpectEmpty(info);
    }
}

TEST_F(Mp3InfoTest, APipeIsRefusedWithoutWaiting) {
    const std::string path = Folder() + "/pipe.mp3";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    MP3FileInfo info;
    EXPECT_FALSE(info.Load(path));
}

TEST_F(Mp3InfoTest, TruncatedAudioPlaysWhatIsLeft) {
    StreamSpec spec = Cbr(kV1, 44100, 128, 400);
    Bytes audio = mp3gen::MakeStream(spec);
    audio.resize(audio.size() / 2 + 100);  // ends inside a frame
    const MP3FileInfo info = LoadBytes(audio);
    EXPECT_NEAR(info.GetLengthMilliseconds(), mp3gen::AudioMilliseconds(spec) / 2, 100.0);

    // A VBR file cut short: its Xing header no longer matches and the frames are counted.
    StreamSpec vbr = Vbr(kV1, 44100, 1000, VbrHeader::Xing);
    Bytes cut = mp3gen::MakeStream(vbr);
    cut.resize(cut.size() / 2);
    const MP3FileInfo counted = LoadBytes(cut);
    EXPECT_NEAR(counted.GetLengthMilliseconds(), mp3gen::AudioMilliseconds(vbr) / 2, 1000.0);
}

TEST_F(Mp3InfoTest, CountingEndsAtALongGapWithoutFrames) {
    // A VBR file padded with a megabyte of zeros: guessed from the bytes it would play for
    // a minute; counted, it plays its frames, and the zeros are not searched to the end.
    const StreamSpec spec = Vbr(kV1, 44100, 300, VbrHeader::None);
    const MP3FileInfo info = LoadBytes(
        mp3gen::Concat({mp3gen::MakeStream(spec), Bytes(1 << 20, 0), mp3gen::MakeStream(spec)}));
    EXPECT_NEAR(info.GetLengthMilliseconds(), mp3gen::AudioMilliseconds(spec), 30.0);
}

TEST_F(Mp3InfoTest, ClearAndReloadLeaveNothingBehind) {
    MP3FileInfo info;
    const std::string tagged =
        Write("tagged.mp3", mp3gen::Concat({Id3v2Builder(4).Text("TIT2", "T").Build(), Audio(),
                                            mp3gen::MakeId3v1("", "A", "", "", "", 1, 2)}));
    const std::string bare = Write("bare.mp3", Audio());
    ASSERT_TRUE(info.Load(tagged));
    EXPECT_EQ(info.GetFilePath(), tagged);
    ASSERT_TRUE(info.Load(bare));
    EXPECT_EQ(info.GetFilePath(), bare);
    EXPECT_FALSE(info.HasV1Tag());
    EXPECT_FALSE(info.HasV2Tag());
    EXPECT_FALSE(info.Has(Mp3Text::Title));
    EXPECT_FALSE(info.Has(Mp3Text::Artist));
    EXPECT_EQ(info.GetTrackNumber(), 0);
    ASSERT_TRUE(info.Load(tagged));
    info.Clear();
    ExpectEmpty(info);
    EXPECT_FALSE(info.Load(Folder() + "/missing.mp3"));
    ExpectEmpty(info);
}

// eyeD3 and other taggers write an ID3v2.4 year only into the release time TDRL, or only
// the original release time TDOR; the recording time TDRC comes first when it is there.
TEST_F(Mp3InfoTest, TheYearFallsBackToTheReleaseAndTheOriginalReleaseTime) {
    const struct {
        std::vector<std::pair<std::string, std::string>> frames;
        const char* year;
    } cases[] = {
        {{{"TDRL", "2019-05-01"}}, "2019"},
        {{{"TDOR", "1977"}}, "1977"},
        {{{"TDOR", "1977"}, {"TDRL", "2019-05-01"}}, "2019"},
        {{{"TDRL", "2019"}, {"TDRC", "2001-02-03T04:05"}}, "2001"},
        {{{"TDRL", "20"}}, "20"},
    };
    for (const auto& c : cases) {
        Id3v2Builder builder(4);
        for (const auto& [id, text] : c.frames) {
            builder.Text(id, text);
        }
        const MP3FileInfo info = LoadBytes(mp3gen::Concat({builder.Build(), Audio()}));
        EXPECT_EQ(info.GetYear(), c.year) << c.frames.front().first;
        EXPECT_EQ(ExpandTitleMask("%4", "", "", "", info.GetYear(), "", ""), c.year);
    }
    // An ID3v2.3 original release year (TORY) counts as well, and ID3v1 still comes last.
    const MP3FileInfo v23 =
        LoadBytes(mp3gen::Concat({Id3v2Builder(3).Text("TORY", "1968").Build(), Audio(),
                                  mp3gen::MakeId3v1("", "", "", "1999", "", 0, 255)}));
    EXPECT_EQ(v23.GetYear(), "1968");
    EXPECT_EQ(v23.GetYearNumber(), 1968);
}

// The bytes this process has read from files (/proc/self/io): before this look, and with
// it; -1 when it cannot be told.
std::pair<long long, long long> BytesReadSoFar() {
    char text[4096];
    const int fd = open("/proc/self/io", O_RDONLY | O_CLOEXEC);
    const ssize_t got = fd < 0 ? -1 : read(fd, text, sizeof text - 1);
    if (fd >= 0) {
        close(fd);
    }
    const char* rchar = nullptr;
    if (got > 0) {
        text[got] = '\0';
        rchar = std::strstr(text, "rchar:");
    }
    if (rchar == nullptr) {
        return {-1, -1};
    }
    const long long before = std::atoll(rchar + 6);
    return {before, before + got};
}

// The start of a file, where the tag and the first frames are, is read once: a file of a
// size where an earlier read would have been read again costs no more bytes than it has.
TEST_F(Mp3InfoTest, NoByteOfTheFileIsReadTwice) {
    const Bytes tag = Id3v2Builder(3).Text("TIT2", "T").Padding(1024).Build();
    if (BytesReadSoFar().first < 0) {
        GTEST_SKIP() << "no /proc/self/io";
    }
    for (const int frames : {20, 45, 60, 150}) {
        for (const bool xing : {false, true}) {
            StreamSpec spec = Cbr(kV1, 44100, 128, frames);
            spec.vbrHeader = xing ? VbrHeader::Info : VbrHeader::None;
            const Bytes bytes = mp3gen::Concat({tag, mp3gen::MakeStream(spec)});
            const std::string path = Write("once.mp3", bytes);
            MP3FileInfo info;
            const long long before = BytesReadSoFar().second;
            ASSERT_TRUE(info.Load(path));
            const long long read = BytesReadSoFar().first - before;
            EXPECT_LE(read, static_cast<long long>(bytes.size())) << frames << " frames";
        }
    }
}

}  // namespace
