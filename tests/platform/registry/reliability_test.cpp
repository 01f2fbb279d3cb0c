// The hive under the conditions it meets in use: several processes writing at once, a
// process killed in the middle of a write, and files that are damaged or not hives at all.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <thread>

#include "platform/registry/hive.h"
#include "platform/registry/registry.h"
#include "tests/platform/registry/hive_fuzz.h"
#include "tests/platform/registry/temp_hive.h"
#include "tests/support/fuzz_campaign.h"

using namespace platform::registry;

namespace {

// Everything a child writes into the pipe, after it has been killed or has ended.
std::string ReadAll(int fd) {
    std::string out;
    char buffer[4096];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) {
        out.append(buffer, static_cast<std::size_t>(got));
    }
    return out;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

}  // namespace

TEST(RegistryReliability, TwoProcessesWritingAtOnceLoseNothing) {
    TempHive hive;
    // What is tested here is the lock and the fresh read under it; flushing to the disk has
    // nothing to add and would only make the test slow.
    SetSyncWrites(false);
    constexpr int kValues = 500;
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            close(start[1]);
            char go;
            if (read(start[0], &go, 1) != 0) {
                _exit(3);
            }
            int failures = 0;
            for (int i = 0; i < kValues; ++i) {
                const std::string name = "p" + std::to_string(c) + "_" + std::to_string(i);
                failures += !SetValue("Software\\Race", name, Value::Dword(i));
            }
            _exit(failures == 0 ? 0 : 1);
        }
    }
    close(start[0]);
    close(start[1]);  // both children start now
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SetSyncWrites(true);
    const auto values = EnumValues("Software\\Race");
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ(values->size(), 2u * kValues);
    std::set<std::string> names;
    for (const NamedValue& named : *values) {
        names.insert(named.name);
    }
    for (int c = 0; c < 2; ++c) {
        for (int i = 0; i < kValues; ++i) {
            const std::string name = "p" + std::to_string(c) + "_" + std::to_string(i);
            ASSERT_TRUE(names.count(name)) << name;
            EXPECT_EQ(QueryValue("Software\\Race", name)->AsDword(), static_cast<unsigned>(i));
        }
    }
}

TEST(RegistryReliability, ThreadsOfOneProcessWritingAtOnceLoseNothing) {
    // The user interface thread and the creation worker both write settings.
    TempHive hive;
    SetSyncWrites(false);
    constexpr int kThreads = 4, kValues = 60;
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < kValues; ++i) {
                const std::string name = "t" + std::to_string(t) + "_" + std::to_string(i);
                failures += !SetValue("Software\\Threads", name, Value::Dword(i));
                failures += QueryValue("Software\\Threads", name) != Value::Dword(i);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    SetSyncWrites(true);
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(EnumValues("Software\\Threads")->size(),
              static_cast<std::size_t>(kThreads * kValues));
}

TEST(RegistryReliability, AStoppedWriterHoldsUpTheOthersOnlyUntilTheLockTimeLimit) {
    TempHive hive;
    ASSERT_TRUE(SetValue("S", "v", Value::Dword(1)));
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t writer = fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        close(ready[0]);
        Update([&](Key& root) {
            CreateKey(root, {"S"}).SetValue("v", Value::Dword(2));
            const char go = 'x';
            if (write(ready[1], &go, 1) != 1) {
                _exit(3);
            }
            raise(SIGSTOP);  // stopped in the middle of its write, holding the lock
            return true;
        });
        _exit(0);
    }
    close(ready[1]);
    char go;
    ASSERT_EQ(read(ready[0], &go, 1), 1);
    close(ready[0]);
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, WUNTRACED), writer);
    ASSERT_TRUE(WIFSTOPPED(status));

    // Reads go ahead on the last complete file, a read that would create its key too.
    EXPECT_EQ(QueryValue("S", "v"), Value::Dword(1));
    EXPECT_FALSE(QueryValue("T", "t", true).has_value());
    // A write gives up and fails, as any failed write does, instead of waiting for ever.
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(SetValue("S", "w", Value::Dword(3)));
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    RecordProperty("write_failed_after_ms", static_cast<int>(waited.count()));
    std::printf("the write failed after %lld ms\n", static_cast<long long>(waited.count()));
    EXPECT_FALSE(QueryValue("S", "w").has_value());

    // The lock goes with the process; its unfinished write never lands.
    kill(writer, SIGKILL);
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    EXPECT_TRUE(SetValue("S", "w", Value::Dword(3)));
    EXPECT_EQ(QueryValue("S", "v"), Value::Dword(1));
    EXPECT_EQ(QueryValue("S", "w"), Value::Dword(3));
}

