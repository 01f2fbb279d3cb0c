#include "ui/toolkit/about/about_dlg.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "platform/midi_stream/virtual_midi_device.h"
#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "tests/support/qt_test_application.h"
#include "tests/support/scripted_user_interaction.h"
#include "ui/toolkit/help_file.h"

namespace {

constexpr int64_t kMs = 1'000'000;

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
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(device.opens, 2);
    dlg.reject();
    EXPECT_FALSE(device.IsOpen());
}

TEST_F(AboutBox, SilentWhenSoundsAreOff) {
    SetPropertyInt("prop_PlaySound", 0);
    CAboutDlg dlg(nullptr, device.Factory());
    dlg.show();
    device.AdvanceBy(5000 * kMs);
    EXPECT_EQ(device.opens, 0);
    EXPECT_TRUE(device.messages.empty());
    dlg.accept();
}

TEST_F(AboutBox, SilentWhenNoOutputOpens) {
    device.openResult = platform::kMidiNoDevice;
    CAboutDlg dlg(nullptr, device.Factory());
    dlg.show();
    EXPECT_FALSE(dlg.Midi().IsPlaying());
    EXPECT_TRUE(device.messages.empty());
    dlg.accept();
}

}  // namespace
