#include "ui/progress/create_playlist_dlg.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "core/playlist/playlist.h"
#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scripted_user_interaction.h"
#include "tests/support/temp_folder.h"
#include "ui/toolkit/dialog_units.h"
#include "ui/toolkit/help_file.h"

namespace {

namespace fs = std::filesystem;
using Mark = CCreatePlaylistDlg::StepMark;

QApplication& App() {
    static int argc = 1;
    static char name[] = "test_ui_progress";
    static char* argv[] = {name, nullptr};
    // Kept to the end of the process: destroying it among the static objects at exit
    // would outlive parts of Qt it still uses.
    static auto* app = new QApplication(argc, argv);
    return *app;
}

// A scripted user who can look at the dialog at the moment a question is asked.
class WatchingUser : public ScriptedUserInteraction {
public:
    std::function<void()> onQuestion;
    toolkit::MessageAnswer ShowMessage(QWidget* owner, const std::string& text,
                                       toolkit::MessageIcon icon,
                                       toolkit::MessageButtons buttons) override {
        if (buttons == toolkit::MessageButtons::YesNo && onQuestion) {
            onQuestion();
        }
        return ScriptedUserInteraction::ShowMessage(owner, text, icon, buttons);
    }
};

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

// Processes events until the condition holds; the limit only keeps a broken build from
// hanging the suite.
bool PumpUntil(const std::function<bool()>& condition) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > 30000) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

class CreatePlaylistDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", m_hive.Path().c_str(), 1);
        App();
        SetPropertyString("prop_SaveMode", "Absolute");
        for (int i = 1; i <= kEntries; ++i) {
            auto* entry = new CPlaylistElement;
            entry->SetPath(m_music.File("song" + std::to_string(i) + ".ogg"));
            ASSERT_GT(m_playlist.AddTail(entry), 0);
        }
        m_playlist.SetFolder(m_music / "lists");
        m_playlist.SetName("mix");
        m_playlist.SetTypeFromExtension(".pls");
    }

    std::string FilePath() const { return m_playlist.GetFilePath(); }

    static void ExpectEnded(const CCreatePlaylistDlg& dlg) {
        EXPECT_TRUE(dlg.OkButton()->isEnabled());
        EXPECT_FALSE(dlg.CancelButton()->isEnabled());
        EXPECT_TRUE(dlg.OkButton()->hasFocus());
    }

    static constexpr int kEntries = 6;
    TempFolder m_hive;
    TempFolder m_music;
    CPlaylist m_playlist;
    WatchingUser m_user;
};

TEST_F(CreatePlaylistDlgTest, CompletesWithAllMarksDoneTheFileAndTheSound) {
    SetPropertyInt("prop_TotalPlaylists", 3);
    {
        CCreatePlaylistDlg dlg(&m_playlist);
        dlg.open();
        EXPECT_FALSE(dlg.OkButton()->isEnabled());
        EXPECT_EQ(dlg.GetStepMark(0), Mark::Current);
        ASSERT_TRUE(PumpUntil([&] { return dlg.OkButton()->isEnabled(); }));
        for (int step = 0; step < 3; ++step) {
            EXPECT_EQ(dlg.GetStepMark(step), Mark::Done) << step;
        }
        ExpectEnded(dlg);
        EXPECT_EQ(dlg.ProgressBar()->value(), 100);
        EXPECT_EQ(dlg.ProgressText()->text().toStdString(),
                  GetText("IDS_TL_CREATE_PLAYLIST_PROGRESS_INFO_COMPLETED"));
        EXPECT_TRUE(dlg.isVisible());
        dlg.OkButton()->click();
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
    EXPECT_EQ(m_user.wavesPlayed, 1);
    EXPECT_TRUE(m_user.messages.empty());
    const std::string written = ReadFileBytes(FilePath());
    EXPECT_EQ(Count(written, "File"), kEntries);
    EXPECT_EQ(Count(written, "NumberOfEntries=6"), 1);
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", -1), 4);

    // The same once more without the sound.
    SetPropertyInt("prop_PlaySound", 0);
    CCreatePlaylistDlg again(&m_playlist);
    again.open();
    ASSERT_TRUE(PumpUntil([&] { return again.OkButton()->isEnabled(); }));
    EXPECT_EQ(again.GetStepMark(2), Mark::Done);
    EXPECT_EQ(m_user.wavesPlayed, 1);
}

QLabel* LabelWithText(QWidget& dlg, const char* key) {
    for (QLabel* label : dlg.findChildren<QLabel*>()) {
        if (label->text().toStdString() == GetText(key)) {
            return label;
        }
    }
    return nullptr;
}

TEST_F(CreatePlaylistDlgTest, APlainFrameAndTheTemplatesSpacing) {
    CCreatePlaylistDlg dlg(&m_playlist);
    dlg.show();
    const Qt::WindowFlags flags = dlg.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    // As large as the contents need and no larger: no empty band above the progress text.
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());

    QLabel* firstStep = LabelWithText(dlg, "IDS_TL_CREATE_PLAYLIST_STEP_PREPARE");
    QLabel* lastStep = LabelWithText(dlg, "IDS_TL_CREATE_PLAYLIST_STEP_FINISH");
    ASSERT_NE(firstStep, nullptr);
    ASSERT_NE(lastStep, nullptr);
    QLabel* mark = nullptr;
    for (QLabel* label : dlg.findChildren<QLabel*>()) {
        if (!label->pixmap().isNull()) {
            mark = label;  // only the first step has its mark yet
        }
    }
    ASSERT_NE(mark, nullptr);
    const auto dlu = [&](int x, int y) { return toolkit::DialogUnitsToPixels(&dlg, x, y); };
    // 15 units from a step's mark to its text, and the mark clear of the text.
    EXPECT_EQ(firstStep->geometry().left() - mark->geometry().left(), dlu(15, 0).width());
    EXPECT_LE(mark->geometry().left() + 16, firstStep->geometry().left());
    // 24 units from the last step's text to the progress text (the text sits centred in its
    // row, so allow a pixel either way).
    const int textTop = lastStep->geometry().center().y() - dlg.fontMetrics().height() / 2;
    const int lastTextBottom = textTop + dlu(0, 8).height();
    const int gap = dlg.ProgressText()->geometry().top() - lastTextBottom;
    EXPECT_NEAR(gap, dlu(0, 24).height(), 2);
    dlg.reject();
}

