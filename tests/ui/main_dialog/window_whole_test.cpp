#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "main_dialog_fixture.h"
#include "settings/language/language.h"
#include "ui/settings_sheet/prop_sheet_settings.h"
#include "ui/toolkit/about/about_dlg.h"
#include "ui/toolkit/help_file.h"

using Id = CTracklaceDlg::ControlId;
using toolkit::MessageAnswer;

namespace {

// Closes the next modal window of type T once it is up; remembers whether it came.
template <typename T>
class CloseNextModal {
public:
    explicit CloseNextModal(std::function<void(T&)> before = {}) : m_before(std::move(before)) {
        Poll(0);
    }
    bool Seen() const { return m_seen; }

private:
    void Poll(int attempt) {
        QTimer::singleShot(10, [this, attempt] {
            if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
                m_seen = true;
                if (m_before) {
                    m_before(*window);
                }
                window->reject();
            } else if (attempt < 300) {
                Poll(attempt + 1);
            }
        });
    }
    std::function<void(T&)> m_before;
    bool m_seen = false;
};

class WindowTest : public MainDialogTest {
protected:
    void TearDown() override {
        // The texts are the process's: leave English behind for the next test.
        SetLanguageCode(true);
        ReloadTexts();
        MainDialogTest::TearDown();
    }
    QString GroupTitle() {
        return qobject_cast<QGroupBox*>(Dialog().GetControl(Id::kGroupContent))->title();
    }
};

TEST_F(WindowTest, ToolbarBandWithItsThreeButtonsAndTheLineBelow) {
    QToolBar* toolbar = Dialog().GetToolbar();
    ASSERT_NE(toolbar, nullptr);
    ASSERT_EQ(toolbar->actions().size(), 3);
    EXPECT_EQ(Dialog().GetToolbarAction(0)->text(), " &Settings  ");
    EXPECT_EQ(Dialog().GetToolbarAction(1)->text(), " &Help  ");
    EXPECT_EQ(Dialog().GetToolbarAction(2)->text(), " &About  ");
    EXPECT_EQ(toolbar->iconSize(), QSize(24, 24));
    EXPECT_EQ(toolbar->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    QWidget* band = toolbar->parentWidget();
    EXPECT_EQ(band->height(), CTracklaceDlg::kToolbarHeight);
    EXPECT_EQ(band->geometry().top(), 0);
    EXPECT_EQ(band->width(), Dialog().width());
    QWidget* line = Dialog().GetControl(Id::kToolbarLine);
    EXPECT_EQ(line->geometry(), QRect(0, band->geometry().bottom() + 1, Dialog().width(), 1));

    const std::string help = toolkit::ProgramPath() + "_EN.html";
    std::ofstream(help) << "<html></html>";
    Dialog().GetToolbarAction(1)->trigger();
    std::filesystem::remove(help);
    EXPECT_EQ(m_user.openedUrls, std::vector<std::string>{help});

    SetPropertyInt("prop_PlaySound", 0);
    CloseNextModal<CAboutDlg> about;
    Dialog().GetToolbarAction(2)->trigger();
    EXPECT_TRUE(about.Seen());
}

TEST_F(WindowTest, TheBandsMenuOffersTheAboutBoxAndTheButtonsTakeTheFocus) {
    std::unique_ptr<QMenu> menu(Dialog().CreateBandMenu());
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), "&About Tracklace 3...");
    SetPropertyInt("prop_PlaySound", 0);
    CloseNextModal<CAboutDlg> about;
    menu->actions()[0]->trigger();
    EXPECT_TRUE(about.Seen());

    // Each toolbar button is in the window's Tab chain.
    QToolBar* toolbar = Dialog().GetToolbar();
    for (QAction* action : toolbar->actions()) {
        QWidget* button = toolbar->widgetForAction(action);
        EXPECT_TRUE(button->focusPolicy() & Qt::TabFocus) << action->text().toStdString();
        bool inChain = false;
        QWidget* next = &Dialog();
        for (int step = 0; step < 100 && !inChain; ++step) {
            next = next->nextInFocusChain();
            inChain = next == button;
        }
        EXPECT_TRUE(inChain) << action->text().toStdString();
    }

    // Alt and the underlined letter press the button.
    Dialog().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Dialog()));
    const std::string help = toolkit::ProgramPath() + "_EN.html";
    std::ofstream(help) << "<html></html>";
    QTest::keyClick(&Dialog(), Qt::Key_H, Qt::AltModifier);
    // A button pressed by its key shows itself pressed for a moment first.
    WaitUntil([&] { return !m_user.openedUrls.empty(); });
    std::filesystem::remove(help);
    EXPECT_EQ(m_user.openedUrls, std::vector<std::string>{help});
}

