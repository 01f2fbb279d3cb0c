#include "ui/toolkit/about/about_dlg.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "platform/midi_stream/fluidsynth_output.h"
#include "platform/midi_stream/virtual_midi_device.h"
#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "tests/support/qt_test_application.h"
#include "tests/support/scripted_user_interaction.h"
#include "tests/support/temp_folder.h"
#include "ui/toolkit/help_file.h"

namespace {

constexpr int64_t kMs = 1'000'000;

// Holds the opening of the music output until the test lets it go on.
class Gate {
public:
    void Open() {
        {
            std::lock_guard lock(m_mutex);
            m_open = true;
        }
        m_changed.notify_all();
    }
    void Wait() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

// Lets the box take its opened output; the limit only keeps a broken opening from hanging.
void WaitForMusicOutput(const CAboutDlg& dlg) {
    QElapsedTimer waited;
    waited.start();
    while (dlg.IsOpeningMusicOutput() && waited.elapsed() < 10'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

class AboutBox : public ::testing::Test, public WithTestApplication {
protected:
    void SetUp() override {
        SetLanguageCode(true);
        SetPropertyInt("prop_PlaySound", 1);
        ReloadTexts();
    }
    void TearDown() override {
        SetLanguageCode(true);
        SetPropertyInt("prop_PlaySound", 1);
        ReloadTexts();
    }
    template <typename T>
    T* Child(CAboutDlg& dlg, const char* name) {
        T* child = dlg.findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    size_t SongMessages() const {
        size_t n = 0;
        for (const auto& m : device.messages) {
            n += m.direct ? 0 : 1;
        }
        return n;
    }

    // The device's output, opened only once gate is open.
    platform::MidiStreamFactory Gated(Gate& gate) {
        return [&gate, open = device.Factory()](int d, platform::MidiStreamCallback callback,
                                                std::unique_ptr<platform::IMidiStream>* stream) {
            gate.Wait();
            return open(d, std::move(callback), stream);
        };
    }

    ScriptedUserInteraction user;
    platform::VirtualMidiDevice device;
};

TEST_F(AboutBox, ShowsTheVersionAndRightsLinesOverThePicture) {
    CAboutDlg dlg(nullptr, device.Factory());
    EXPECT_EQ(Child<QLabel>(dlg, "versionText")->text().toStdString(),
              GetText("IDS_VERSION") + " " + GetVersionText(1));
    EXPECT_EQ(Child<QLabel>(dlg, "versionText")->text(), "Version 3.0.1");
    EXPECT_EQ(Child<QLabel>(dlg, "copyrightText")->text().toStdString(), GetText("IDS_COPYRIGHT"));
    EXPECT_EQ(Child<QLabel>(dlg, "rightsText")->text(), "All rights reserved.");
    EXPECT_EQ(Child<QPushButton>(dlg, "okButton")->text().toStdString(), GetText("IDS_OK"));
    EXPECT_TRUE(Child<QPushButton>(dlg, "okButton")->isDefault());

    // The picture decides the size; the controls keep to their corners.
    EXPECT_EQ(dlg.size(), QSize(356, 248));
    const QRect web = Child<QPushButton>(dlg, "makerButton")->geometry();
    EXPECT_EQ(web.top(), 2);
    EXPECT_EQ(dlg.width() - web.right() - 1, 2);
    const QRect ok = Child<QPushButton>(dlg, "okButton")->geometry();
    EXPECT_EQ(dlg.width() - ok.right() - 1, 5);
    EXPECT_EQ(dlg.height() - ok.bottom() - 1, 5);
    EXPECT_EQ(Child<QLabel>(dlg, "versionText")->pos(), QPoint(100, 115));
    EXPECT_EQ(Child<QLabel>(dlg, "copyrightText")->pos(), QPoint(100, 140));
    EXPECT_EQ(Child<QLabel>(dlg, "rightsText")->pos(), QPoint(100, 155));
}

TEST_F(AboutBox, SpeaksGermanWhenTheLanguageIsGerman) {
    SetLanguageCode(false);
    ReloadTexts();
    CAboutDlg dlg(nullptr, device.Factory());
    EXPECT_EQ(Child<QLabel>(dlg, "rightsText")->text(), "Alle Rechte vorbehalten.");
    EXPECT_EQ(Child<QLabel>(dlg, "versionText")->text(), "Version 3.0.1");
}

TEST_F(AboutBox, ThePictureButtonOpensTheMakersPage) {
    CAboutDlg dlg(nullptr, device.Factory());
    Child<QPushButton>(dlg, "makerButton")->click();
    EXPECT_EQ(user.openedUrls, std::vector<std::string>{CAboutDlg::kMakerWebPage});
}

TEST_F(AboutBox, F1OpensTheHelpFile) {
    const std::string help = toolkit::HelpFileCandidates(toolkit::ProgramPath(), "EN").front();
    { std::ofstream(help) << "<html></html>"; }
    CAboutDlg dlg(nullptr, device.Factory());
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &f1);
    std::filesystem::remove(help);
    EXPECT_EQ(user.openedUrls, std::vector<std::string>{help});
}

TEST_F(AboutBox, PlaysTheSongInALoopWhileOpenAndStopsTheMomentItCloses) {
    CAboutDlg dlg(nullptr, device.Factory());
    EXPECT_EQ(device.opens, 0) << "nothing plays before the box shows";
    dlg.show();
    EXPECT_TRUE(dlg.IsOpeningMusicOutput());
    WaitForMusicOutput(dlg);
    ASSERT_TRUE(device.IsOpen());
    EXPECT_TRUE(device.IsRunning());
    EXPECT_TRUE(dlg.Midi().IsPlaying());
    // Full volume on all 16 channels.
    ASSERT_EQ(device.messages.size(), 16u);
    EXPECT_EQ(device.messages[15].message, 0xBFu | (7 << 8) | (127 << 16));

    // The song lasts about 20 seconds; a minute of it means it went round.
    device.AdvanceBy(60'000 * kMs);
    EXPECT_TRUE(dlg.Midi().IsPlaying());
    EXPECT_EQ(dlg.Midi().State(), CMIDI::kStatePlaying);
    const size_t played = SongMessages();
    EXPECT_GT(played, 600u);

    Child<QPushButton>(dlg, "okButton")->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(device.IsOpen()) << "closed when the box closes, not later";
    device.AdvanceBy(10'000 * kMs);
    EXPECT_EQ(SongMessages(), played);

    // Opened again, the song starts again.
    dlg.show();
    WaitForMusicOutput(dlg);
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(device.opens, 2);
    dlg.reject();
    EXPECT_FALSE(device.IsOpen());
}

TEST_F(AboutBox, SilentWhenSoundsAreOff) {
    SetPropertyInt("prop_PlaySound", 0);
    CAboutDlg dlg(nullptr, device.Factory());
    dlg.show();
    EXPECT_FALSE(dlg.IsOpeningMusicOutput());
    device.AdvanceBy(5000 * kMs);
    EXPECT_EQ(device.opens, 0);
    EXPECT_TRUE(device.messages.empty());
    dlg.accept();
}

TEST_F(AboutBox, SilentWhenNoOutputOpens) {
    device.openResult = platform::kMidiNoDevice;
    CAboutDlg dlg(nullptr, device.Factory());
    dlg.show();
    WaitForMusicOutput(dlg);
    EXPECT_FALSE(dlg.Midi().IsPlaying());
    EXPECT_TRUE(device.messages.empty());
    dlg.accept();
}

TEST_F(AboutBox, ShowsAtOnceAndPlaysOnceTheOutputIsReady) {
    Gate gate;
    CAboutDlg dlg(nullptr, Gated(gate));
    dlg.show();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(dlg.isVisible()) << "the box does not wait for the output";
    EXPECT_TRUE(dlg.IsOpeningMusicOutput());
    EXPECT_FALSE(dlg.Midi().IsPlaying());

    gate.Open();
    WaitForMusicOutput(dlg);
    EXPECT_TRUE(dlg.Midi().IsPlaying());
    EXPECT_TRUE(device.IsRunning());
    device.AdvanceBy(1000 * kMs);
    EXPECT_GT(SongMessages(), 0u);
    dlg.accept();
    EXPECT_FALSE(device.IsOpen());
}

TEST_F(AboutBox, ClosedBeforeTheOutputIsReadyItPlaysNothing) {
    Gate gate;
    CAboutDlg dlg(nullptr, Gated(gate));
    dlg.show();
    dlg.accept();
    gate.Open();
    WaitForMusicOutput(dlg);
    EXPECT_FALSE(dlg.Midi().IsPlaying());
    EXPECT_EQ(device.opens, 1);
    EXPECT_EQ(device.closes, 1) << "the late output is closed, not kept";
    device.AdvanceBy(5000 * kMs);
    EXPECT_EQ(SongMessages(), 0u);
}

TEST_F(AboutBox, DestroyedWhileTheOutputOpensLeavesNoStreamBehind) {
    Gate gate;
    auto dlg = std::make_unique<CAboutDlg>(nullptr, Gated(gate));
    dlg->show();
    std::thread late([&gate] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        gate.Open();
    });
    dlg.reset();
    late.join();
    EXPECT_EQ(device.opens, 1);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(SongMessages(), 0u);
}

// The real-time stream, opened on the opener's thread and played from the box's: FluidSynth's
// file driver stands in for the sound card.
TEST_F(AboutBox, PlaysThroughTheRealTimeStreamOpenedInTheBackground) {
    if (platform::FindGeneralMidiSoundFont().empty()) {
        GTEST_SKIP() << "no General MIDI sound font installed";
    }
    const TempFolder folder("tracklace-about-wav");
    const std::string wav = folder / "song.wav";
    CAboutDlg dlg(nullptr, [&wav](int, platform::MidiStreamCallback callback,
                                  std::unique_ptr<platform::IMidiStream>* stream) {
        return platform::OpenFluidSynthStream("file", wav, std::move(callback), stream);
    });
    dlg.show();
    WaitForMusicOutput(dlg);
    ASSERT_TRUE(dlg.Midi().IsPlaying());
    QElapsedTimer played;
    played.start();
    while (dlg.Midi().BytesPlayed() < 3 * 12 && played.elapsed() < 10'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_GE(dlg.Midi().BytesPlayed(), 3u * 12) << "buffers came back and were refilled";
    dlg.accept();
    EXPECT_FALSE(dlg.Midi().HasStream());
    EXPECT_EQ(dlg.Midi().HaltTimeouts(), 0);
}

}  // namespace