TEST_F(CreatePlaylistDlgTest, CancelInTheFirstSecondAnsweredYesWritesNothing) {
    m_user.answers = {toolkit::MessageAnswer::Yes};
    CCreatePlaylistDlg dlg(&m_playlist);
    dlg.open();
    QTimer::singleShot(50, &dlg, [&] { dlg.CancelButton()->click(); });
    ASSERT_TRUE(PumpUntil([&] { return dlg.OkButton()->isEnabled(); }));
    ASSERT_EQ(m_user.messages.size(), 1u);
    EXPECT_EQ(m_user.messages[0].text, GetText("IDS_TL_MB_CANCEL_PLAYLIST_CREATION"));
    EXPECT_EQ(m_user.messages[0].icon, toolkit::MessageIcon::Question);
    // Nothing ran on a worker, and no step got further than the first.
    EXPECT_FALSE(dlg.IsRunning());
    EXPECT_EQ(dlg.GetResult(), -1);
    EXPECT_EQ(dlg.GetStepMark(0), Mark::Cancelled);
    EXPECT_EQ(dlg.GetStepMark(1), Mark::None);
    EXPECT_EQ(dlg.ProgressText()->text().toStdString(),
              GetText("IDS_TL_PLAYLIST_CREATION_CANCELLED"));
    ExpectEnded(dlg);
    EXPECT_FALSE(fs::exists(FilePath()));
    EXPECT_FALSE(fs::exists(m_music / "lists"));
    EXPECT_EQ(m_user.wavesPlayed, 0);
    // Escape after the end closes the dialog.
    dlg.reject();
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(CreatePlaylistDlgTest, CancelInTheFirstSecondAnsweredNoCreatesNormally) {
    m_user.answers = {toolkit::MessageAnswer::No};
    CCreatePlaylistDlg dlg(&m_playlist);
    dlg.open();
    QTimer::singleShot(50, &dlg, [&] { dlg.CancelButton()->click(); });
    ASSERT_TRUE(PumpUntil([&] { return dlg.OkButton()->isEnabled(); }));
    EXPECT_EQ(m_user.messages.size(), 1u);
    EXPECT_EQ(dlg.GetStepMark(2), Mark::Done);
    EXPECT_EQ(Count(ReadFileBytes(FilePath()), "NumberOfEntries=6"), 1);
}

// The worker is held after its first entry by clearing the continue event before it
// starts, so the question is asked while the job is certainly in the middle of the list.
class CancelWhileWritingTest : public CreatePlaylistDlgTest {
protected:
    void HoldAfterFirstEntry(CCreatePlaylistDlg& dlg) {
        dlg.ContinueEvent().Reset();
        dlg.open();
        ASSERT_TRUE(PumpUntil([&] { return dlg.ProgressBar()->value() > 5; }));
        m_heldAt = dlg.ProgressBar()->value();
    }
    void CancelAnswering(CCreatePlaylistDlg& dlg, toolkit::MessageAnswer answer) {
        m_user.answers = {answer};
        m_user.onQuestion = [&] {
            // While the question is open the job waits after its entry: nothing new
            // arrives however long the user thinks.
            EXPECT_TRUE(dlg.IsRunning());
            EXPECT_FALSE(dlg.ContinueEvent().IsSet());
            EXPECT_FALSE(dlg.CancelEvent().IsSet());
            QElapsedTimer clock;
            clock.start();
            while (clock.elapsed() < 100) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            }
            EXPECT_EQ(dlg.ProgressBar()->value(), m_heldAt);
            EXPECT_EQ(dlg.GetStepMark(1), Mark::Current);
        };
        dlg.CancelButton()->click();
        ASSERT_TRUE(PumpUntil([&] { return dlg.OkButton()->isEnabled(); }));
        EXPECT_EQ(m_user.messages.size(), 1u);
    }
    int m_heldAt = 0;
};

