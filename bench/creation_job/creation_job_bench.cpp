// The creation job against plain file work measured in the same run:
// - 100,000 entries without tags (relative paths, 100 folders) against writing the same
//   bytes with stdio, entry by entry, into a buffered FILE (with stdio's own buffer, and
//   with the 64 KiB buffer of the job's writer), and against the same plain write made as
//   durable as the job's (fflush, fsync, rename over the file). The job writes into a
//   temporary file that it syncs and renames over the playlist: that end alone (the
//   replacement's Commit: fsync, rename, the folder's fsync) is measured on its own too;
// - 5,000 generated MP3 files with tags against an I/O floor: open each file, read its first
//   16 KiB and its last 256 bytes, close. Each runs warm (the files in the page cache) and
//   cold (argument 1: the files' cached pages dropped with posix_fadvise(DONTNEED) before
//   every iteration, outside the measured time).
// Peak memory: each case also runs once in a child process of its own (this program
// started again with --peak=...), which reports its maximum resident set (VmHWM);
// "--peak=none" is the same child doing nothing, the base to subtract, and "--peak=model"
// one that only builds the 100,000-entry playlist.
//
// Also measured: reading the 100,000 entries' texts from memory alone (the part of the job
// that no plain write has), and MP3FileInfo::Load alone over the 5,000 files.
//
// Each benchmark runs in 9 repetitions, interleaved at random so that a slower spell of the
// machine falls on both sides of a ratio; the ratios of the medians and of the best runs are
// printed at the end (bench/support/bench_ratios.h). Run with --benchmark_counters_tabular=true for
// the memory columns. TRACKLACE_BENCH_MP3_FILES changes the 5,000.
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
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "bench/support/bench_ratios.h"
#include "core/creation_job/creation_job.h"
#include "core/formats/file_replacement.h"
#include "core/mp3_info/mp3_file_info.h"
#include "core/playlist/playlist.h"
#include "settings/store/properties.h"
#include "tests/support/mp3/mp3_gen.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::string g_self;

// Drops every message (and so its text), so the job is measured alone.
class NullTarget : public platform::IMessageTarget {
public:
    void Post(platform::CMessage) override {}
};

struct Fixture {
    TempFolder temp{"tracklace-bench-job"};
    std::string root = temp.String();
    std::vector<std::string> mp3Files;
    Fixture() {
        // Settings of their own, so that no user's counters are raised.
        setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
        SetPropertyString(property::kSaveMode, "Relative");
        for (int f = 0; f < 100; ++f) {
            fs::create_directories(root + "/music/album" + std::to_string(f));
        }
        fs::create_directories(root + "/music/lists");
    }
    void MakeMp3Files() {
        if (!mp3Files.empty()) {
            return;
        }
        const char* count = std::getenv("TRACKLACE_BENCH_MP3_FILES");
        const int files = count != nullptr ? std::atoi(count) : 5000;
        fs::create_directories(root + "/mp3");
        for (int i = 0; i < files; ++i) {
            mp3gen::StreamSpec spec;
            spec.frames = 150 + i % 50;
            if (i % 5 == 0) {
                spec.bitrates = {128, 192, 256, 160};
                spec.vbrHeader = mp3gen::VbrHeader::Xing;
            }
            const mp3gen::Bytes tag = mp3gen::Id3v2Builder(i % 2 == 0 ? 3 : 4)
                                          .Text("TIT2", "Title " + std::to_string(i))
                                          .Text("TPE1", "Artist")
                                          .Text("TALB", "Album")
                                          .Text("TRCK", std::to_string(i % 20 + 1))
                                          .Padding(1024)
                                          .Build();
            const std::string path = root + "/mp3/" + std::to_string(i) + ".mp3";
            mp3gen::WriteFile(path, mp3gen::Concat({tag, mp3gen::MakeStream(spec)}));
            mp3Files.push_back(path);
        }
        // Only pages that reached the disk can be dropped from the cache.
        sync();
    }
    // Drops the cached pages of the MP3 files, so that the next pass reads them from the disk.
    void DropMp3Pages() const {
        for (const std::string& file : mp3Files) {
            const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd >= 0) {
                posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
                close(fd);
            }
        }
    }
};

