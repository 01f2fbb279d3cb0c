#include "core/tag_info/tag_file_info.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include "core/mp3_info/mp3_file_info.h"
#include "tests/support/tag_files/tag_files.h"
#include "tests/support/temp_folder.h"

namespace {

using tagfiles::Kind;

// Cyrillic, Greek and Japanese, and a character outside the Basic Multilingual Plane.
const tagfiles::Tags kTags = {
    "Заголовок Ωμέγα 日本語のうた 𝄞", "Αρτίστας Иванов", "Альбом 夏", "2001-02-03", "Jazz", "3/12"};
// 7.3 seconds at 44.1 kHz: rounds down, and any length guessed from a wrong sampling
// rate or a first frame misses by more than a second.
const tagfiles::Audio kAudio = {44100, 2, 321930};

// The files of each kind, made once per test program and only when a test asks for them:
// ctest runs every test in a program of its own.
class EncodedFiles {
public:
    static EncodedFiles& Get() {
        static EncodedFiles files;
        return files;
    }
    const std::optional<tagfiles::Made>& Of(Kind kind) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_made.find(kind);
        if (found != m_made.end()) {
            return found->second;
        }
        return m_made[kind] =
                   tagfiles::Make(kind, m_folder.String(), tagfiles::KindName(kind), kTags, kAudio);
    }

private:
    TempFolder m_folder{"tracklace-tag-files"};
    std::mutex m_mutex;
    std::map<Kind, std::optional<tagfiles::Made>> m_made;
};

std::string MissingEncoder(Kind kind) {
    return tagfiles::EncoderProgram(kind) + " is not installed (Debian package " +
           tagfiles::EncoderPackage(kind) + "): no " + tagfiles::KindName(kind) + " file to read";
}

TagFormat FormatOf(Kind kind) {
    switch (kind) {
        case Kind::Flac:
            return TagFormat::Flac;
        case Kind::OggFlac:
            return TagFormat::OggFlac;
        case Kind::Vorbis:
            return TagFormat::OggVorbis;
        case Kind::Opus:
            return TagFormat::OggOpus;
        case Kind::Speex:
            return TagFormat::OggSpeex;
        case Kind::M4aAac:
        case Kind::M4aAlac:
        case Kind::M4bAac:
            return TagFormat::Mp4;
        case Kind::Wma:
            return TagFormat::Asf;
        case Kind::WavInfo:
        case Kind::WavId3:
            return TagFormat::Wav;
        case Kind::Aiff:
            return TagFormat::Aiff;
        case Kind::Ape:
            return TagFormat::Ape;
        case Kind::WavPack:
            return TagFormat::WavPack;
        case Kind::MusepackSv8:
        case Kind::MusepackSv7:
            return TagFormat::Musepack;
        case Kind::TrueAudio:
            return TagFormat::TrueAudio;
    }
    return TagFormat::Flac;
}

class EncodedFileTest : public ::testing::TestWithParam<Kind> {};

TEST_P(EncodedFileTest, TagsAndPlayingTimeAreRead) {
    const Kind kind = GetParam();
    if (!tagfiles::CanMake(kind)) {
        GTEST_SKIP() << MissingEncoder(kind);
    }
    const std::optional<tagfiles::Made>& made = EncodedFiles::Get().Of(kind);
    ASSERT_TRUE(made.has_value()) << "the encoder failed on " << tagfiles::KindName(kind);

    TagFileInfo info;
    ASSERT_TRUE(info.Load(made->path));
    EXPECT_TRUE(info.IsLoaded());
    EXPECT_EQ(info.GetFilePath(), made->path);
    EXPECT_EQ(info.GetFormat(), FormatOf(kind));
    EXPECT_EQ(info.GetTitle(), kTags.title);

    const tagfiles::Written written = tagfiles::WrittenTags(kind);
    EXPECT_EQ(info.GetArtist(), written.artist ? kTags.artist : "");
    EXPECT_EQ(info.GetAlbum(), written.album ? kTags.album : "");
    EXPECT_EQ(info.GetYear(), written.date ? "2001" : "");
    EXPECT_EQ(info.GetGenre(), written.genre ? kTags.genre : "");
    EXPECT_EQ(info.GetTrack(), written.track ? kTags.track : "");

    EXPECT_NEAR(static_cast<double>(info.GetLengthMilliseconds()), made->milliseconds, 999.0);
    EXPECT_NEAR(info.GetLength(), made->milliseconds / 1000.0, 1.0);
    EXPECT_EQ(info.GetLength(), MP3FileInfo::RoundToSeconds(info.GetLengthMilliseconds()));
}

