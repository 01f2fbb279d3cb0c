// How the playlist scales: reading entries by increasing index must cost one link step each
// whatever the length of the list, and the playlist file writer must cost little more than
// writing the same bytes with stdio. Each comparison is printed as a ratio of two runs of
// this same process, after the usual benchmark table.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/formats/playlist_file_writer.h"
#include "core/formats/playlist_format.h"
#include "core/playlist/playlist.h"
#include "settings/placeholders/placeholders.h"

namespace {

CPlaylist& ListOf(int count) {
    static std::map<int, std::unique_ptr<CPlaylist>> lists;
    std::unique_ptr<CPlaylist>& list = lists[count];
    if (!list) {
        list = std::make_unique<CPlaylist>();
        for (int i = 0; i < count; ++i) {
            auto* e = new CPlaylistElement;
            e->SetPath("/home/user/Music/Artist " + std::to_string(i % 97) + "/Track " +
                       std::to_string(i) + ".mp3");
            list->AddTail(e);
        }
    }
    return *list;
}

void BM_GetAtInIncreasingOrder(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    CPlaylist& list = ListOf(count);
    for (auto _ : state) {
        for (int i = 0; i < count; ++i) {
            benchmark::DoNotOptimize(list.GetAt(i));
        }
    }
    state.counters["entries"] = count;
}
BENCHMARK(BM_GetAtInIncreasingOrder)->Arg(10000)->Arg(1000000)->Repetitions(5);

// A list of 10,000 entries walked again and again stays in the core's caches, while one of
// 1,000,000 does not, so part of the difference would be where the entries are rather than
// how they are reached. Here each walk takes the next of 100 lists of 10,000 entries, so
// that, as in the long list, 1,000,000 other entries have been read since an entry was last
// read.
void BM_GetAtTakingTurns(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    constexpr int kLists = 100;
    static std::vector<std::unique_ptr<CPlaylist>> lists;
    if (lists.empty()) {
        for (int l = 0; l < kLists; ++l) {
            auto list = std::make_unique<CPlaylist>();
            for (int i = 0; i < count; ++i) {
                auto* e = new CPlaylistElement;
                e->SetPath("/home/user/Music/Artist " + std::to_string(i % 97) + "/Track " +
                           std::to_string(i) + ".mp3");
                list->AddTail(e);
            }
            lists.push_back(std::move(list));
        }
    }
    std::size_t turn = 0;
    for (auto _ : state) {
        CPlaylist& list = *lists[turn];
        turn = (turn + 1) % lists.size();
        for (int i = 0; i < count; ++i) {
            benchmark::DoNotOptimize(list.GetAt(i));
        }
    }
    state.counters["entries"] = count;
}
BENCHMARK(BM_GetAtTakingTurns)->Arg(10000)->Repetitions(5);

constexpr int kWrittenEntries = 100000;

// Filled M3U entries as the creation job hands them to the writer, half of them tagged.
const std::vector<std::string>& FilledEntries() {
    static const std::vector<std::string> entries = [] {
        CPlaylistFormatM3u m3u;
        std::vector<std::string> result;
        result.reserve(kWrittenEntries + 1);
        result.push_back(m3u.GetHeader());
        for (int i = 0; i < kWrittenEntries; ++i) {
            const bool tagged = i % 2 == 0;
            const std::string name = "Track " + std::to_string(i);
            result.push_back(ReplaceTags(
                tagged ? m3u.GetTaggedEntryTemplate() : m3u.GetEntryTemplate(), "TRACK",
                IntToText(i + 1), "FILEPATH",
                "/home/user/Music/Artist " + std::to_string(i % 97) + "/" + name + ".mp3",
                "FILENAME", name, "TITLE", "Some Album - Song number " + std::to_string(i),
                "LENGTH", IntToText(180 + i % 240)));
        }
        return result;
    }();
    return entries;
}

// The same entries with the CR LF line ends already in place, for the stdio baseline.
const std::vector<std::string>& CrLfEntries() {
    static const std::vector<std::string> entries = [] {
        std::vector<std::string> result;
        for (const std::string& text : FilledEntries()) {
            std::string converted;
            for (char c : text) {
                if (c == '\n') {
                    converted += '\r';
                }
                converted += c;
            }
            result.push_back(converted);
        }
        return result;
    }();
    return entries;
}

std::string OutputPath() {
    const char* base = std::getenv("TMPDIR");
    return std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tracklace-bench-" +
           std::to_string(::getpid()) + ".m3u";
}

void BM_PlaylistFileWriter(benchmark::State& state) {
    const auto& entries = FilledEntries();
    const std::string path = OutputPath();
    for (auto _ : state) {
        CPlaylistFileWriter writer;
        bool ok = writer.Open(path);
        for (const std::string& text : entries) {
            ok = writer.Write(text) && ok;
        }
        ok = writer.Close() && ok;
        if (!ok) {
            state.SkipWithError("writing the playlist failed");
            break;
        }
    }
    std::remove(path.c_str());
    state.counters["entries"] = kWrittenEntries;
}
BENCHMARK(BM_PlaylistFileWriter)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_PlainFwrite(benchmark::State& state) {
    const auto& entries = CrLfEntries();
    const std::string path = OutputPath();
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) {
            state.SkipWithError("cannot open the output file");
            break;
        }
        for (const std::string& text : entries) {
            std::fwrite(text.data(), 1, text.size(), file);
        }
        std::fclose(file);
    }
    std::remove(path.c_str());
    state.counters["entries"] = kWrittenEntries;
}
BENCHMARK(BM_PlainFwrite)->Unit(benchmark::kMillisecond)->Repetitions(5);

