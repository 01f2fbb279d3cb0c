#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/mp3_info/mp3_file_info.h"
#include "tests/fuzz/mp3_fuzz.h"
#include "tests/support/fuzz_campaign.h"
#include "tests/support/temp_folder.h"

// Feeds mutated MP3 files to MP3FileInfo::Load. CI runs a few hundred cases; the campaign
// script runs the same test with many more (the variables are in fuzz_campaign.h).
namespace {

using fuzzcampaign::EnvNumber;

TEST(Mp3FuzzTest, MutatedFilesLoadSafely) {
    const std::uint64_t cases = EnvNumber("TRACKLACE_FUZZ_CASES", 300);
    const std::uint64_t first = EnvNumber("TRACKLACE_FUZZ_FIRST", 0);
    const std::uint64_t campaign = EnvNumber("TRACKLACE_FUZZ_CAMPAIGN", 1);
    const TempFolder ownDir("tracklace-fuzz");
    const std::string dir = fuzzcampaign::CaseFolder(ownDir.String());
    ASSERT_FALSE(dir.empty());
    const std::string casePath = dir + "/case.mp3";
    fuzzcampaign::ProgressFile progress(dir);
    ASSERT_TRUE(progress.IsOpen());

    const std::vector<mp3gen::Bytes> seeds = mp3fuzz::MakeSeeds();
    // The seeds themselves must load, or the mutations would test nothing of interest.
    for (const mp3gen::Bytes& seed : seeds) {
        ASSERT_TRUE(mp3gen::WriteFile(casePath, seed));
        MP3FileInfo info;
        ASSERT_TRUE(info.Load(casePath));
    }

    fuzzcampaign::Watchdog watchdog(EnvNumber("TRACKLACE_FUZZ_CASE_SECONDS", 10));
    std::uint64_t loaded = 0;
    for (std::uint64_t index = first; index < first + cases; ++index) {
        const mp3gen::Bytes data = mp3fuzz::MakeCase(seeds, campaign, index);
        ASSERT_TRUE(mp3gen::WriteFile(casePath, data));
        ASSERT_TRUE(progress.Write(index));

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