TEST(RegistryReliability, AWriterKilledAtAnyMomentLeavesAWholeFileWithEveryFinishedWrite) {
    TempHive hive;
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> delayMicroseconds(0, 4000);
    std::set<std::string> acknowledged;
    std::size_t minimumAcknowledged = 0;
    constexpr int kRounds = 200;
    for (int round = 0; round < kRounds; ++round) {
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeFds[0]);
            // Half the writers flush as the program does; the others skip the flush, which
            // makes a write short and puts more kills into the middle of writing and renaming.
            SetSyncWrites(round % 2 == 0);
            for (int i = 0;; ++i) {
                const std::string name = "r" + std::to_string(round) + "_" + std::to_string(i);
                if (!SetValue("Software\\Killed", name, Value::Text(name + " data"))) {
                    _exit(2);
                }
                // Only now has the write returned; the parent counts it as acknowledged.
                const std::string line = name + "\n";
                if (write(pipeFds[1], line.data(), line.size()) !=
                    static_cast<ssize_t>(line.size())) {
                    _exit(3);
                }
            }
        }
        close(pipeFds[1]);
        // Let the writer finish a random number of writes first (none or one), then kill it
        // at a random moment of the writes that follow.
        const int waitFor = static_cast<int>(random() % 2);
        std::string received;
        char buffer[256];
        while (std::count(received.begin(), received.end(), '\n') < waitFor) {
            const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
            ASSERT_GT(got, 0) << "the writer ended early";
            received.append(buffer, static_cast<std::size_t>(got));
        }
        minimumAcknowledged += waitFor;
        usleep(static_cast<useconds_t>(delayMicroseconds(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << status;
        received += ReadAll(pipeFds[0]);
        for (const std::string& name : SplitLines(received)) {
            acknowledged.insert(name);
        }
        close(pipeFds[0]);

        if (!hive.Exists()) {
            ASSERT_TRUE(acknowledged.empty());
            continue;
        }
        const auto root = ParseHive(hive.Read());
        ASSERT_TRUE(root.has_value()) << "torn file after round " << round;
        const Key* key = FindKey(*root, {"Software", "Killed"});
        for (const std::string& name : acknowledged) {
            ASSERT_TRUE(key != nullptr && key->FindValue(name) != nullptr)
                << name << " lost in round " << round;
            EXPECT_EQ(key->FindValue(name)->value, Value::Text(name + " data"));
        }
    }
    RecordProperty("acknowledged_writes", static_cast<int>(acknowledged.size()));
    EXPECT_GE(acknowledged.size(), minimumAcknowledged);
    // A writer in the next process is not hindered by what a killed one left behind.
    EXPECT_TRUE(SetValue("Software\\Killed", "after", Value::Dword(1)));
    EXPECT_TRUE(ParseHive(hive.Read()).has_value());
}

// The fuzz of the parser: mutated hives, each checked as CheckCase says. CI runs a share of
// the cases; tests/platform/registry/run_fuzz_campaign.sh runs this test with many more
// (see tests/support/fuzz_campaign.h for the variables). Prints its counts in a line that
// begins with "fuzz:".
TEST(RegistryReliability, DamagedAndRandomFilesNeverUpsetTheParser) {
    using fuzz::EnvNumber;
    const std::uint64_t cases = EnvNumber("TRACKLACE_FUZZ_CASES", 2000);
    const std::uint64_t first = EnvNumber("TRACKLACE_FUZZ_FIRST", 0);
    const std::uint64_t campaign = EnvNumber("TRACKLACE_FUZZ_CAMPAIGN", 1);
    const fuzz::CaseFolder caseFolder;
    const std::string& dir = caseFolder.Path();
    // Only a campaign keeps each case in a file, for the one that crashes.
    const bool keepCases = caseFolder.Given();
    fuzz::ProgressFile progress(dir);
    ASSERT_TRUE(progress.IsOpen());

    const std::vector<std::string> seeds = hivefuzz::MakeSeeds();
    for (const std::string& seed : seeds) {
        const hivefuzz::Outcome outcome = hivefuzz::CheckCase(seed);
        ASSERT_TRUE(outcome.accepted && outcome.failure.empty()) << outcome.failure;
    }
    fuzz::Watchdog watchdog(EnvNumber("TRACKLACE_FUZZ_CASE_SECONDS", 10));
    std::uint64_t accepted = 0;
    double slowestMs = 0;
    for (std::uint64_t index = first; index < first + cases; ++index) {
        const std::string bytes = hivefuzz::MakeCase(seeds, campaign, index);
        if (keepCases) {
            std::ofstream(dir + "/case.reg", std::ios::binary | std::ios::trunc) << bytes;
            ASSERT_TRUE(progress.Set(index));
        }
        const auto started = std::chrono::steady_clock::now();
        watchdog.Start(index);
        const hivefuzz::Outcome outcome = hivefuzz::CheckCase(bytes);
        watchdog.Stop();
        slowestMs = std::max(slowestMs, std::chrono::duration<double, std::milli>(
                                            std::chrono::steady_clock::now() - started)
                                            .count());
        ASSERT_TRUE(outcome.failure.empty()) << "case " << index << ": " << outcome.failure;
        accepted += outcome.accepted;
    }
    std::printf(
        "fuzz: %llu cases from %llu, %llu accepted and round-tripped, %llu refused, "
        "slowest %.1f ms\n",
        static_cast<unsigned long long>(cases), static_cast<unsigned long long>(first),
        static_cast<unsigned long long>(accepted),
        static_cast<unsigned long long>(cases - accepted), slowestMs);
    RecordProperty("cases", static_cast<int>(cases));
    RecordProperty("accepted", static_cast<int>(accepted));
    // Both outcomes occur, so the cases reach past the header and into the refusals.
    if (cases >= 1000) {
        EXPECT_GT(accepted, cases / 4);
        EXPECT_GT(cases - accepted, cases / 100);
    }
}

TEST(RegistryReliability, ADamagedHiveFileGivesDefaultsUntilTheFirstWrite) {
    TempHive hive;
    // A block of zeros in the middle, as a crash of the file system may leave it.
    std::string text = hivefuzz::MakeSeeds().front();
    text.replace(text.size() / 2, 64, 64, '\0');
    hive.Write(text);
    ASSERT_FALSE(ParseHive(text).has_value());
    EXPECT_FALSE(QueryValue("Software\\Wendmark\\Tracklace3\\MP3", "TitleMask").has_value());
    EXPECT_EQ(hive.Read(), text);
    EXPECT_TRUE(SetValue("Software\\Wendmark\\Tracklace3\\MP3", "TitleMask", Value::Text("%1")));
    EXPECT_EQ(QueryValue("Software\\Wendmark\\Tracklace3\\MP3", "TitleMask"), Value::Text("%1"));
}
