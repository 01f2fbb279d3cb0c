// Reading a 100,000-entry M3U against the work that no reader can avoid, measured in the
// same run: reading the file's bytes and one stat per entry (the existence test every
// entry gets). Warm cache: every repetition reads what the one before read.
//
// The playlist is what the creation job writes for 100,000 existing files in 100 folders
// beside the playlist's folder: relative paths ("../music/album7/track 12 of the
// album.ogg"), "#EXTINF:-1," lines, CR LF. The same files written with absolute paths, and
// as file URIs, are read too.
//
// Peak memory: the reading also runs once in a child process of its own (this program
// started again with --peak=...), which reports its maximum resident set (VmHWM);
// "--peak=none" is the same child doing nothing, the base to subtract.
//
// Each benchmark runs in 9 repetitions, interleaved at random, so that a slower spell of
// the machine falls on both sides of a ratio; the ratios of the medians and of the best
// repetitions are printed at the end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/formats/readers/playlist_reader.h"
#include "core/uri/file_uri.h"
#include "tests/support/run_creation_job.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 100000;

std::string FileName(int i) {
    return "album" + std::to_string(i / 1000) + "/track " + std::to_string(i % 1000) +
           " of the album.ogg";
}

// Writes the playlist of the files below root/music into root/lists with the creation job.
std::string WritePlaylist(const std::string& root, bool relative) {
    CPlaylist playlist;
    for (int i = 0; i < kEntries; ++i) {
        auto* entry = new CPlaylistElement;
        entry->SetPath(root + "/music/" + FileName(i));
        playlist.AddTail(entry);
    }
    playlist.SetFolder(root + "/lists");
    playlist.SetName(relative ? "relative" : "absolute");
    playlist.SetTypeFromExtension(".m3u");
    CCreationJob::Overrides overrides;
    overrides.relative = relative;
    overrides.readTags = false;
    return RunCreationJob(playlist, overrides) == CCreationJob::kContinue ? playlist.GetFilePath()
                                                                          : std::string();
}