INSTANTIATE_TEST_SUITE_P(Kinds, EncodedFileTest, ::testing::ValuesIn(tagfiles::AllKinds()),
                         [](const ::testing::TestParamInfo<Kind>& info) {
                             return tagfiles::KindName(info.param);
                         });

// Records read on several threads at once, as a list reads them while the window runs,
// are those read one after the other.
TEST(TagFileInfoThreadsTest, RecordsReadInParallelAreTheSame) {
    std::vector<std::string> paths;
    for (Kind kind : tagfiles::AllKinds()) {
        if (const auto& made = EncodedFiles::Get().Of(kind)) {
            paths.push_back(made->path);
        }
    }
    ASSERT_FALSE(paths.empty());
    auto describe = [](const TagFileInfo& info) {
        return info.GetArtist() + "|" + info.GetTitle() + "|" + info.GetAlbum() + "|" +
               info.GetYear() + "|" + info.GetGenre() + "|" + info.GetTrack() + "|" +
               std::to_string(info.GetLengthMilliseconds());
    };
    std::vector<std::string> expected;
    for (const std::string& path : paths) {
        TagFileInfo info;
        EXPECT_TRUE(info.Load(path)) << path;
        expected.push_back(describe(info));
    }
    std::vector<std::vector<std::string>> results(4);
    std::vector<std::thread> threads;
    for (auto& result : results) {
        threads.emplace_back([&paths, &result, &describe] {
            for (int round = 0; round < 5; ++round) {
                for (const std::string& path : paths) {
                    TagFileInfo info;
                    info.Load(path);
                    result.push_back(describe(info));
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const auto& result : results) {
        ASSERT_EQ(result.size(), 5 * paths.size());
        for (std::size_t i = 0; i < result.size(); ++i) {
            EXPECT_EQ(result[i], expected[i % paths.size()]);
        }
    }
}

class TagFileGuardTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const tagfiles::Bytes& bytes) {
        const std::string path = m_folder / name;
        EXPECT_TRUE(mp3gen::WriteFile(path, bytes));
        return path;
    }
    // A file the kind's encoder made, or none (and a skip) without it.
    std::optional<tagfiles::Bytes> Encoded(Kind kind) {
        const auto& made = EncodedFiles::Get().Of(kind);
        if (!made) {
            return std::nullopt;
        }
        return tagfiles::ReadFile(made->path);
    }
    TempFolder m_folder;
};

// Bytes this process has read from files so far.
long long BytesReadByProcess() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") {
            return value;
        }
    }
    return -1;
}

// TagLib would look through all of it for the FLAC signature, several times.
TEST_F(TagFileGuardTest, ZerosNamedFlacAreRefusedWithoutReadingThem) {
    const std::string path = m_folder / "zeros.flac";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 256ll * 1024 * 1024), 0);  // sparse: no disk space used
    ::close(fd);

    const long long before = BytesReadByProcess();
    ASSERT_GE(before, 0);
    TagFileInfo info;
    EXPECT_FALSE(info.Load(path));
    EXPECT_LE(BytesReadByProcess() - before, 64 * 1024);
    EXPECT_FALSE(info.IsLoaded());
    EXPECT_EQ(info.GetFilePath(), "");
}

