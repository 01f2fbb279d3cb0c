// A 100,000-entry playlist (no tags) written through the progress dialog against the
// creation job alone on the calling thread, in the same run. The dialog's time is counted
// from the worker's start to the completed mark, without the deliberate second before the
// start. "max_gap_ms" is the longest time between two ticks of a 5 ms timer on the
// user-interface thread while the dialog runs: how long the window went without
// processing events (and so without repainting).
//
// Both run in 9 repetitions, interleaved at random, and the ratio of the dialog to the job
// alone is printed at the end (limit 1.5).
//
// QT_QPA_PLATFORM=offscreen bench_ui_progress

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <string>

#include "bench/support/bench_ratios.h"
#include "core/creation_job/creation_job.h"
#include "core/playlist/playlist.h"
#include "platform/events/events.h"
#include "settings/store/properties.h"
#include "tests/support/temp_folder.h"
#include "ui/progress/create_playlist_dlg.h"

namespace {

namespace fs = std::filesystem;
constexpr int kEntries = 100000;

struct Setup {
    Setup() {
        setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
        SetPropertyInt(property::kReadID3Tags, 0);
        SetPropertyInt(property::kPlaySound, 0);
        SetPropertyString(property::kSaveMode, "Absolute");
        for (int i = 0; i < kEntries; ++i) {
            auto* entry = new CPlaylistElement;
            entry->SetPath(root + "/music/album " + std::to_string(i / 12) + "/track " +
                           std::to_string(i) + ".ogg");
            playlist.AddTail(entry);
        }
        playlist.SetFolder(root + "/lists");
        playlist.SetName("big");
        playlist.SetTypeFromExtension(".m3u");
    }
    TempFolder temp{"tracklace-bench"};
    std::string root = temp.String();
    CPlaylist playlist;
};

Setup& Shared() {
    static Setup setup;
    return setup;
}

// Drops every message (and so its text), and does nothing else.
class DiscardingTarget : public platform::IMessageTarget {
public:
    void Post(platform::CMessage) override {}
};

void BM_JobAlone(benchmark::State& state) {
    Setup& setup = Shared();
    DiscardingTarget target;
    platform::CManualResetEvent cancel(false);
    platform::CManualResetEvent go(true);
    for (auto _ : state) {
        CCreationJob job(setup.playlist, target, cancel, go);
        if (job.Run() != CCreationJob::kContinue) {
            state.SkipWithError("job failed");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_ThroughDialog(benchmark::State& state) {
    Setup& setup = Shared();
    double maxGap = 0;
    for (auto _ : state) {
        CCreatePlaylistDlg dlg(&setup.playlist);
        dlg.open();
        while (!dlg.HasStarted()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        QElapsedTimer clock;
        clock.start();
        qint64 lastTick = 0;
        qint64 gap = 0;
        QEventLoop loop;
        QTimer ticker;
        ticker.setInterval(5);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            gap = std::max(gap, now - lastTick);
            lastTick = now;
            if (dlg.OkButton()->isEnabled()) {
                loop.quit();
            }
        });
        ticker.start();
        loop.exec();
        const double seconds = clock.nsecsElapsed() / 1e9;
        state.SetIterationTime(seconds);
        maxGap = std::max(maxGap, gap / 1e6);
        if (dlg.Wait() != CCreationJob::kContinue) {
            state.SkipWithError("job failed");
            return;
        }
        dlg.accept();
    }
    state.counters["max_gap_ms"] = maxGap;
    state.SetItemsProcessed(state.iterations() * kEntries);
}

BENCHMARK(BM_JobAlone)->Unit(benchmark::kMillisecond)->MinTime(2.0);
// Each pass through the dialog also waits its second before the start (not counted), so it
// runs a fixed number of times.
BENCHMARK(BM_ThroughDialog)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(8);

}  // namespace

int main(int argc, char** argv) {
    using namespace bench_ratios;
    auto* app = new QApplication(argc, argv);
    (void)app;
    return RunBenchmarks(argc, argv, [](const TimesReporter& reporter) {
        PrintRatio(reporter, "100,000 entries through the dialog against the job alone",
                   "BM_ThroughDialog", "BM_JobAlone", " (limit 1.5)");
    });
}
