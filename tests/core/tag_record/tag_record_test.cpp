#include "core/tag_record/tag_record.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/mp3/mp3_gen.h"
#include "tests/support/tag_files/tag_files.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(TagRecord, MP3FilesAreKnownByTheirNameInAnyLetterCase) {
    EXPECT_TRUE(IsMp3FileName("/m/a.mp3"));
    EXPECT_TRUE(IsMp3FileName("/m/a.MP3"));
    EXPECT_TRUE(IsMp3FileName("a.Mp3"));
    EXPECT_FALSE(IsMp3FileName("/m/a.mp3/b"));
    EXPECT_FALSE(IsMp3FileName("/m.mp3/b"));
    EXPECT_FALSE(IsMp3FileName("/m/mp3"));
    EXPECT_FALSE(IsMp3FileName("/m/a.mp3.flac"));
    EXPECT_FALSE(IsMp3FileName("/m/a.mp4"));
}

TEST(TagRecord, AnMP3FileIsReadByTheMP3RecordWhicheverSourcesAreAsked) {
    const TempFolder folder("tracklace-tag-record");
    mp3gen::StreamSpec spec;
    spec.frames = 383;  // 10.005 s at 44.1 kHz
    const std::string path = folder / "Song.MP3";
    ASSERT_TRUE(mp3gen::WriteFile(
        path, mp3gen::Concat({mp3gen::MakeStream(spec),
                              mp3gen::MakeId3v1("Title", "Artist", "Album", "1999", "", 7, 17)})));
    for (const TagSources sources : {TagSources::kMp3Only, TagSources::kAllFormats}) {
        const auto record = ReadTagRecord(path, sources);
        ASSERT_TRUE(record.has_value());
        EXPECT_EQ(record->artist, "Artist");
        EXPECT_EQ(record->title, "Title");
        EXPECT_EQ(record->album, "Album");
        EXPECT_EQ(record->year, "1999");
        EXPECT_EQ(record->genre, "Rock");
        EXPECT_EQ(record->track, "7");
        EXPECT_NEAR(static_cast<double>(record->lengthMilliseconds),
                    mp3gen::AudioMilliseconds(spec), 30.0);
        EXPECT_EQ(record->lengthSeconds, 10);
    }
    EXPECT_EQ(ReadTagRecord(folder / "missing.mp3", TagSources::kAllFormats), std::nullopt);
}

TEST(TagRecord, OtherFormatsOnlyWhenAskedFor) {
    if (!tagfiles::CanMake(tagfiles::Kind::Flac)) {
        GTEST_SKIP() << "needs " << tagfiles::EncoderProgram(tagfiles::Kind::Flac) << " ("
                     << tagfiles::EncoderPackage(tagfiles::Kind::Flac) << ")";
    }
    const TempFolder folder("tracklace-tag-record");
    tagfiles::Tags tags;
    tags.title = "Заглавие";
    tags.artist = "Künstler";
    tags.track = "2";
    const auto made =
        tagfiles::Make(tagfiles::Kind::Flac, folder.String(), "song", tags, tagfiles::Audio{});
    ASSERT_TRUE(made.has_value());
    EXPECT_EQ(ReadTagRecord(made->path, TagSources::kMp3Only), std::nullopt);
    const auto record = ReadTagRecord(made->path, TagSources::kAllFormats);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->title, "Заглавие");
    EXPECT_EQ(record->artist, "Künstler");
    EXPECT_EQ(record->track, "2");
    EXPECT_EQ(record->lengthSeconds, 1);

    // Named .mp3, the same bytes go to the MP3 record, which finds no MPEG audio in them.
    const std::string misnamed = folder / "song.mp3";
    std::filesystem::copy_file(made->path, misnamed);
    EXPECT_EQ(ReadTagRecord(misnamed, TagSources::kAllFormats), std::nullopt);
}

}  // namespace