TEST_F(CancelWhileWritingTest, AnsweredNoTheJobResumesAndCompletes) {
    SetPropertyInt("prop_TotalPlaylists", 3);
    CCreatePlaylistDlg dlg(&m_playlist);
    HoldAfterFirstEntry(dlg);
    CancelAnswering(dlg, toolkit::MessageAnswer::No);
    EXPECT_EQ(dlg.GetStepMark(2), Mark::Done);
    EXPECT_EQ(dlg.Wait(), CCreationJob::kContinue);
    EXPECT_EQ(Count(ReadFileBytes(FilePath()), "File"), kEntries);
    EXPECT_EQ(Count(ReadFileBytes(FilePath()), "NumberOfEntries=6"), 1);
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", -1), 4);
    EXPECT_EQ(m_user.wavesPlayed, 1);
}

TEST_F(CancelWhileWritingTest, AnsweredYesKeepsHeaderAndEntriesSoFarWithoutFooter) {
    SetPropertyInt("prop_TotalPlaylists", 3);
    SetPropertyInt("prop_TotalSongs", 10);
    CCreatePlaylistDlg dlg(&m_playlist);
    HoldAfterFirstEntry(dlg);
    CancelAnswering(dlg, toolkit::MessageAnswer::Yes);
    EXPECT_EQ(dlg.Wait(), CCreationJob::kCancelled);
    EXPECT_EQ(dlg.GetStepMark(0), Mark::Done);
    EXPECT_EQ(dlg.GetStepMark(1), Mark::Cancelled);
    EXPECT_EQ(dlg.GetStepMark(2), Mark::None);
    ExpectEnded(dlg);
    const std::string written = ReadFileBytes(FilePath());
    EXPECT_EQ(written.rfind("[playlist]", 0), 0u);
    EXPECT_EQ(Count(written, "File"), 1);
    EXPECT_EQ(Count(written, "NumberOfEntries"), 0);
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", -1), 3);
    EXPECT_EQ(GetPropertyInt("prop_TotalSongs", -1), 10);
    EXPECT_EQ(m_user.wavesPlayed, 0);
}

TEST_F(CancelWhileWritingTest, TheCloseBoxAsksLikeCancelAndDoesNotClose) {
    CCreatePlaylistDlg dlg(&m_playlist);
    HoldAfterFirstEntry(dlg);
    m_user.answers = {toolkit::MessageAnswer::No};
    dlg.reject();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(m_user.messages.size(), 1u);
    ASSERT_TRUE(PumpUntil([&] { return dlg.OkButton()->isEnabled(); }));
    EXPECT_EQ(dlg.GetStepMark(2), Mark::Done);
}

TEST_F(CancelWhileWritingTest, DestroyingTheDialogWhileTheJobRunsCancelsIt) {
    SetPropertyInt("prop_TotalPlaylists", 3);
    {
        // Held after its first entry with messages still on their way: the destructor
        // must end the worker before the job goes away.
        CCreatePlaylistDlg dlg(&m_playlist);
        HoldAfterFirstEntry(dlg);
    }
    QCoreApplication::processEvents();
    const std::string written = ReadFileBytes(FilePath());
    EXPECT_EQ(Count(written, "File"), 1);
    EXPECT_EQ(Count(written, "NumberOfEntries"), 0);
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", -1), 3);
    EXPECT_TRUE(m_user.messages.empty());
}