// For the cold runs (argument 1): the files' pages dropped before the iteration, untimed.
void DropPagesIfCold(benchmark::State& state, const Fixture& fixture) {
    if (state.range(0) == 1) {
        state.PauseTiming();
        fixture.DropMp3Pages();
        state.ResumeTiming();
    }
}

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

void FillUntagged(CPlaylist& playlist, const std::string& root) {
    for (int i = 0; i < 100000; ++i) {
        auto* entry = new CPlaylistElement;
        entry->SetPath(root + "/music/album" + std::to_string(i / 1000) + "/track " +
                       std::to_string(i % 1000) + " of the album.ogg");
        playlist.AddTail(entry);
    }
    playlist.SetFolder(root + "/music/lists");
    playlist.SetName("big");
    playlist.SetTypeFromExtension(".m3u");
}

void FillTagged(CPlaylist& playlist, const std::vector<std::string>& files,
                const std::string& root) {
    for (const std::string& file : files) {
        auto* entry = new CPlaylistElement;
        entry->SetPath(file);
        playlist.AddTail(entry);
    }
    playlist.SetFolder(root);
    playlist.SetName("tagged");
    playlist.SetTypeFromExtension(".pls");
}

int RunJob(CPlaylist& playlist) {
    NullTarget target;
    platform::CManualResetEvent cancel(false);
    platform::CManualResetEvent go(true);
    CCreationJob job(playlist, target, cancel, go);
    return job.Run();
}

// The peak resident set of this program run as a child for one case, in KiB. The child
// reports its own VmHWM: the rusage of a forked child would also count the parent's pages
// it held before exec.
long PeakKiB(const std::string& which) {
    const std::string command = g_self + " --peak=" + which + " " + TheFixture().root;
    FILE* child = popen(command.c_str(), "r");
    if (child == nullptr) {
        return -1;
    }
    long kib = -1;
    if (std::fscanf(child, "%ld", &kib) != 1) {
        kib = -1;
    }
    return pclose(child) == 0 ? kib : -1;
}

// VmHWM of this process, in KiB.
long OwnPeakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

void AddPeak(benchmark::State& state, const std::string& which) {
    state.counters["peak_MiB"] = static_cast<double>(PeakKiB(which)) / 1024.0;
    if (which == "untagged") {
        // The 100,000-entry playlist alone, without a job.
        state.counters["model_MiB"] = static_cast<double>(PeakKiB("model")) / 1024.0;
    }
    state.counters["base_MiB"] = static_cast<double>(PeakKiB("none")) / 1024.0;
}

void BM_Create100000Untagged(benchmark::State& state) {
    Fixture& fixture = TheFixture();
    CPlaylist playlist;
    FillUntagged(playlist, fixture.root);
    SetPropertyInt(property::kReadID3Tags, 0);
    for (auto _ : state) {
        if (RunJob(playlist) != CCreationJob::kContinue) {
            state.SkipWithError("job failed");
            break;
        }
    }
    AddPeak(state, "untagged");
}

