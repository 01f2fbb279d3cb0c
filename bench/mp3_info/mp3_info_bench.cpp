// MP3FileInfo::Load over many generated files, against an I/O floor measured on the same
// files in the same run: open each file, read its first 16 KiB and its last 256 bytes,
// close. Run with --benchmark_counters_tabular=true; the ratio is Load's time per file
// divided by the floor's.
//
// TRACKLACE_BENCH_MP3_FILES sets the number of files (default 5000). Of every 100 files,
// 20 are VBR files with a Xing header, TRACKLACE_BENCH_MP3_HEADERLESS (default 2) are VBR
// files without one, whose frames are counted, so they are read whole, and the rest are
// CBR files.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/mp3_info/mp3_file_info.h"
#include "tests/support/mp3/mp3_gen.h"
#include "tests/support/temp_folder.h"

namespace {

class Corpus {
public:
    Corpus() {
        const char* count = std::getenv("TRACKLACE_BENCH_MP3_FILES");
        const int files = count != nullptr ? std::atoi(count) : 5000;
        const char* headerless = std::getenv("TRACKLACE_BENCH_MP3_HEADERLESS");
        const int headerlessShare = headerless != nullptr ? std::atoi(headerless) : 2;
        if (m_folder.empty()) {
            std::abort();
        }
        using mp3gen::Id3v2Builder;
        for (int i = 0; i < files; ++i) {
            mp3gen::StreamSpec spec;
            spec.frames = 150 + i % 50;  // about 4 to 5 seconds
            const int share = i % 100;
            if (share < 20) {
                spec.bitrates = {128, 192, 256, 160};
                spec.vbrHeader = mp3gen::VbrHeader::Xing;
            } else if (share < 20 + headerlessShare) {
                spec.bitrates = {128, 192, 256, 160};
            } else {
                spec.bitrates = {128};
            }
            const mp3gen::Bytes tag = Id3v2Builder(i % 2 == 0 ? 3 : 4)
                                          .Text("TIT2", "Title " + std::to_string(i))
                                          .Text("TPE1", "Artist", Id3v2Builder::Utf16)
                                          .Text("TALB", "Album")
                                          .Text("TRCK", std::to_string(i % 20 + 1))
                                          .Text("TCON", "(17)")
                                          .Padding(1024)
                                          .Build();
            const std::string path = m_folder + "/" + std::to_string(i) + ".mp3";
            mp3gen::WriteFile(
                path, mp3gen::Concat({tag, mp3gen::MakeStream(spec),
                                      mp3gen::MakeId3v1("T", "A", "B", "2000", "", 1, 17)}));
            m_paths.push_back(path);
        }
    }
    const std::vector<std::string>& Paths() const { return m_paths; }

private:
    TempFolder m_temp{"tracklace-bench-mp3"};
    std::string m_folder = m_temp.String();
    std::vector<std::string> m_paths;
};

const Corpus& Files() {
    static const Corpus corpus;
    return corpus;
}

void BM_IoFloor(benchmark::State& state) {
    const auto& paths = Files().Paths();
    std::vector<char> head(16 * 1024);
    char tail[256];
    for (auto _ : state) {
        for (const std::string& path : paths) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            struct stat info {};
            ::fstat(fd, &info);
            benchmark::DoNotOptimize(::pread(fd, head.data(), head.size(), 0));
            benchmark::DoNotOptimize(::pread(fd, tail, sizeof tail, info.st_size - 256));
            ::close(fd);
        }
    }
    state.counters["us_per_file"] = benchmark::Counter(
        static_cast<double>(paths.size()) * state.iterations(),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}
BENCHMARK(BM_IoFloor)->Unit(benchmark::kMillisecond);

void BM_Load(benchmark::State& state) {
    const auto& paths = Files().Paths();
    std::int64_t seconds = 0;
    for (auto _ : state) {
        for (const std::string& path : paths) {
            MP3FileInfo info;
            if (!info.Load(path)) {
                state.SkipWithError("a generated file did not load");
                return;
            }
            seconds += info.GetLength();
        }
    }
    benchmark::DoNotOptimize(seconds);
    state.counters["us_per_file"] = benchmark::Counter(
        static_cast<double>(paths.size()) * state.iterations(),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
