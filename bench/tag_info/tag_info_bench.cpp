// TagFileInfo::Load over 2,000 files of each format, against the I/O floor of the same
// files measured in the same run: open each file, read the bytes TagLib reads of it (its
// head and its tail, found by recording TagLib's reads of one of the files), close. Cold
// rounds drop the files from the page cache first (posix_fadvise DONTNEED); warm rounds
// read them again as they are. The rounds of floor and Load alternate, and the medians
// are compared, so that a busy machine falls on both sides of a ratio.
//
// Also: Load with each of TagLib's three read styles, and Load of 256 MB of zeros named
// .flac, which the signature check must refuse before TagLib reads it.
//
//   TRACKLACE_BENCH_TAG_FILES   files per format (default 2000)
//   TRACKLACE_BENCH_TAG_ROUNDS  rounds of each measurement (default 5)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "core/tag_info/read_only_stream.h"
#include "core/tag_info/tag_file_info.h"
#include "core/tag_info/taglib_file.h"
#include "tests/support/tag_files/tag_files.h"
#include "tests/support/temp_folder.h"

namespace {

using tagfiles::Kind;
using Style = TagLib::AudioProperties::ReadStyle;

int EnvInt(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

double Seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Records where TagLib reads.
class RecordingStream : public ReadOnlyStream {
public:
    using ReadOnlyStream::ReadOnlyStream;
    TagLib::ByteVector readBlock(unsigned long length) override {
        const long at = tell();
        TagLib::ByteVector data = ReadOnlyStream::readBlock(length);
        if (!data.isEmpty()) {
            m_reads.push_back({at, at + static_cast<long>(data.size())});
        }
        return data;
    }
    const std::vector<std::pair<long, long>>& Reads() const { return m_reads; }

private:
    std::vector<std::pair<long, long>> m_reads;
};

// The bytes of a file that TagLib reads, as one range at the start and one at the end.
struct Floor {
    long headEnd = 0;
    long tailStart = 0;
    long size = 0;
    long Bytes() const { return tailStart <= headEnd ? size : headEnd + (size - tailStart); }
};

Floor MeasureFloor(const std::string& path, TagFormat format) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    ::fstat(fd, &info);
    Floor floor;
    floor.size = info.st_size;
    floor.tailStart = info.st_size;
    {
        RecordingStream stream(fd, info.st_size, path);
        const auto file = OpenTagLibFile(format, &stream, kTagReadStyle);
        ReadTagTexts(format, *file);
        for (const auto& [start, end] : stream.Reads()) {
            if (start < info.st_size / 2) {
                floor.headEnd = std::max(floor.headEnd, end);
            } else {
                floor.tailStart = std::min(floor.tailStart, start);
            }
        }
    }
    ::close(fd);
    return floor;
}

struct Corpus {
    Kind kind;
    TagFormat format;
    std::vector<std::string> paths;
    Floor floor;
};

void DropFromCache(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

// Microseconds per file of one pass over the paths.
double Pass(const std::vector<std::string>& paths, bool cold,
            const std::function<void(const std::string&)>& read) {
    if (cold) {
        DropFromCache(paths);
    }
    const double start = Seconds();
    for (const std::string& path : paths) {
        read(path);
    }
    return (Seconds() - start) * 1e6 / static_cast<double>(paths.size());
}

void ReadFloor(const std::string& path, const Floor& floor, std::vector<char>& buffer) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    ::fstat(fd, &info);
    if (floor.tailStart <= floor.headEnd) {
        buffer.resize(static_cast<std::size_t>(info.st_size));
        if (::pread(fd, buffer.data(), buffer.size(), 0) < 0) {
            std::abort();
        }
    } else {
        buffer.resize(
            static_cast<std::size_t>(std::max(floor.headEnd, info.st_size - floor.tailStart)));
        if (::pread(fd, buffer.data(), static_cast<std::size_t>(floor.headEnd), 0) < 0 ||
            ::pread(fd, buffer.data(), static_cast<std::size_t>(info.st_size - floor.tailStart),
                    floor.tailStart) < 0) {
            std::abort();
        }
    }
    ::close(fd);
}

const char* StyleName(Style style) {
    switch (style) {
        case TagLib::AudioProperties::Fast:
            return "Fast";
        case TagLib::AudioProperties::Average:
            return "Average";
        case TagLib::AudioProperties::Accurate:
            return "Accurate";
    }
    return "";
}

}  // namespace

