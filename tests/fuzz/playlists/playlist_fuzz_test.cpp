#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/formats/readers/playlist_reader.h"
#include "tests/support/fuzz_campaign.h"
#include "tests/fuzz/playlists/playlist_fuzz.h"

// Feeds mutated playlists of the four types to ReadPlaylistFile and checks what comes out.
// CI runs the cases that fit into one second; the campaign script runs as many as it is
// told through the variables of tests/support/fuzz_campaign.h:
//   TRACKLACE_FUZZ_CASES         number of cases (without it: as many as fit into
//                                TRACKLACE_FUZZ_SECONDS, default 1)
//   TRACKLACE_FUZZ_FIRST         index of the first case (default 0)
//   TRACKLACE_FUZZ_CAMPAIGN      campaign number that picks the mutations (default 1)
//   TRACKLACE_FUZZ_DIR           folder for the current case ("case.<extension>") and the
//                                progress file
//   TRACKLACE_FUZZ_CASE_SECONDS  time one case may take before the run ends as a hang
//                                (default 5)
namespace {

namespace fs = std::filesystem;

// Lines as the readers count them: CR, LF and CR LF each end one.
std::int32_t LineCount(const std::string& bytes) {
    std::int32_t lines = 1;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' ||
            (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) {
            ++lines;
        }
    }
    return lines;
}

// What every path out of a reader must be: absolute, normal, free of NUL.
bool IsNormalAbsolute(const std::string& path) {
    if (path == "/") {
        return true;
    }
    if (path.empty() || path.front() != '/' || path.back() == '/' ||
        path.find('\0') != std::string::npos || path.find("//") != std::string::npos) {
        return false;
    }
    for (std::size_t start = 1; start <= path.size();) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string part = path.substr(start, end - start);
        if (part == "." || part == "..") {
            return false;
        }
        start = end + 1;
    }
    return true;
}

void Check(const PlaylistReadResult& result, const std::string& bytes, std::uint64_t index) {
    const std::int32_t lines = LineCount(bytes);
    if (!result.Ok()) {
        ASSERT_TRUE(result.entries.empty()) << "case " << index;
        ASSERT_TRUE(result.warnings.empty()) << "case " << index;
        ASSERT_GE(result.errorLine, 0) << "case " << index;
        ASSERT_LE(result.errorLine, lines) << "case " << index;
        return;
    }
    ASSERT_LE(result.entries.size(), kMaxPlaylistEntries) << "case " << index;
    for (const PlaylistFileEntry& entry : result.entries) {
        ASSERT_TRUE(IsNormalAbsolute(entry.path)) << "case " << index << ": " << entry.path;
        ASSERT_GE(entry.line, 1) << "case " << index;
        ASSERT_LE(entry.line, lines) << "case " << index;
        ASSERT_GE(entry.lengthMs, kUnknownLength) << "case " << index;
    }
    std::int32_t previous = 0;
    for (const PlaylistReadWarning& warning : result.warnings) {
        ASSERT_GE(warning.line, previous) << "case " << index;
        ASSERT_LE(warning.line, lines) << "case " << index;
        previous = warning.line;
    }
}

TEST(PlaylistFuzzTest, MutatedPlaylistsReadSafely) {
    const bool counted = fuzz::EnvNumber("TRACKLACE_FUZZ_CASES", 0) != 0;
    const std::uint64_t cases = fuzz::EnvNumber("TRACKLACE_FUZZ_CASES", UINT64_MAX / 2);
    const std::uint64_t first = fuzz::EnvNumber("TRACKLACE_FUZZ_FIRST", 0);
    const std::uint64_t campaign = fuzz::EnvNumber("TRACKLACE_FUZZ_CAMPAIGN", 1);
    const auto budget = std::chrono::seconds(fuzz::EnvNumber("TRACKLACE_FUZZ_SECONDS", 1));
    const fuzz::CaseFolder caseFolder;
    const std::string& dir = caseFolder.Path();
    ASSERT_FALSE(dir.empty());
    fuzz::ProgressFile progress(dir);
    ASSERT_TRUE(progress.IsOpen());
    // Files for the seeds' relative entries, so that both answers of the existence test come up.
    fs::create_directories(dir + "/music");
    std::ofstream(dir + "/music/a.mp3") << "x";
    std::ofstream(dir + "/music/b.ogg") << "x";

    const std::vector<playlistfuzz::Playlist> seeds = playlistfuzz::MakeSeeds();
    // The seeds themselves must read, or the mutations would test nothing of interest.
    for (const playlistfuzz::Playlist& seed : seeds) {
        const std::string path = dir + "/seed" + seed.extension;
        std::ofstream(path, std::ios::binary) << seed.bytes;
        const PlaylistReadResult result = ReadPlaylistFile(path);
        ASSERT_TRUE(result.Ok()) << seed.bytes;
        ASSERT_FALSE(result.entries.empty()) << seed.bytes;
        fs::remove(path);
    }

    fuzz::Watchdog watchdog(fuzz::EnvNumber("TRACKLACE_FUZZ_CASE_SECONDS", 5));
    const auto start = std::chrono::steady_clock::now();
    std::uint64_t ran = 0;
    std::uint64_t withEntries = 0;
    std::uint64_t refused = 0;
    std::string casePath;
    for (std::uint64_t index = first; index < first + cases; ++index) {
        if (!counted && std::chrono::steady_clock::now() - start > budget) {
            break;
        }
        const playlistfuzz::Playlist playlist = playlistfuzz::MakeCase(seeds, campaign, index);
        // One case file at a time, so that the campaign script keeps the right one.
        const std::string path = dir + "/case" + playlist.extension;
        if (path != casePath && !casePath.empty()) {
            ::unlink(casePath.c_str());
        }
        casePath = path;
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << playlist.bytes;
            ASSERT_TRUE(out.good());
        }
        ASSERT_TRUE(progress.Set(index));

        watchdog.Start(index);
        const PlaylistReadResult result = ReadPlaylistFile(path);
        watchdog.Stop();
        ASSERT_NO_FATAL_FAILURE(Check(result, playlist.bytes, index));
        ++ran;
        withEntries += result.Ok() && !result.entries.empty() ? 1 : 0;
        refused += result.Ok() ? 0 : 1;
    }
    std::printf("fuzz: %llu cases from %llu, %llu with entries, %llu refused\n",
                static_cast<unsigned long long>(ran), static_cast<unsigned long long>(first),
                static_cast<unsigned long long>(withEntries),
                static_cast<unsigned long long>(refused));
    // Mutations that break every playlist would only test the refusals.
    ASSERT_GE(ran, 50u);
    EXPECT_GT(withEntries, ran / 4);
    EXPECT_GT(refused, 0u);
}

}  // namespace
