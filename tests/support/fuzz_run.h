#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <gtest/gtest.h>
#include <unistd.h>

// What fuzz tests share with their campaign scripts (tests/fuzz/run_campaign.sh): the
// settings the scripts pass in, and the exit code that tells a hang from a crash.
namespace fuzzing {

inline constexpr int kHangExitCode = 86;

// A number from the environment, or fallback when the variable is unset or empty.
inline std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : fallback;
}

// Notes the index of the case under way at the start of the progress file, for the
// campaign script to name the case after a crash. False when the write fails.
inline bool MarkProgress(int progressFile, std::uint64_t index) {
    char line[32];
    const int length =
        std::snprintf(line, sizeof line, "%20llu\n", static_cast<unsigned long long>(index));
    return ::pwrite(progressFile, line, static_cast<std::size_t>(length), 0) == length;
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
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

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

}  // namespace fuzzing