void BM_PlainWriteOfTheSameBytes(benchmark::State& state) {
    Fixture& fixture = TheFixture();
    {
        CPlaylist playlist;
        FillUntagged(playlist, fixture.root);
        SetPropertyInt(property::kReadID3Tags, 0);
        RunJob(playlist);
    }
    const std::string path = fixture.root + "/music/lists/big.m3u";
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    // The same pieces the job writes: the header, then two lines per entry.
    std::vector<std::string> pieces;
    std::size_t start = 0;
    int lines = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (++lines == 1 || lines % 2 == 1)) {
            pieces.push_back(bytes.substr(start, i + 1 - start));
            start = i + 1;
        }
    }
    const std::string plain = fixture.root + "/music/lists/plain.m3u";
    const std::string temporary = fixture.root + "/music/lists/.plain.m3u.new";
    // range(0) 0: the stdio buffer as it comes (the file system's block size); otherwise a
    // buffer of that many bytes, 65536 being the buffer the job's writer uses. range(1) 1:
    // written as durably as the job writes, into a temporary file synced and renamed.
    const std::size_t bufferSize = static_cast<std::size_t>(state.range(0));
    const bool durable = state.range(1) == 1;
    std::vector<char> buffer(bufferSize);
    for (auto _ : state) {
        FILE* file = std::fopen(durable ? temporary.c_str() : plain.c_str(), "wb");
        if (bufferSize > 0) {
            std::setvbuf(file, buffer.data(), _IOFBF, bufferSize);
        }
        for (const std::string& piece : pieces) {
            std::fwrite(piece.data(), 1, piece.size(), file);
        }
        if (durable) {
            std::fflush(file);
            fsync(fileno(file));
        }
        std::fclose(file);
        if (durable) {
            std::rename(temporary.c_str(), plain.c_str());
        }
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}

