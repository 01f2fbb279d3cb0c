// The main window's list with many entries.
//
// AddFolder/ListFolder: "Add folder" on a folder of 10,000 files, until the list has painted
// them, against listing that folder alone; the first should cost at most three times the
// second. ResetAndPaint: rebuilding the list of a 100,000-entry playlist and painting its
// first screen of rows; it should stay under 50 ms.
//
// Run with QT_QPA_PLATFORM=offscreen. The ratio is printed at the end.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "core/folder_listing/folder_listing.h"
#include "core/playlist/playlist.h"
#include "settings/store/properties.h"
#include "ui/controls/file_drop_list_ctrl.h"
#include "ui/main_dialog/tracklace_dlg.h"
#include "ui/toolkit/user_interaction.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFolderFiles = 10000;
constexpr int kPlaylistEntries = 100000;

std::string g_folder;
CTracklaceDlg* g_dialog = nullptr;

// Answers every folder browser with the benchmark folder; nothing else is asked.
class FolderAnswer : public toolkit::IUserInteraction {
public:
    toolkit::MessageAnswer ShowMessage(QWidget*, const std::string&, toolkit::MessageIcon,
                                       toolkit::MessageButtons) override {
        return toolkit::MessageAnswer::Yes;
    }
    toolkit::OpenFilesResult GetOpenFileNames(QWidget*, const toolkit::OpenFilesRequest&) override {
        return {};
    }
    std::optional<std::string> BrowseForFolder(QWidget*, const toolkit::FolderRequest&) override {
        return g_folder;
    }
    void PlaySystemSound(int) override {}
    void PlayWave(std::string_view) override {}
    bool OpenUrl(const std::string&) override { return true; }
};

void PaintList() {
    g_dialog->GetList()->viewport()->repaint();
}

void BM_ListFolder(benchmark::State& state) {
    std::vector<std::string> files;
    for (auto _ : state) {
        ListFolderFiles(g_folder, files);
        benchmark::DoNotOptimize(files.data());
    }
    state.counters["files"] = static_cast<double>(files.size());
}

void BM_AddFolder(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        g_dialog->GetPlaylist().RemoveAll();
        g_dialog->RefreshList();
        state.ResumeTiming();
        g_dialog->OnAddFolder();
        PaintList();
    }
    state.counters["entries"] = g_dialog->GetPlaylist().GetCount();
}

void BM_ResetAndPaint(benchmark::State& state) {
    // Filling the playlist happens before the timed loop.
    CPlaylist& playlist = g_dialog->GetPlaylist();
    playlist.RemoveAll();
    for (int i = 0; i < kPlaylistEntries; ++i) {
        auto* entry = new CPlaylistElement;
        entry->SetPath("/music/collection/album " + std::to_string(i / 12) + "/track " +
                       std::to_string(i) + ".mp3");
        playlist.AddTail(entry);
    }
    for (auto _ : state) {
        g_dialog->RefreshList();
        PaintList();
    }
    state.counters["entries"] = playlist.GetCount();
}

BENCHMARK(BM_ListFolder)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_AddFolder)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ResetAndPaint)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Keeps each benchmark's time per iteration for the ratio.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> milliseconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            milliseconds[run.benchmark_name()] =
                run.GetAdjustedRealTime();  // in the benchmark's unit: ms
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    const fs::path root =
        fs::temp_directory_path() / ("tracklace-bench-" + std::to_string(getpid()));
    fs::create_directories(root / "config");
    fs::create_directories(root / "folder");
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    for (int i = 0; i < kFolderFiles; ++i) {
        std::ofstream(root / "folder" / ("Song " + std::to_string(i) + ".mp3"));
    }
    g_folder = (root / "folder").string();

    QApplication application(argc, argv);
    FolderAnswer answers;
    toolkit::SetUserInteraction(&answers);
    {
        CTracklaceDlg dialog;
        g_dialog = &dialog;
        dialog.show();
        QCoreApplication::processEvents();

        benchmark::Initialize(&argc, argv);
        RecordingReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::Shutdown();

        const auto& ms = reporter.milliseconds;
        if (ms.count("BM_ListFolder/min_time:1.000") != 0 &&
            ms.count("BM_AddFolder/min_time:1.000") != 0) {
            std::printf(
                "Add folder / listing alone: %.2f (limit 3)\n",
                ms.at("BM_AddFolder/min_time:1.000") / ms.at("BM_ListFolder/min_time:1.000"));
        }
        if (ms.count("BM_ResetAndPaint/min_time:1.000") != 0) {
            std::printf("Reset and paint of %d entries: %.2f ms (limit 50)\n", kPlaylistEntries,
                        ms.at("BM_ResetAndPaint/min_time:1.000"));
        }
        g_dialog = nullptr;
    }
    toolkit::SetUserInteraction(nullptr);
    fs::remove_all(root);
    return 0;
}
