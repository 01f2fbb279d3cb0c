// Looks at and listens to the about box by hand; not part of the test run.
//
//   tracklace_about_preview show EN|DE [milliseconds] [picture.png]
//       opens the box with its music through the desktop's output (silent where there is
//       none), in a settings hive of its own, and closes it after the time; with a picture
//       name, the box is saved into it just before.
//   tracklace_about_preview render song.wav [seconds] [loop]
//       plays the embedded song through FluidSynth into a WAV file, once (or looping for
//       the given seconds), as fast as the machine can.

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/midi_stream/fluidsynth_output.h"
#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "tests/support/temp_folder.h"
#include "ui/toolkit/about/about_dlg.h"
#include "ui/toolkit/about/cmidi.h"

namespace {

constexpr int64_t kMs = 1'000'000;

int Show(int argc, char** argv) {
    const TempFolder home("tracklace-preview");
    if (home.Path().empty()) {
        return 1;
    }
    setenv("XDG_CONFIG_HOME", home.String().c_str(), 1);
    const bool english = argc < 3 || std::string(argv[2]) != "DE";
    SetLanguageCode(english);
    ReloadTexts();
    const int ms = argc > 3 ? std::atoi(argv[3]) : 5000;
    const std::string picture = argc > 4 ? argv[4] : "";

    QApplication app(argc, argv);
    CAboutDlg dlg;
    if (!picture.empty()) {
        QTimer::singleShot(ms > 500 ? ms - 300 : ms / 2, &dlg,
                           [&] { dlg.grab().save(QString::fromStdString(picture)); });
    }
    QTimer::singleShot(ms, &dlg, &QDialog::accept);
    dlg.exec();
    std::printf("music played: %s\n", dlg.Midi().IsSongLoaded() ? "song loaded" : "silent");
    return 0;
}

int Render(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    const double seconds = argc > 3 ? std::atof(argv[3]) : 0;
    const bool loop = argc > 4 && std::string(argv[4]) == "loop";
    std::unique_ptr<platform::FluidSynthFileOutput> output;
    if (platform::FluidSynthFileOutput::Open(argv[2], &output) != platform::kMidiOk) {
        std::fprintf(stderr, "no sound font or the file cannot be written\n");
        return 1;
    }
    auto& device = output->Device();
    {
        CMIDI midi(device.Factory());
        if (!midi.LoadSong(CAboutDlg::kSongResource) || !midi.StartPlayback(loop)) {
            std::fprintf(stderr, "the song does not play\n");
            return 1;
        }
        midi.SetChannelVolumes(100);
        const int64_t limit = static_cast<int64_t>((seconds > 0 ? seconds : 600) * 1000) * kMs;
        while (device.NowNs() < limit && (loop || device.QueuedBuffers() > 0)) {
            device.AdvanceBy(10 * kMs);
        }
        std::printf("song time %.3f s, state %d, messages %zu\n", device.NowNs() / 1e9,
                    midi.State(), device.messages.size());
        midi.HaltPlayback(false);
    }
    device.AdvanceBy(1500 * kMs);  // the last notes ring out
    std::printf("wrote %.3f s at %d Hz\n",
                static_cast<double>(output->FramesWritten()) / output->SampleRate(),
                output->SampleRate());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "show") {
        return Show(argc, argv);
    }
    if (mode == "render") {
        return Render(argc, argv);
    }
    std::fprintf(stderr, "usage: %s show EN|DE [ms] [picture.png] | render song.wav [s] [loop]\n",
                 argv[0]);
    return 2;
}