TEST_F(TagFileGuardTest, TheSignatureMustBeWhereTheFormatPutsIt) {
    const std::optional<tagfiles::Bytes> flac = Encoded(Kind::Flac);
    const std::optional<tagfiles::Bytes> wavPack = Encoded(Kind::WavPack);
    if (!flac || !wavPack) {
        GTEST_SKIP() << MissingEncoder(flac ? Kind::WavPack : Kind::Flac);
    }
    const tagfiles::Bytes id3 = mp3gen::Id3v2Builder(3).Text("TIT2", "x").Padding(500).Build();
    TagFileInfo info;
    // The name does not matter, the content does.
    EXPECT_TRUE(info.Load(Write("flac.ogg", *flac)));
    EXPECT_EQ(info.GetFormat(), TagFormat::Flac);
    // TagLib finds FLAC behind an ID3v2 tag, and the Vorbis comment wins over it.
    EXPECT_TRUE(info.Load(Write("tagged.flac", mp3gen::Concat({id3, *flac}))));
    EXPECT_EQ(info.GetTitle(), kTags.title);
    // Anywhere else the signature means a damaged or foreign file.
    EXPECT_FALSE(info.Load(Write("late.flac", mp3gen::Concat({{0}, *flac}))));
    EXPECT_FALSE(info.Load(Write("late2.flac", mp3gen::Concat({id3, {0}, *flac}))));
    // TagLib's WavPack class does not look behind a tag.
    EXPECT_TRUE(info.Load(Write("plain.wv", *wavPack)));
    EXPECT_FALSE(info.Load(Write("tagged.wv", mp3gen::Concat({id3, *wavPack}))));
    EXPECT_FALSE(info.IsLoaded());
    EXPECT_EQ(info.GetTitle(), "");
}

TEST_F(TagFileGuardTest, AnOggStreamMustReachTheEndOfTheFile) {
    const std::optional<tagfiles::Bytes> vorbis = Encoded(Kind::Vorbis);
    if (!vorbis) {
        GTEST_SKIP() << MissingEncoder(Kind::Vorbis);
    }
    TagFileInfo info;
    // Junk shorter than a page after the last page is looked past, as TagLib does.
    EXPECT_TRUE(info.Load(Write("short.ogg", mp3gen::Concat({*vorbis, tagfiles::Bytes(4000)}))));
    EXPECT_NEAR(static_cast<double>(info.GetLengthMilliseconds()), 7300, 999);
    // More than a page of it: TagLib would search backwards through the whole file.
    const std::string path = Write("long.ogg", mp3gen::Concat({*vorbis, tagfiles::Bytes(300000)}));
    const long long before = BytesReadByProcess();
    EXPECT_FALSE(info.Load(path));
    EXPECT_LE(BytesReadByProcess() - before, 128 * 1024);

    // Ogg FLAC keeps its playing time in the stream header: TagLib never looks at the end.
    if (const std::optional<tagfiles::Bytes> oggFlac = Encoded(Kind::OggFlac)) {
        EXPECT_TRUE(
            info.Load(Write("junk.oga", mp3gen::Concat({*oggFlac, tagfiles::Bytes(300000)}))));
        EXPECT_EQ(info.GetTitle(), kTags.title);
    }
}

// TagLib reads ASF metadata lists entry by entry, as many as the count says, on past the
// end of the file: 65,535 entries of several reads each.
TEST_F(TagFileGuardTest, AsfMetadataListsMustFitTheirObjects) {
    const std::optional<tagfiles::Bytes> wma = Encoded(Kind::Wma);
    if (!wma) {
        GTEST_SKIP() << MissingEncoder(Kind::Wma);
    }
    // The extended content description object, where ffmpeg puts album, genre and track.
    const tagfiles::Bytes guid = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                  0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};
    const auto found = std::search(wma->begin(), wma->end(), guid.begin(), guid.end());
    ASSERT_NE(found, wma->end());
    const auto countAt = static_cast<std::size_t>(found - wma->begin()) + 24;
    TagFileInfo info;
    EXPECT_TRUE(info.Load(Write("sound.wma", *wma)));
    EXPECT_EQ(info.GetAlbum(), kTags.album);

    tagfiles::Bytes damaged = *wma;
    damaged[countAt] = 0xFF;
    damaged[countAt + 1] = 0xFF;
    EXPECT_FALSE(info.Load(Write("count.wma", damaged)));
    // A header object that claims more than the file holds, as in a cut download.
    tagfiles::Bytes cut(wma->begin(), wma->begin() + static_cast<std::ptrdiff_t>(countAt));
    EXPECT_FALSE(info.Load(Write("cut.wma", cut)));
}

