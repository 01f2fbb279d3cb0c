#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "core/mp3_info/mp3_file_info.h"
#include "tests/fuzz/mp3_fuzz.h"
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

constexpr int kHangExitCode = 86;

std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : fallback;
}

// Ends the process when one case takes too long, naming the case, so that the campaign
// script can tell a hang from a crash and keep the file.
class Watchdog {
public:
    explicit Watchdog(std::uint64_t seconds) : m_limit(std::chrono::seconds(seconds)) {
        m_thread = std::thread([this] { Watch(); });
    }
    ~Watchdog() {
        m_stop = true;
        m_thread.join();
    }
    void Start(std::uint64_t index) {
        m_index = index;
        m_started = Now();
        m_running = true;
    }
    void Stop() { m_running = false; }

private:
    static std::int64_t Now() {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void Watch() {
        while (!m_stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (m_running && Now() - m_started > m_limit.count() * 1000) {
                std::fprintf(stderr, "HANG in case %llu\n",
                             static_cast<unsigned long long>(m_index.load()));
                std::fflush(stderr);
                std::_Exit(kHangExitCode);
            }
        }
    }

    std::chrono::seconds m_limit;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
    std::atomic<std::uint64_t> m_index{0};
    std::atomic<std::int64_t> m_started{0};
    std::thread m_thread;
};

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
        // The index of the case under way, for the campaign script after a crash.
        char line[32];
        const int length =
            std::snprintf(line, sizeof line, "%20llu\n", static_cast<unsigned long long>(index));
        ASSERT_EQ(::pwrite(progress, line, static_cast<std::size_t>(length), 0), length);

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
    std::printf("fuzz: %llu cases from %llu, %llu loaded\n", static_cast<unsigned long long>(cases),
                static_cast<unsigned long long>(first), static_cast<unsigned long long>(loaded));
    // Mutations that break every file would only test the refusal path.
    if (cases >= 100) {
        EXPECT_GT(loaded, cases / 10);
        EXPECT_LT(loaded, cases);
    }
}

}  // namespace
