#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/mp3_info/mp3_file_info.h"
#include "tests/fuzz/mp3_fuzz.h"
#include "tests/support/fuzz_campaign.h"

// Feeds mutated MP3 files to MP3FileInfo::Load. CI runs a few hundred cases; the campaign
// script runs the same test with many more through these variables:
//   TRACKLACE_FUZZ_CASES         number of cases (default 300)
//   TRACKLACE_FUZZ_FIRST         index of the first case (default 0)
//   TRACKLACE_FUZZ_CAMPAIGN      campaign number that picks the mutations (default 1)
//   TRACKLACE_FUZZ_DIR           folder for the current case and the progress file
//                                (default: a temporary folder, removed afterwards)
//   TRACKLACE_FUZZ_CASE_SECONDS  time one case may take before the run ends as a hang
//                                (default 10)
namespace {

TEST(Mp3FuzzTest, MutatedFilesLoadSafely) {
    const std::uint64_t cases = fuzz::EnvNumber("TRACKLACE_FUZZ_CASES", 300);
    const std::uint64_t first = fuzz::EnvNumber("TRACKLACE_FUZZ_FIRST", 0);
    const std::uint64_t campaign = fuzz::EnvNumber("TRACKLACE_FUZZ_CAMPAIGN", 1);
    const fuzz::CaseFolder caseFolder;
    const std::string& dir = caseFolder.Path();
    ASSERT_FALSE(dir.empty());
    const std::string casePath = dir + "/case.mp3";
    fuzz::ProgressFile progress(dir);
    ASSERT_TRUE(progress.IsOpen());

    const std::vector<mp3gen::Bytes> seeds = mp3fuzz::MakeSeeds();
    // The seeds themselves must load, or the mutations would test nothing of interest.
    for (const mp3gen::Bytes& seed : seeds) {
        ASSERT_TRUE(mp3gen::WriteFile(casePath, seed));
        MP3FileInfo info;
        ASSERT_TRUE(info.Load(casePath));
    }

    fuzz::Watchdog watchdog(fuzz::EnvNumber("TRACKLACE_FUZZ_CASE_SECONDS", 10));
    std::uint64_t loaded = 0;
    for (std::uint64_t index = first; index < first + cases; ++index) {
        const mp3gen::Bytes data = mp3fuzz::MakeCase(seeds, campaign, index);
        ASSERT_TRUE(mp3gen::WriteFile(casePath, data));
        // The index of the case under way, for the campaign script after a crash.
        ASSERT_TRUE(progress.Set(index));

        watchdog.Start(index);
        MP3FileInfo info;
        const bool ok = info.Load(casePath);
        watchdog.Stop();

        if (ok) {
            ++loaded;
            ASSERT_GT(info.GetBitrate(), 0) << "case " << index;
            ASSERT_GE(info.GetFrequency(), 8000) << "case " << index;
            ASSERT_GE(info.GetLength(), 0) << "case " << index;
            ASSERT_EQ(info.GetFileSize(), data.size()) << "case " << index;
            ASSERT_FALSE(info.GetBitrateText().empty()) << "case " << index;
        } else {
            ASSERT_FALSE(info.IsLoaded()) << "case " << index;
            ASSERT_EQ(info.GetFileSize(), 0xFFFFFFFFu) << "case " << index;
            ASSERT_FALSE(info.Has(Mp3Text::Title)) << "case " << index;
        }
    }
    std::printf("fuzz: %llu cases from %llu, %llu loaded\n", static_cast<unsigned long long>(cases),
                static_cast<unsigned long long>(first), static_cast<unsigned long long>(loaded));
    // Mutations that break every file would only test the refusal path.
    if (cases >= 100) {
        EXPECT_GT(loaded, cases / 10);
        EXPECT_LT(loaded, cases);
    }
}

}  // namespace