TEST_F(TagFileGuardTest, OnlyRegularFilesAreRead) {
    TagFileInfo info;
    EXPECT_FALSE(info.Load(m_folder.String()));
    EXPECT_FALSE(info.Load(m_folder / "missing.flac"));
    EXPECT_FALSE(info.Load(""));
    EXPECT_FALSE(info.Load("/dev/zero"));
    // Opening a pipe without a writer would wait for one.
    const std::string fifo = m_folder / "pipe.flac";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_FALSE(info.Load(fifo));
    EXPECT_FALSE(info.Load(Write("empty.flac", {})));
    EXPECT_FALSE(info.Load(Write("short.flac", {'f', 'L', 'a', 'C'})));
}

// Files with several tags: the format's main tag first, each further tag filling in.
TEST_F(TagFileGuardTest, LaterTagsFillInWhatTheMainTagLacks) {
    if (!tagfiles::CanMake(Kind::Flac)) {
        GTEST_SKIP() << MissingEncoder(Kind::Flac);
    }
    tagfiles::Tags tags;
    tags.title = "Вальс";
    const auto made = tagfiles::Make(Kind::Flac, m_folder.String(), "lean", tags, kAudio);
    ASSERT_TRUE(made.has_value());
    const tagfiles::Bytes v1 = mp3gen::MakeId3v1("Old title", "Old artist", "", "1987", "", 4, 29);
    TagFileInfo info;
    ASSERT_TRUE(
        info.Load(Write("both.flac", mp3gen::Concat({tagfiles::ReadFile(made->path), v1}))));
    EXPECT_EQ(info.GetTitle(), "Вальс");
    EXPECT_EQ(info.GetArtist(), "Old artist");
    EXPECT_EQ(info.GetAlbum(), "");
    EXPECT_EQ(info.GetYear(), "1987");
    EXPECT_EQ(info.GetTrack(), "4");
    // Genre numbers are named as in MP3 files (TagLib's own list says "Jazz-Funk").
    EXPECT_EQ(info.GetGenre(), "Jazz+Funk");
}

TEST_F(TagFileGuardTest, GenreNumbersOfId3TagsAreNamedAsForMp3Files) {
    const tagfiles::Bytes wave = tagfiles::MakeWave({8000, 1, 8000});
    const tagfiles::Bytes id3 = mp3gen::Id3v2Builder(3)
                                    .Text("TIT2", "Título", mp3gen::Id3v2Builder::Utf16)
                                    .Text("TCON", "(29)")
                                    .Text("TYER", "1994")
                                    .Build();
    TagFileInfo info;
    ASSERT_TRUE(info.Load(Write("id3.wav", tagfiles::AddId3Chunk(wave, id3))));
    EXPECT_EQ(info.GetTitle(), "Título");
    EXPECT_EQ(info.GetGenre(), "Jazz+Funk");
    EXPECT_EQ(info.GetYear(), "1994");
    EXPECT_EQ(info.GetLengthMilliseconds(), 1000);
    EXPECT_EQ(info.GetLength(), 1);

    // A text genre stays as written.
    const tagfiles::Bytes text = mp3gen::Id3v2Builder(4).Text("TCON", "Fado").Build();
    ASSERT_TRUE(info.Load(Write("text.wav", tagfiles::AddId3Chunk(wave, text))));
    EXPECT_EQ(info.GetGenre(), "Fado");
    EXPECT_EQ(info.GetTitle(), "");
}

TEST_F(TagFileGuardTest, AFailedLoadLeavesTheRecordEmpty) {
    const tagfiles::Bytes wave = tagfiles::MakeWave({8000, 1, 16000});
    const tagfiles::Bytes id3 = mp3gen::Id3v2Builder(4).Text("TIT2", "First").Build();
    TagFileInfo info;
    ASSERT_TRUE(info.Load(Write("first.wav", tagfiles::AddId3Chunk(wave, id3))));
    EXPECT_EQ(info.GetLength(), 2);
    tagfiles::Bytes broken = tagfiles::AddId3Chunk(wave, id3);
    broken.resize(30);  // the format chunk cut off
    EXPECT_FALSE(info.Load(Write("broken.wav", broken)));
    EXPECT_FALSE(info.IsLoaded());
    EXPECT_FALSE(info.Has(TagText::Title));
    EXPECT_EQ(info.GetTitle(), "");
    EXPECT_EQ(info.GetLengthMilliseconds(), 0);
    EXPECT_EQ(info.GetLength(), 0);
}

}  // namespace
