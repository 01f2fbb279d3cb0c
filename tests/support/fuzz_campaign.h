#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/support/temp_folder.h"

// What every fuzz test shares with the campaign script (tests/fuzz/run_campaign.sh): the
// variables that choose the cases, the watchdog that ends a hanging case with its own exit
// code, and the progress file that names the case under way after a crash.
//   TRACKLACE_FUZZ_CASES         number of cases (each test has its own default)
//   TRACKLACE_FUZZ_FIRST         index of the first case (default 0)
//   TRACKLACE_FUZZ_CAMPAIGN      campaign number that picks the mutations (default 1)
//   TRACKLACE_FUZZ_DIR           folder for the current case and the progress file
//                                (default: a temporary folder, removed afterwards)
//   TRACKLACE_FUZZ_CASE_SECONDS  time one case may take before the run ends as a hang
namespace fuzz {

// The exit code of a case that ran out of time.
inline constexpr int kHangExitCode = 86;

inline std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : fallback;
}

// The seed of the random numbers that make case index of a campaign, so that the same
// (campaign, index) always gives the same case.
inline std::uint64_t CaseSeed(std::uint64_t campaign, std::uint64_t index) {
    auto mix = [](std::uint64_t x) {
        x += 0x9E3779B97F4A7C15ull;
        x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
        x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
        return x ^ (x >> 31);
    };
    return mix(campaign * 0x100000001B3ull ^ mix(index));
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

// The folder for the case files and the progress file: TRACKLACE_FUZZ_DIR when the
// campaign script gives one, else a temporary folder of its own, removed afterwards.
class CaseFolder {
public:
    CaseFolder() : m_own("tracklace-fuzz") {
        const char* given = std::getenv("TRACKLACE_FUZZ_DIR");
        m_path = given != nullptr && *given != '\0' ? std::string(given) : m_own.String();
    }
    // Empty when no folder could be made.
    const std::string& Path() const { return m_path; }
    // Whether the campaign script gave the folder.
    bool Given() const { return m_path != m_own.String(); }

private:
    TempFolder m_own;
    std::string m_path;
};

// The file "progress" in the case folder: the index of the case under way, rewritten in
// place before each case.
class ProgressFile {
public:
    explicit ProgressFile(const std::string& dir)
        : m_fd(::open((dir + "/progress").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)) {}
    ~ProgressFile() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    ProgressFile(const ProgressFile&) = delete;
    ProgressFile& operator=(const ProgressFile&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    bool Set(std::uint64_t index) {
        char line[32];
        const int length =
            std::snprintf(line, sizeof line, "%20llu\n", static_cast<unsigned long long>(index));
        return ::pwrite(m_fd, line, static_cast<std::size_t>(length), 0) == length;
    }

private:
    int m_fd;
};

// Prints how many of the cases loaded, and checks that the mutations left a share of the
// files readable and broke others: mutations that break every file would only test the
// refusal path.
inline void CheckLoadedShare(std::uint64_t cases, std::uint64_t first, std::uint64_t loaded) {
    std::printf("fuzz: %llu cases from %llu, %llu loaded\n", static_cast<unsigned long long>(cases),
                static_cast<unsigned long long>(first), static_cast<unsigned long long>(loaded));
    if (cases >= 100) {
        EXPECT_GT(loaded, cases / 10);
        EXPECT_LT(loaded, cases);
    }
}

}  // namespace fuzz
