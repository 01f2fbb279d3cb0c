#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

// What a fuzz test shares with tests/fuzz/run_campaign.sh, which runs it in chunks of
// many cases: the variables that choose the cases, the progress file that names the case
// under way after a crash, and the watchdog that ends a case that hangs.
//   TRACKLACE_FUZZ_CASES         number of cases (each test has its own default)
//   TRACKLACE_FUZZ_FIRST         index of the first case (default 0)
//   TRACKLACE_FUZZ_CAMPAIGN      campaign number that picks the mutations (default 1)
//   TRACKLACE_FUZZ_DIR           folder for the current case and the progress file
//                                (default: a temporary folder, removed afterwards)
//   TRACKLACE_FUZZ_CASE_SECONDS  time one case may take before the run ends as a hang
//                                (default 10)
namespace fuzzcampaign {

// The exit status that tells the campaign script a case hung.
inline constexpr int kHangExitCode = 86;

inline std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : fallback;
}

// The folder TRACKLACE_FUZZ_DIR names, or fallback.
inline std::string CaseFolder(const std::string& fallback) {
    const char* setting = std::getenv("TRACKLACE_FUZZ_DIR");
    return setting != nullptr && *setting != '\0' ? std::string(setting) : fallback;
}

// The index of the case under way, for the campaign script after a crash.
class ProgressFile {
public:
    explicit ProgressFile(const std::string& folder)
        : m_fd(::open((folder + "/progress").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)) {}
    ProgressFile(const ProgressFile&) = delete;
    ProgressFile& operator=(const ProgressFile&) = delete;
    ~ProgressFile() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    bool IsOpen() const { return m_fd >= 0; }
    bool Write(std::uint64_t index) {
        char line[32];
        const int length =
            std::snprintf(line, sizeof line, "%20llu\n", static_cast<unsigned long long>(index));
        return ::pwrite(m_fd, line, static_cast<std::size_t>(length), 0) == length;
    }

private:
    int m_fd;
};

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

}  // namespace fuzzcampaign
