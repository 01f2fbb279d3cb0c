#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/mp3_info/mp3_file_info.h"
#include "tests/fuzz/mp3_fuzz.h"
#include "tests/support/fuzz_run.h"
#include "tests/support/temp_folder.h"

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

using fuzzing::EnvNumber;
using fuzzing::Watchdog;

TEST(Mp3FuzzTest, MutatedFilesLoadSafely) {
    const std::uint64_t cases = EnvNumber("TRACKLACE_FUZZ_CASES", 300);
    const std::uint64_t first = EnvNumber("TRACKLACE_FUZZ_FIRST", 0);
    const std::uint64_t campaign = EnvNumber("TRACKLACE_FUZZ_CAMPAIGN", 1);
    const char* dirSetting = std::getenv("TRACKLACE_FUZZ_DIR");
    const TempFolder ownDir("tracklace-fuzz");
    const bool dirGiven = dirSetting != nullptr && *dirSetting != '\0';
    const std::string dir = dirGiven ? std::string(dirSetting) : ownDir.String();
    ASSERT_FALSE(dir.empty());
    const std::string casePath = dir + "/case.mp3";
    const int progress = ::open((dir + "/progress").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(progress, 0);

    const std::vector<mp3gen::Bytes> seeds = mp3fuzz::MakeSeeds();
    // The seeds themselves must load, or the mutations would test nothing of interest.
    for (const mp3gen::Bytes& seed : seeds) {
        ASSERT_TRUE(mp3gen::WriteFile(casePath, seed));
        MP3FileInfo info;
        ASSERT_TRUE(info.Load(casePath));
    }

    Watchdog watchdog(EnvNumber("TRACKLACE_FUZZ_CASE_SECONDS", 10));
    std::uint64_t loaded = 0;
    for (std::uint64_t index = first; index < first + cases; ++index) {
        const mp3gen::Bytes data = mp3fuzz::MakeCase(seeds, campaign, index);
        ASSERT_TRUE(mp3gen::WriteFile(casePath, data));
        ASSERT_TRUE(fuzzing::MarkProgress(progress, index));

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
    ::close(progress);
    fuzzing::CheckLoadedShare(cases, first, loaded);
}

}  // namespace