// Keeps the fastest repetition (CPU and wall time per entry) of every benchmark, the figure least
// disturbed by whatever else runs on the machine.
class RatioReporter : public benchmark::ConsoleReporter {
    struct Times {
        double cpu;
        double real;
    };

public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) {
                continue;
            }
            const auto entries = run.counters.find("entries");
            if (entries == run.counters.end() || entries->second.value <= 0) {
                continue;
            }
            const double perRun = static_cast<double>(run.iterations) * entries->second.value;
            const Times times{run.cpu_accumulated_time / perRun,
                              run.real_accumulated_time / perRun};
            std::string name = run.run_name.str();
            name = name.substr(0, name.find("/repeats:"));
            auto [it, inserted] = m_best.emplace(name, times);
            if (!inserted) {
                it->second.cpu = std::min(it->second.cpu, times.cpu);
                it->second.real = std::min(it->second.real, times.real);
            }
        }
    }

    void PrintRatio(const char* what, const std::string& measured, const std::string& baseline,
                    double limit) const {
        const auto m = m_best.find(measured);
        const auto b = m_best.find(baseline);
        if (m == m_best.end() || b == m_best.end() || b->second.cpu <= 0 || b->second.real <= 0) {
            std::printf("%s: not measured\n", what);
            return;
        }
        const double cpuRatio = m->second.cpu / b->second.cpu;
        const double realRatio = m->second.real / b->second.real;
        if (limit > 0) {
            std::printf("%s:\n  CPU  %.1f ns / %.1f ns per entry = ratio %.2f (limit %.2f) %s\n",
                        what, m->second.cpu * 1e9, b->second.cpu * 1e9, cpuRatio, limit,
                        cpuRatio <= limit ? "ok" : "TOO SLOW");
        } else {
            std::printf("%s:\n  CPU  %.1f ns / %.1f ns per entry = ratio %.2f\n", what,
                        m->second.cpu * 1e9, b->second.cpu * 1e9, cpuRatio);
        }
        std::printf("  wall %.1f ns / %.1f ns per entry = ratio %.2f\n", m->second.real * 1e9,
                    b->second.real * 1e9, realRatio);
    }

private:
    std::map<std::string, Times> m_best;
};

}  // namespace

int main(int argc, char** argv) {
    // Repetitions of the compared runs take turns, so that a busy moment of the machine
    // falls on both sides of a ratio rather than on one.
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.PrintRatio("GetAt walk, 1,000,000 vs 10,000 entries, read as long ago",
                        "BM_GetAtInIncreasingOrder/1000000", "BM_GetAtTakingTurns/10000", 1.5);
    // For information only: the short list from the core's caches against the long one.
    reporter.PrintRatio("GetAt walk, 1,000,000 vs 10,000 entries that stay in the cache",
                        "BM_GetAtInIncreasingOrder/1000000", "BM_GetAtInIncreasingOrder/10000",
                        0.0);
    reporter.PrintRatio("Playlist writer vs plain fwrite, 100,000 entries", "BM_PlaylistFileWriter",
                        "BM_PlainFwrite", 1.5);
    benchmark::Shutdown();
    return 0;
}
