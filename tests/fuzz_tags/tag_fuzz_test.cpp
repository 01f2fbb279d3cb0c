#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "core/mp3_info/mp3_file_info.h"
#include "core/tag_info/tag_file_info.h"
#include "platform/code_page/code_page.h"
#include "tests/fuzz_tags/tag_fuzz.h"
#include "tests/support/fuzz_campaign.h"
#include "tests/support/temp_folder.h"

// Feeds mutated files of every other format to TagFileInfo::Load. Our code is built with
// the sanitizers of the build; TagLib is Debian's library and is not instrumented, so a
// fault inside it shows as a crash or a hang, not as a report. CI runs about a second of
// cases; tests/fuzz_tags/run_campaign.sh runs many more through the variables of the MP3
// fuzz test (TRACKLACE_FUZZ_CASES, _FIRST, _CAMPAIGN, _DIR, _CASE_SECONDS).
namespace {

TEST(TagFuzzTest, MutatedFilesLoadSafely) {
    const std::uint64_t cases = fuzz::EnvNumber("TRACKLACE_FUZZ_CASES", 2000);
    const std::uint64_t first = fuzz::EnvNumber("TRACKLACE_FUZZ_FIRST", 0);
    const std::uint64_t campaign = fuzz::EnvNumber("TRACKLACE_FUZZ_CAMPAIGN", 1);
    const fuzz::CaseFolder caseFolder;
    const std::string& dir = caseFolder.Path();
    ASSERT_FALSE(dir.empty());
    const TempFolder seedDir("tracklace-fuzz-seeds");
    const std::string casePath = dir + "/case.bin";
    fuzz::ProgressFile progress(dir);
    ASSERT_TRUE(progress.IsOpen());

    const std::vector<tagfiles::Bytes> seeds = tagfuzz::MakeSeeds(seedDir.String());
    // Without encoders only the few files made in code are left: still worth fuzzing.
    ASSERT_GE(seeds.size(), 3u);
    if (seeds.size() < tagfiles::AllKinds().size()) {
        std::printf("fuzz: only %zu seeds, some encoders are missing\n", seeds.size());
    }
    // The seeds themselves must load, or the mutations would test nothing of interest.
    for (const tagfiles::Bytes& seed : seeds) {
        ASSERT_TRUE(mp3gen::WriteFile(casePath, seed));
        TagFileInfo info;
        ASSERT_TRUE(info.Load(casePath)) << "seed of " << seed.size() << " bytes";
        ASSERT_FALSE(info.GetTitle().empty());
    }

    fuzz::Watchdog watchdog(fuzz::EnvNumber("TRACKLACE_FUZZ_CASE_SECONDS", 10));
    std::uint64_t loaded = 0;
    for (std::uint64_t index = first; index < first + cases; ++index) {
        const tagfiles::Bytes data = tagfuzz::MakeCase(seeds, campaign, index);
        // A new file each time: ext4 flushes a file that is truncated and written again
        // when it is closed, which would make the campaign wait for the disk.
        ::unlink(casePath.c_str());
        ASSERT_TRUE(mp3gen::WriteFile(casePath, data));
        ASSERT_TRUE(progress.Set(index));

        watchdog.Start(index);
        TagFileInfo info;
        const bool ok = info.Load(casePath);
        watchdog.Stop();

        if (ok) {
            ++loaded;
            ASSERT_GE(info.GetLengthMilliseconds(), 0) << "case " << index;
            ASSERT_EQ(info.GetLength(), MP3FileInfo::RoundToSeconds(info.GetLengthMilliseconds()))
                << "case " << index;
            for (std::size_t i = 0; i < kTagTextCount; ++i) {
                const std::string& text = info.Get(static_cast<TagText>(i));
                ASSERT_TRUE(platform::IsWellFormedUtf8(text)) << "case " << index;
                ASSERT_EQ(info.Has(static_cast<TagText>(i)), !text.empty()) << "case " << index;
            }
        } else {
            ASSERT_FALSE(info.IsLoaded()) << "case " << index;
            ASSERT_EQ(info.GetLengthMilliseconds(), 0) << "case " << index;
            ASSERT_FALSE(info.Has(TagText::Title)) << "case " << index;
        }
    }
    fuzz::CheckLoadedShare(cases, first, loaded);
}

}  // namespace