int main() {
    const int files = EnvInt("TRACKLACE_BENCH_TAG_FILES", 2000);
    const int rounds = EnvInt("TRACKLACE_BENCH_TAG_ROUNDS", 5);
    const TempFolder folder("tracklace-bench-tags");
    if (folder.String().empty()) {
        return 1;
    }
    // One of each format: the MP4 file is AAC, the WAV file has an INFO list.
    const Kind kinds[] = {Kind::Flac,     Kind::Vorbis, Kind::Opus,    Kind::Speex,
                          Kind::OggFlac,  Kind::M4aAac, Kind::Wma,     Kind::WavInfo,
                          Kind::Aiff,     Kind::Ape,    Kind::WavPack, Kind::MusepackSv8,
                          Kind::TrueAudio};
    const tagfiles::Tags tags = {"Заголовок 日本語", "Artist", "Album", "2001", "Jazz", "3/12"};
    // A second of stereo: head and tail lie apart in every format, and 2,000 wave
    // files still take only 350 MB.
    const tagfiles::Audio audio = {44100, 2, 44100};
    std::vector<Corpus> corpora;
    for (Kind kind : kinds) {
        const auto made =
            tagfiles::Make(kind, folder.String(), tagfiles::KindName(kind), tags, audio);
        if (!made) {
            std::printf("%-12s skipped: %s (Debian package %s) is not installed\n",
                        tagfiles::KindName(kind).c_str(), tagfiles::EncoderProgram(kind).c_str(),
                        tagfiles::EncoderPackage(kind).c_str());
            continue;
        }
        TagFileInfo probe;
        if (!probe.Load(made->path)) {
            std::printf("%s did not load\n", made->path.c_str());
            return 1;
        }
        Corpus corpus{kind, probe.GetFormat(), {}, MeasureFloor(made->path, probe.GetFormat())};
        const tagfiles::Bytes bytes = tagfiles::ReadFile(made->path);
        const std::string dir = folder.Folder(tagfiles::KindName(kind));
        for (int i = 0; i < files; ++i) {
            corpus.paths.push_back(dir + "/" + std::to_string(i) + "." +
                                   tagfiles::KindExtension(kind));
            mp3gen::WriteFile(corpus.paths.back(), bytes);
        }
        corpora.push_back(std::move(corpus));
    }
    // Dirty pages cannot be dropped from the cache.
    ::sync();

    std::printf(
        "\n%d files per format, median of %d rounds, microseconds per file; "
        "Load with the chosen read style (%s)\n",
        files, rounds, StyleName(kTagReadStyle));
    std::printf("%-12s %8s %8s %7s | %8s %8s %7s %7s | %9s %9s\n", "kind", "floorC", "loadC",
                "ratioC", "floorW", "loadW", "ratioW", "", "file", "floorB");
    std::vector<char> buffer;
    const Style styles[] = {TagLib::AudioProperties::Fast, TagLib::AudioProperties::Average,
                            TagLib::AudioProperties::Accurate};
    std::vector<std::string> styleLines;
    for (const Corpus& corpus : corpora) {
        auto floor = [&](const std::string& path) { ReadFloor(path, corpus.floor, buffer); };
        auto load = [&](Style style) {
            return [style](const std::string& path) {
                TagFileInfo info;
                if (!info.LoadWithReadStyle(path, style)) {
                    std::abort();
                }
            };
        };
        std::vector<double> floorCold, floorWarm;
        std::vector<std::vector<double>> loadCold(3), loadWarm(3);
        for (int round = 0; round < rounds; ++round) {
            floorCold.push_back(Pass(corpus.paths, true, floor));
            for (int s = 0; s < 3; ++s) {
                loadCold[s].push_back(Pass(corpus.paths, true, load(styles[s])));
            }
            floorWarm.push_back(Pass(corpus.paths, false, floor));
            for (int s = 0; s < 3; ++s) {
                loadWarm[s].push_back(Pass(corpus.paths, false, load(styles[s])));
            }
        }
        const int chosen = static_cast<int>(kTagReadStyle);
        const double fc = Median(floorCold), fw = Median(floorWarm);
        const double lc = Median(loadCold[chosen]), lw = Median(loadWarm[chosen]);
        std::printf("%-12s %8.1f %8.1f %6.2fx | %8.1f %8.1f %6.2fx %7s | %9ld %9ld\n",
                    tagfiles::KindName(corpus.kind).c_str(), fc, lc, lc / fc, fw, lw, lw / fw, "",
                    corpus.floor.size, corpus.floor.Bytes());
        char line[200];
        std::snprintf(line, sizeof line, "%-12s cold %7.1f %7.1f %7.1f   warm %7.1f %7.1f %7.1f",
                      tagfiles::KindName(corpus.kind).c_str(), Median(loadCold[0]),
                      Median(loadCold[1]), Median(loadCold[2]), Median(loadWarm[0]),
                      Median(loadWarm[1]), Median(loadWarm[2]));
        styleLines.push_back(line);
    }
    std::printf("\nLoad by read style, microseconds per file (Fast, Average, Accurate):\n");
    for (const std::string& line : styleLines) {
        std::printf("%s\n", line.c_str());
    }

    // The signature check against a file TagLib would search whole.
    const std::string zeros = folder / "zeros.flac";
    const int fd = ::open(zeros.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::ftruncate(fd, 256ll * 1024 * 1024) != 0) {
        return 1;
    }
    ::close(fd);
    std::vector<double> zeroTimes;
    for (int i = 0; i < 21; ++i) {
        zeroTimes.push_back(Pass({zeros}, true, [](const std::string& path) {
            TagFileInfo info;
            if (info.Load(path)) {
                std::abort();
            }
        }));
    }
    std::printf(
        "\n256 MB of zeros named .flac, refused: median %.1f us, worst %.1f us (goal: "
        "under 10 ms)\n",
        Median(zeroTimes), *std::max_element(zeroTimes.begin(), zeroTimes.end()));
    return 0;
}