TEST_F(CreatePlaylistDlgTest, PreparationFailureShowsItsErrorAndCloses) {
    // The playlist folder would have to be made below a plain file.
    const std::string blocker = m_music.File("not-a-folder");
    m_playlist.SetFolder(blocker + "/lists");
    CCreatePlaylistDlg dlg(&m_playlist);
    dlg.open();
    ASSERT_TRUE(PumpUntil([&] { return !dlg.isVisible(); }));
    EXPECT_EQ(dlg.result(), -1);
    ASSERT_EQ(m_user.messages.size(), 1u);
    EXPECT_EQ(m_user.messages[0].icon, toolkit::MessageIcon::Stop);
    EXPECT_FALSE(m_user.messages[0].text.empty());
    EXPECT_EQ(m_user.messages[0].text, dlg.Job()->GetErrorText());
    EXPECT_FALSE(dlg.OkButton()->isEnabled());
    EXPECT_EQ(dlg.GetStepMark(0), Mark::Current);
    EXPECT_EQ(m_user.wavesPlayed, 0);
    EXPECT_FALSE(dlg.IsRunning());
}

TEST_F(CreatePlaylistDlgTest, WithoutAPlaylistTheDialogReportsAndCloses) {
    CCreatePlaylistDlg dlg(nullptr);
    dlg.open();
    ASSERT_TRUE(PumpUntil([&] { return !dlg.isVisible(); }));
    EXPECT_EQ(dlg.result(), -1);
    ASSERT_EQ(m_user.messages.size(), 1u);
    EXPECT_EQ(m_user.messages[0].text, GetText("IDS_TL_MB_ERR_CREATE_PLAYLIST"));
    EXPECT_EQ(m_user.messages[0].icon, toolkit::MessageIcon::Stop);
}

TEST_F(CreatePlaylistDlgTest, MessagesPostedAfterTheDialogIsGoneAreDropped) {
    std::unique_ptr<CCreatePlaylistDlg> dlg(new CCreatePlaylistDlg(&m_playlist));
    CDialogMessageTarget target(dlg.get());
    target.Post(platform::CMessage(ProgressInfoMessage(), 50, 0, "queued"));
    dlg.reset();  // the queued event and its text go with the dialog
    target.Detach();
    target.Post(platform::CMessage(ProgressInfoMessage(), 60, 0, "late"));
    target.PostMessage(ProgressMarkMessage(), CCreationJob::kMarkCompleted, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_user.wavesPlayed, 0);
}

TEST_F(CreatePlaylistDlgTest, AProgressTextReplacesTheOneQueuedBeforeItButNotAcrossAMark) {
    QObject receiver;
    CDialogMessageTarget target(&receiver);
    auto post = [&](int percent, const char* text) {
        target.Post(platform::CMessage(ProgressInfoMessage(), static_cast<std::uintptr_t>(percent),
                                       0, text));
    };
    post(1, "one");
    post(2, "two");
    target.PostMessage(ProgressMarkMessage(), CCreationJob::kMarkFinishing, 0);
    post(3, "three");
    post(4, "four");
    target.PostMessage(ErrorNotifyMessage(), 0, 0);
    post(5, "five");

    std::deque<platform::CMessage> taken;
    ASSERT_TRUE(target.Take(taken, 100));
    ASSERT_EQ(taken.size(), 5u);
    EXPECT_EQ(taken[0].GetNumber(), ProgressInfoMessage());
    EXPECT_EQ(taken[0].GetWParam(), 2u);
    EXPECT_EQ(taken[0].GetText(), "two");
    EXPECT_EQ(taken[1].GetNumber(), ProgressMarkMessage());
    EXPECT_EQ(taken[1].GetWParam(), static_cast<std::uintptr_t>(CCreationJob::kMarkFinishing));
    EXPECT_EQ(taken[2].GetWParam(), 4u);
    EXPECT_EQ(taken[2].GetText(), "four");
    EXPECT_EQ(taken[3].GetNumber(), ErrorNotifyMessage());
    EXPECT_EQ(taken[4].GetText(), "five");

    // Once taken, a text is the receiver's: the next one queues anew instead of replacing it.
    taken.clear();
    post(6, "six");
    ASSERT_TRUE(target.Take(taken, 100));
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].GetText(), "six");
    EXPECT_FALSE(target.Take(taken, 100));
}

TEST_F(CreatePlaylistDlgTest, F1OpensTheHelpFile) {
    const std::string help = toolkit::HelpFileCandidates(toolkit::ProgramPath(), "EN").front();
    { std::ofstream(help) << "<html></html>"; }
    CCreatePlaylistDlg dlg(nullptr);
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &f1);
    std::filesystem::remove(help);
    EXPECT_EQ(m_user.openedUrls, std::vector<std::string>{help});
}

}  // namespace