TEST_F(WindowTest, LanguageChangeAnsweredYesReopensInGermanWithTheSameRequest) {
    AddFiles({m_music / "a.mp3", m_music / "b.ogg"});
    Edit(Id::kPlaylistName)->setText("Party");
    Dialog().SelectSaveLocation(m_music.Path().string());
    qobject_cast<QComboBox*>(Dialog().GetControl(Id::kPlaylistType))->setCurrentIndex(1);

    m_user.answers = {MessageAnswer::Yes};
    CloseNextModal<CPropSheetSettings> sheet([](CPropSheetSettings&) { SetLanguageCode(false); });
    // Through the toolbar's own button, which the restart takes away while it is clicked.
    qobject_cast<QToolButton*>(Dialog().GetToolbar()->widgetForAction(Dialog().GetToolbarAction(0)))
        ->click();
    ASSERT_TRUE(sheet.Seen());
    ASSERT_EQ(m_user.messages.size(), 1u);
    // Both language names are still in the language being left.
    EXPECT_EQ(m_user.messages[0].text,
              "The language of the application was changed from English to German.\nTo "
              "activate the selected language the application has to be restarted.\n\nDo you "
              "want to restart the application now?");
    EXPECT_EQ(m_user.messages[0].buttons, toolkit::MessageButtons::YesNo);
    EXPECT_EQ(Dialog().result(), CTracklaceDlg::kRestartResult);
    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_EQ(Dialog().GetToolbar(), nullptr);
    EXPECT_EQ(GetPropertyString("prop_PlaylistType", ""), ".m3u");

    // The application opens the same dialog object again.
    Dialog().show();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(GroupTitle(), "Playlist-Inhalt:");
    EXPECT_EQ(Button(Id::kCreatePlaylist)->text(), "Playlist &erstellen");
    ASSERT_NE(Dialog().GetToolbar(), nullptr);
    EXPECT_EQ(Dialog().GetToolbarAction(0)->text(), " Ein&stellungen  ");
    EXPECT_EQ(Dialog().GetModel()->rowCount(), 2);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Dialog().GetModel()->headerData(1, Qt::Horizontal).toString(), "Dateiname");
    EXPECT_EQ(Edit(Id::kPlaylistName)->text(), "Party");
    EXPECT_EQ(Edit(Id::kSaveLocation)->text().toStdString(), m_music.Path().string());
    EXPECT_EQ(qobject_cast<QComboBox*>(Dialog().GetControl(Id::kPlaylistType))->currentIndex(), 1);
    // The first-run set-up does not run again.
    EXPECT_EQ(GetLanguageCode(), "DE");
}

TEST_F(WindowTest, QtsOwnDialogsSpeakTheWindowsLanguage) {
    SetLanguageCode(false);
    ReloadTexts();
    Open();
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Suchen in:");
    SetLanguageCode(true);
    ReloadTexts();
    Open();
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
}