struct Fixture {
    TempFolder temp{"tracklace-bench-reader"};
    std::string root = fs::canonical(temp.Path()).string();
    std::vector<std::string> files;
    std::string relativeList;
    std::string absoluteList;
    std::string uriList;
    Fixture() {
        // Settings of their own, so that no user's counters are raised.
        setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
        fs::create_directories(root + "/lists");
        for (int i = 0; i < kEntries; ++i) {
            if (i % 1000 == 0) {
                fs::create_directories(root + "/music/album" + std::to_string(i / 1000));
            }
            files.push_back(root + "/music/" + FileName(i));
            close(open(files.back().c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
        }
        relativeList = WritePlaylist(root, true);
        absoluteList = WritePlaylist(root, false);
        // The absolute playlist with each path as a file URI, as players write them.
        uriList = root + "/lists/uris.m3u";
        std::ifstream in(absoluteList);
        std::ofstream out(uriList);
        for (std::string line; std::getline(in, line);) {
            line.pop_back();  // the CR
            out << (line.front() == '/' ? uri::FileUriFromPath(line) : line) << "\r\n";
        }
    }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

void BM_ReadPlaylist(benchmark::State& state) {
    const Fixture& fixture = TheFixture();
    const std::string& list = state.range(0) == 0   ? fixture.relativeList
                              : state.range(0) == 1 ? fixture.absoluteList
                                                    : fixture.uriList;
    for (auto _ : state) {
        const PlaylistReadResult result = ReadPlaylistFile(list);
        if (result.entries.size() != kEntries || result.MissingCount() != 0) {
            state.SkipWithError("the playlist did not read back whole");
            break;
        }
        benchmark::DoNotOptimize(result.entries.data());
    }
}

// The floor: the file's bytes into memory, and one stat for each entry's file.
void BM_BytesAndOneStatPerEntry(benchmark::State& state) {
    const Fixture& fixture = TheFixture();
    std::string bytes;
    for (auto _ : state) {
        const int fd = open(fixture.relativeList.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        fstat(fd, &info);
        bytes.resize(static_cast<std::size_t>(info.st_size));
        benchmark::DoNotOptimize(read(fd, bytes.data(), bytes.size()));
        close(fd);
        std::size_t found = 0;
        for (const std::string& file : fixture.files) {
            found += stat(file.c_str(), &info) == 0 ? 1 : 0;
        }
        benchmark::DoNotOptimize(found);
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}

BENCHMARK(BM_ReadPlaylist)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BytesAndOneStatPerEntry)->Unit(benchmark::kMillisecond);

// VmHWM of this process, in KiB.
long OwnPeakKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

// The child of --peak: reads the playlist (or nothing) and reports its peak.
int RunPeakChild(const std::string& which, const std::string& list) {
    if (which == "read" && ReadPlaylistFile(list).entries.size() != kEntries) {
        return 1;
    }
    std::printf("%ld\n", OwnPeakKiB());
    return 0;
}

long ChildPeakKiB(const std::string& self, const std::string& which, const std::string& list) {
    FILE* child = popen((self + " --peak=" + which + " '" + list + "'").c_str(), "r");
    long kib = -1;
    if (child == nullptr || std::fscanf(child, "%ld", &kib) != 1) {
        kib = -1;
    }
    return child != nullptr && pclose(child) == 0 ? kib : -1;
}

// Collects the time per iteration of each repetition by benchmark name.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                m_real[run.benchmark_name()].push_back(run.GetAdjustedRealTime());
                m_cpu[run.benchmark_name()].push_back(run.GetAdjustedCPUTime());
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Ratio(const char* what, const std::string& top, const std::string& bottom) {
        if (m_real[top].empty() || m_real[bottom].empty()) {
            return;
        }
        std::printf("%s (%s / %s):\n", what, top.c_str(), bottom.c_str());
        for (auto* times : {&m_real, &m_cpu}) {
            auto median = [](std::vector<double> v) {
                std::sort(v.begin(), v.end());
                return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
            };
            auto best = [](const std::vector<double>& v) {
                return *std::min_element(v.begin(), v.end());
            };
            std::printf("  %s median %.2f, best %.2f\n", times == &m_real ? "wall:" : "CPU: ",
                        median((*times)[top]) / median((*times)[bottom]),
                        best((*times)[top]) / best((*times)[bottom]));
        }
    }

private:
    std::map<std::string, std::vector<double>> m_real;
    std::map<std::string, std::vector<double>> m_cpu;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strncmp(argv[1], "--peak=", 7) == 0) {
        return RunPeakChild(argv[1] + 7, argv[2]);
    }
    std::vector<char*> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=9";
    char interleaving[] = "--benchmark_enable_random_interleaving=true";
    if (std::none_of(args.begin(), args.end(), [](const char* arg) {
            return std::strncmp(arg, "--benchmark_repetitions", 23) == 0;
        })) {
        args.push_back(repetitions);
        args.push_back(interleaving);
    }
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nRatios:\n");
    reporter.Ratio(
        "100,000-entry M3U, relative paths, against its bytes and a stat per entry "
        "(goal 2)",
        "BM_ReadPlaylist/0", "BM_BytesAndOneStatPerEntry");
    reporter.Ratio("the same with absolute paths", "BM_ReadPlaylist/1",
                   "BM_BytesAndOneStatPerEntry");
    reporter.Ratio("the same with file URIs", "BM_ReadPlaylist/2", "BM_BytesAndOneStatPerEntry");
    const std::string self = fs::canonical("/proc/self/exe").string();
    const Fixture& fixture = TheFixture();
    const long peak = ChildPeakKiB(self, "read", fixture.relativeList);
    const long base = ChildPeakKiB(self, "none", fixture.relativeList);
    std::printf(
        "\nPeak memory reading the relative playlist (%lld bytes): %.1f MiB, of which "
        "%.1f MiB the program alone\n",
        static_cast<long long>(fs::file_size(fixture.relativeList)), peak / 1024.0, base / 1024.0);
    benchmark::Shutdown();
    return 0;
}
