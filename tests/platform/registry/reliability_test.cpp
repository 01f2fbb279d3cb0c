// The hive under the conditions it meets in use: several processes writing at once, a
// process killed in the middle of a write, and files that are damaged or not hives at all.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <set>
#include <thread>

#include "platform/registry/hive.h"
#include "platform/registry/registry.h"
#include "tests/platform/registry/temp_hive.h"

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

// A hive with every kind of value and some awkward names, as seed for damaged files.
std::string SeedHive() {
    Key root{"HKEY_CURRENT_USER", {}, {}};
    Key& app = CreateKey(root, {"Software", "Wendmark", "Tracklace3"});
    app.SetValue("Installer Language", Value::Text("1031"));
    app.SetValue("SelectSongFolder", Value::Text("/home/u/Müsik/\"Best\" \\ of"));
    CreateKey(root, {"Software", "Wendmark", "Tracklace3", "MP3"})
        .SetValue("TitleMask", Value::Text("%3 - %2"));
    Key& general = CreateKey(root, {"Software", "Wendmark", "Tracklace3", "GeneralSettings"});
    general.SetValue("PlaySound", Value::Dword(1));
    general.SetValue("WindowPositionX", Value::Dword(0xFFFFFF9C));
    general.SetValue("Multi", Value{7, std::string("one\0two\0\0", 9)});
    general.SetValue("Path", Value::Text("%HOME%\\x", kTypeExpandSz));
    general.SetValue("Lines", Value::Text("a\nb"));
    general.SetValue("", Value::Text("default"));
    general.SetValue("Blob", Value{kTypeBinary, std::string(70, '\x5A')});
    Key& types = CreateKey(root, {"Software", "Wendmark", "Tracklace3", "FileTypes"});
    for (const char* type : {"mp3", "ogg", "wav"}) {
        types.SetValue(type, Value::Text("1"));
    }
    CreateKey(root, {"Software", "Other", "Empty key"});
    return SerializeHive(root);
}

// A parse that succeeds must give a hive that writes and reads back as itself.
void ExpectStableParse(const std::string& text) {
    const auto root = ParseHive(text);
    if (!root) {
        return;
    }
    const std::string written = SerializeHive(*root);
    const auto again = ParseHive(written);
    ASSERT_TRUE(again.has_value()) << "unreadable after writing:\n" << written;
    EXPECT_EQ(SerializeHive(*again), written);
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

TEST(RegistryReliability, DamagedAndRandomFilesNeverUpsetTheParser) {
    const std::string seeds[] = {
        SeedHive(),
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\"a\"=hex(2):41,00,\\\n  42,00\n"
        "\"b\"=dword:0000000a\n@=\"x\\\\y\\\"z\"\n; comment\n[HKEY_CURRENT_USER]\n\"r\"=\"\"\n",
    };
    std::mt19937 random(42);
    const std::string specials = "[]\"\\@=:,;()\r\n \txhexdword0aF\xFF\xC3\xA4";
    std::size_t cases = 0, parsed = 0;
    for (const std::string& seed : seeds) {
        // Every truncation, as a crash of a careless writer would leave it.
        for (std::size_t length = 0; length <= seed.size(); ++length) {
            const std::string truncated = seed.substr(0, length);
            ExpectStableParse(truncated);
            parsed += ParseHive(truncated).has_value();
            ++cases;
        }
        // Mutations: bytes changed, inserted, removed, lines repeated.
        for (int n = 0; n < 2500; ++n) {
            std::string text = seed;
            const int edits = 1 + static_cast<int>(random() % 4);
            for (int e = 0; e < edits && !text.empty(); ++e) {
                const std::size_t at = random() % text.size();
                switch (random() % 5) {
                    case 0:
                        text[at] = static_cast<char>(random() % 256);
                        break;
                    case 1:
                        text.insert(at, 1, specials[random() % specials.size()]);
                        break;
                    case 2:
                        text.erase(at, 1 + random() % 12);
                        break;
                    case 3: {
                        const std::size_t end = text.find('\n', at);
                        text.insert(at, text.substr(at, end == std::string::npos ? 20 : end - at));
                        break;
                    }
                    default:
                        text[at] = specials[random() % specials.size()];
                        break;
                }
            }
            ExpectStableParse(text);
            parsed += ParseHive(text).has_value();
            ++cases;
        }
    }
    // Bytes with no structure at all.
    for (int n = 0; n < 500; ++n) {
        std::string text(random() % 300, '\0');
        for (char& c : text) {
            c = random() % 2 ? specials[random() % specials.size()] : static_cast<char>(random());
        }
        if (n % 2 == 0) {
            text.insert(0, "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n");
        }
        ExpectStableParse(text);
        ++cases;
    }
    RecordProperty("cases", static_cast<int>(cases));
    RecordProperty("parsed", static_cast<int>(parsed));
    EXPECT_GT(cases, 5000u);
    // Both outcomes occurred, so the cases reached past the first line.
    EXPECT_GT(parsed, 100u);
    EXPECT_LT(parsed, cases - 1000);
}

TEST(RegistryReliability, ADamagedHiveFileGivesDefaultsUntilTheFirstWrite) {
    TempHive hive;
    std::string text = SeedHive();
    text.resize(text.size() / 2);
    text += "\"cut\"=hex:0";
    text.back() = ',';
    hive.Write(text);
    ASSERT_FALSE(ParseHive(text).has_value());
    EXPECT_FALSE(QueryValue("Software\\Wendmark\\Tracklace3\\MP3", "TitleMask").has_value());
    EXPECT_EQ(hive.Read(), text);
    EXPECT_TRUE(SetValue("Software\\Wendmark\\Tracklace3\\MP3", "TitleMask", Value::Text("%1")));
    EXPECT_EQ(QueryValue("Software\\Wendmark\\Tracklace3\\MP3", "TitleMask"), Value::Text("%1"));
}