TEST_F(WindowTest, LanguageChangeAnsweredNoKeepsTheWindowInEnglish) {
    m_user.answers = {MessageAnswer::No};
    CloseNextModal<CPropSheetSettings> sheet([](CPropSheetSettings&) { SetLanguageCode(false); });
    Dialog().OnSettings();
    ASSERT_TRUE(sheet.Seen());
    ASSERT_EQ(m_user.messages.size(), 1u);
    EXPECT_TRUE(Dialog().isVisible());
    EXPECT_NE(Dialog().result(), CTracklaceDlg::kRestartResult);
    EXPECT_EQ(GroupTitle(), "Playlist Content:");
    EXPECT_EQ(GetText("IDS_TL_GB_PLAYLIST_CONTENT"), "Playlist Content:");
    EXPECT_EQ(GetLanguageCode(), "DE");

    // Closing the sheet without a change of language asks nothing, and the active file
    // types are read again.
    SaveFileTypeLists({"flac"}, {});
    CloseNextModal<CPropSheetSettings> again;
    Dialog().OnSettings();
    ASSERT_TRUE(again.Seen());
    EXPECT_EQ(m_user.messages.size(), 1u);
    EXPECT_EQ(Dialog().GetActiveFileTypes(), FileTypeList{"flac"});
}

TEST_F(WindowTest, PositionSavedOnCloseAndRestored) {
    Dialog().move(123, 145);
    Dialog().close();
    EXPECT_EQ(GetPropertyInt("prop_WindowPositionX", 0), Dialog().frameGeometry().left());
    EXPECT_EQ(GetPropertyInt("prop_WindowPositionY", 0), Dialog().frameGeometry().top());
    EXPECT_EQ(GetPropertyInt("prop_IsIconic", 1), 0);
    Open();
    EXPECT_EQ(Dialog().frameGeometry().topLeft(), QPoint(123, 145));

    // Off the screen: a third of the screen's width.
    const QRect screen = Dialog().screen()->geometry();
    SetPropertyInt("prop_WindowPositionX", screen.width() + 5000);
    SetPropertyInt("prop_WindowPositionY", 200);
    Open();
    EXPECT_EQ(Dialog().frameGeometry().topLeft(), QPoint(screen.width() / 3, 200));
}

TEST_F(WindowTest, ZeroPositionStaysCentredAndMinimisedSurvivesTheNextStart) {
    const QPoint centred = Dialog().frameGeometry().topLeft();
    SetPropertyInt("prop_WindowPositionX", 0);
    SetPropertyInt("prop_WindowPositionY", 300);
    Open();
    EXPECT_EQ(Dialog().frameGeometry().topLeft(), centred);

    Dialog().setWindowState(Qt::WindowMinimized);
    Dialog().close();
    EXPECT_EQ(GetPropertyInt("prop_IsIconic", 0), 1);
    Open();
    EXPECT_TRUE(Dialog().isMinimized());
}

// Records every opacity the window is given.
class RecordingDlg : public CTracklaceDlg {
public:
    std::vector<int> applied;

protected:
    void ApplyAlpha(int alpha) override {
        applied.push_back(alpha);
        CTracklaceDlg::ApplyAlpha(alpha);
    }
};

TEST_F(WindowTest, FadeToTwoHundredInStepsOfFiveOnlyWithTransparencyOn) {
    for (const int setting : {1, 0}) {
        SCOPED_TRACE(setting);
        SetPropertyInt("prop_Transparency", setting);
        RecordingDlg dialog;
        dialog.show();
        dialog.applied.clear();
        dialog.OnActivateApp(false);
        dialog.OnActivateApp(true);
        if (setting == 0) {
            EXPECT_FALSE(dialog.IsTransparencyEnabled());
            EXPECT_TRUE(dialog.applied.empty());
            continue;
        }
        std::vector<int> expected;
        for (int alpha = 250; alpha >= 200; alpha -= 5) {
            expected.push_back(alpha);
        }
        expected.push_back(255);
        EXPECT_EQ(dialog.applied, expected);
        EXPECT_EQ(dialog.GetAlpha(), 255);
        // Already faded: a second loss of activity does not fade again.
        dialog.OnActivateApp(false);
        dialog.applied.clear();
        dialog.OnActivateApp(false);
        EXPECT_TRUE(dialog.applied.empty());
        EXPECT_EQ(dialog.GetAlpha(), 200);
    }
}

}  // namespace