// The end of the job's replacement alone, on a file of the 100,000 entries' size: the
// temporary file is written untimed, then Commit syncs it, renames it over the playlist and
// syncs the folder.
void BM_SyncAndRename(benchmark::State& state) {
    Fixture& fixture = TheFixture();
    const std::string target = fixture.root + "/music/lists/synced.m3u";
    std::string bytes;
    {
        CPlaylist playlist;
        FillUntagged(playlist, fixture.root);
        SetPropertyInt(property::kReadID3Tags, 0);
        RunJob(playlist);
        std::ifstream in(fixture.root + "/music/lists/big.m3u", std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    for (auto _ : state) {
        state.PauseTiming();
        CFileReplacement replacement;
        if (!replacement.Begin(target) ||
            write(replacement.GetDescriptor(), bytes.data(), bytes.size()) !=
                static_cast<ssize_t>(bytes.size())) {
            state.SkipWithError("could not write the temporary file");
            break;
        }
        state.ResumeTiming();
        if (!replacement.Commit()) {
            state.SkipWithError("commit failed");
            break;
        }
    }
}

void BM_Create5000Tagged(benchmark::State& state) {
    Fixture& fixture = TheFixture();
    fixture.MakeMp3Files();
    CPlaylist playlist;
    FillTagged(playlist, fixture.mp3Files, fixture.root);
    SetPropertyInt(property::kReadID3Tags, 1);
    for (auto _ : state) {
        DropPagesIfCold(state, fixture);
        if (RunJob(playlist) != CCreationJob::kContinue) {
            state.SkipWithError("job failed");
            break;
        }
    }
    if (state.range(0) == 0) {
        AddPeak(state, "tagged");
    }
}

void BM_IoFloor5000(benchmark::State& state) {
    Fixture& fixture = TheFixture();
    fixture.MakeMp3Files();
    std::vector<char> head(16384);
    char tail[256];
    for (auto _ : state) {
        DropPagesIfCold(state, fixture);
        for (const std::string& file : fixture.mp3Files) {
            const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
            struct stat info {};
            fstat(fd, &info);
            benchmark::DoNotOptimize(pread(fd, head.data(), head.size(), 0));
            benchmark::DoNotOptimize(pread(fd, tail, sizeof tail, info.st_size - 256));
            close(fd);
        }
    }
}

// The playlist's texts read in the order the job reads them, and nothing else: the cost of
// fetching 100,000 scattered entries from memory.
void BM_ReadTheEntriesOnly(benchmark::State& state) {
    Fixture& fixture = TheFixture();
    CPlaylist playlist;
    FillUntagged(playlist, fixture.root);
    for (auto _ : state) {
        std::size_t sum = 0;
        for (std::int32_t i = 0; i < playlist.GetCount(); ++i) {
            const CPlaylistElement* entry = playlist.GetAt(i);
            sum += static_cast<unsigned char>(entry->GetFolder().back()) +
                   static_cast<unsigned char>(entry->GetName().back()) +
                   entry->GetExtension().size();
        }
        benchmark::DoNotOptimize(sum);
    }
}

// MP3FileInfo::Load alone over the same files: the share of the tagged job that is the
// tag reading itself.
void BM_LoadOnly5000(benchmark::State& state) {
    Fixture& fixture = TheFixture();
    fixture.MakeMp3Files();
    for (auto _ : state) {
        DropPagesIfCold(state, fixture);
        for (const std::string& file : fixture.mp3Files) {
            MP3FileInfo info;
            benchmark::DoNotOptimize(info.Load(file));
        }
    }
}

BENCHMARK(BM_Create100000Untagged)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWriteOfTheSameBytes)
    ->Args({0, 0})
    ->Args({65536, 0})
    ->Args({0, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SyncAndRename)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadTheEntriesOnly)->Unit(benchmark::kMillisecond);
// Argument 0 warm, 1 cold.
BENCHMARK(BM_Create5000Tagged)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IoFloor5000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadOnly5000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The child of PeakKiB: one job over the fixture's files, then exit.
int RunPeakChild(const std::string& which, const std::string& root) {
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    CPlaylist playlist;
    if (which == "untagged" || which == "model") {
        SetPropertyInt(property::kReadID3Tags, 0);
        FillUntagged(playlist, root);
    } else if (which == "tagged") {
        SetPropertyInt(property::kReadID3Tags, 1);
        std::vector<std::string> files;
        for (const auto& item : fs::directory_iterator(root + "/mp3")) {
            files.push_back(item.path().string());
        }
        FillTagged(playlist, files, root);
    }
    const bool done =
        which == "none" || which == "model" || RunJob(playlist) == CCreationJob::kContinue;
    std::printf("%ld\n", OwnPeakKiB());
    return done ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace bench_ratios;
    g_self = fs::canonical("/proc/self/exe").string();
    if (argc == 3 && std::string(argv[1]).rfind("--peak=", 0) == 0) {
        return RunPeakChild(std::string(argv[1]).substr(7), argv[2]);
    }
    return RunBenchmarks(argc, argv, [](const TimesReporter& reporter) {
        PrintRatio(reporter, "100,000 entries without tags against a plain buffered write",
                   "BM_Create100000Untagged", "BM_PlainWriteOfTheSameBytes/0/0", " (limit 1.5)");
        PrintRatio(reporter, "the same against a write with the writer's 64 KiB buffer",
                   "BM_Create100000Untagged", "BM_PlainWriteOfTheSameBytes/65536/0", "");
        PrintRatio(reporter, "the same against the plain write synced and renamed like the job's",
                   "BM_Create100000Untagged", "BM_PlainWriteOfTheSameBytes/0/1", "");
        PrintRatio(reporter, "the job's sync and rename alone against the plain write",
                   "BM_SyncAndRename", "BM_PlainWriteOfTheSameBytes/0/0", "");
        PrintDifferenceRatio(reporter, "the job less its sync and rename against the plain write",
                             "BM_Create100000Untagged", "BM_SyncAndRename",
                             "BM_PlainWriteOfTheSameBytes/0/0");
        PrintRatio(reporter, "reading the entries alone against the plain write",
                   "BM_ReadTheEntriesOnly", "BM_PlainWriteOfTheSameBytes/0/0", "");
        PrintRatio(reporter, "5,000 MP3 files with tags against the I/O floor, warm",
                   "BM_Create5000Tagged/0", "BM_IoFloor5000/0", "");
        PrintRatio(reporter, "5,000 MP3 files with tags against the I/O floor, cold",
                   "BM_Create5000Tagged/1", "BM_IoFloor5000/1", " (goal 2)");
        PrintRatio(reporter, "MP3FileInfo::Load alone against the I/O floor, warm",
                   "BM_LoadOnly5000/0", "BM_IoFloor5000/0", "");
        PrintRatio(reporter, "MP3FileInfo::Load alone against the I/O floor, cold",
                   "BM_LoadOnly5000/1", "BM_IoFloor5000/1", "");
    });
}
