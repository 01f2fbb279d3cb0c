#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <fstream>

#include "settings/file_types/file_types.h"
#include "tests/ui/settings_sheet/sheet_fixture.h"
#include "ui/settings_sheet/prop_page.h"
#include "ui/settings_sheet/prop_page_file_types.h"
#include "ui/settings_sheet/prop_page_general_settings.h"
#include "ui/settings_sheet/prop_page_mp3.h"
#include "ui/settings_sheet/prop_page_playlist.h"
#include "ui/toolkit/help_file.h"

namespace {

using Sheet = CPropSheetSettings;

// Changes one value on every page, so that a page that writes cannot go unnoticed.
void ChangeEveryPage(Sheet& sheet) {
    for (int page = 0; page < Sheet::kPageCount; ++page) {
        sheet.SelectPage(page);
    }
    ClickButton(sheet.findChild<QRadioButton*>("languageGerman"));
    ClickButton(sheet.findChild<QRadioButton*>("insertTop"));
    sheet.findChild<QLineEdit*>("newType")->setText("flac");
    QTest::mouseClick(sheet.findChild<QPushButton*>("create"), Qt::LeftButton);
    sheet.findChild<QLineEdit*>("titleMask")->setText("%1");
}

TEST_F(SheetTest, CaptionTreeAndFirstPage) {
    Sheet sheet;
    EXPECT_EQ(sheet.windowTitle().toStdString(), GetMessageCaption() + " - Settings");
    QTreeWidget* tree = sheet.PageTree();
    ASSERT_EQ(tree->topLevelItemCount(), 4);
    const char* titles[] = {"General Settings", "Playlist Details", "File Types", "MP3"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tree->topLevelItem(i)->text(0).toStdString(), titles[i]);
        EXPECT_FALSE(tree->topLevelItem(i)->icon(0).isNull()) << titles[i];
    }
    EXPECT_EQ(sheet.CurrentPage(), Sheet::kGeneralSettings);
    EXPECT_TRUE(sheet.PageAt(Sheet::kGeneralSettings)->IsInitialized());
    for (int page = Sheet::kPlaylist; page < Sheet::kPageCount; ++page) {
        EXPECT_FALSE(sheet.PageAt(page)->IsInitialized()) << page;
    }
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
}

TEST_F(SheetTest, ChoosingAPageInTheTreeInitialisesIt) {
    SetPropertyString("prop_AddNewEntries", "Top");
    Sheet sheet;
    sheet.show();
    QTreeWidget* tree = sheet.PageTree();
    tree->setCurrentItem(tree->topLevelItem(Sheet::kPlaylist));
    EXPECT_EQ(sheet.CurrentPage(), Sheet::kPlaylist);
    EXPECT_TRUE(sheet.PlaylistPage()->IsInitialized());
    EXPECT_TRUE(Find<QRadioButton>(&sheet, "insertTop")->isChecked());
    EXPECT_FALSE(sheet.FileTypesPage()->IsInitialized());
    // Showing a page again keeps what the user did on it.
    ClickButton(Find<QRadioButton>(&sheet, "insertBeforeSelection"));
    tree->setCurrentItem(tree->topLevelItem(Sheet::kGeneralSettings));
    tree->setCurrentItem(tree->topLevelItem(Sheet::kPlaylist));
    EXPECT_TRUE(Find<QRadioButton>(&sheet, "insertBeforeSelection")->isChecked());
}

TEST_F(SheetTest, OkAtOnceWritesOnlyTheGeneralPage) {
    WriteDefaultFileTypes();
    Sheet sheet;
    sheet.show();
    QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(Stored("prop_Language"), "EN");
    EXPECT_EQ(StoredInt("prop_Transparency"), 0);
    EXPECT_EQ(StoredInt("prop_SingleInstance"), 1);
    EXPECT_EQ(StoredInt("prop_PlaySound"), 1);
    EXPECT_EQ(Stored("prop_AddNewEntries"), "<absent>");
    EXPECT_EQ(Stored("prop_SaveMode"), "<absent>");
    EXPECT_EQ(StoredInt("prop_AutoPlaylistName"), -99);
    EXPECT_EQ(StoredInt("prop_AutoPlaylistFolder"), -99);
    EXPECT_EQ(StoredInt("prop_ReadID3Tags"), -99);
    EXPECT_EQ(Stored("prop_TitleMask"), "<absent>");
    // The file types page was never shown, so the store keeps its own order.
    FileTypeList active, inactive, defaults;
    LoadFileTypeLists(active, inactive);
    GetDefaultActiveFileTypes(defaults);
    EXPECT_EQ(active, defaults);
}

TEST_F(SheetTest, OkWritesEveryPageThatWasShown) {
    WriteDefaultFileTypes();
    Sheet sheet;
    sheet.show();
    sheet.SelectPage(Sheet::kFileTypes);
    sheet.SelectPage(Sheet::kMP3);
    QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
    EXPECT_EQ(Stored("prop_Language"), "EN");
    EXPECT_EQ(Stored("prop_AddNewEntries"), "<absent>");  // the playlist page was skipped
    EXPECT_EQ(StoredInt("prop_ReadID3Tags"), 1);
    EXPECT_EQ(Stored("prop_TitleMask"), "%3 - %2");
    FileTypeList active, inactive;
    LoadFileTypeLists(active, inactive);
    EXPECT_EQ(active,
              (FileTypeList{"avi", "cda", "mp3", "mpeg", "mpg", "ogg", "wav", "wma", "wmv"}));
    EXPECT_TRUE(std::is_sorted(inactive.begin(), inactive.end()));
    EXPECT_EQ(inactive.size(), 33u);
}

TEST_F(SheetTest, CancelEscapeAndCloseWriteNothing) {
    WriteDefaultFileTypes();
    FileTypeList activeBefore, inactiveBefore;
    LoadFileTypeLists(activeBefore, inactiveBefore);
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        Sheet sheet;
        sheet.show();
        ChangeEveryPage(sheet);
        EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
        if (way == 0) {
            QTest::mouseClick(sheet.CancelButton(), Qt::LeftButton);
        } else if (way == 1) {
            QTest::keyClick(&sheet, Qt::Key_Escape);
        } else {
            sheet.close();
        }
        EXPECT_FALSE(sheet.isVisible());
        EXPECT_EQ(sheet.result(), QDialog::Rejected);
        EXPECT_EQ(Stored("prop_Language"), "<absent>");
        EXPECT_EQ(StoredInt("prop_Transparency"), -99);
        EXPECT_EQ(Stored("prop_AddNewEntries"), "<absent>");
        EXPECT_EQ(Stored("prop_TitleMask"), "<absent>");
        FileTypeList active, inactive;
        LoadFileTypeLists(active, inactive);
        EXPECT_EQ(active, activeBefore);
        EXPECT_EQ(inactive, inactiveBefore);
    }
}

TEST_F(SheetTest, ApplyWritesAndKeepsTheSheetOpen) {
    Sheet sheet;
    sheet.show();
    sheet.SelectPage(Sheet::kPlaylist);
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
    ClickButton(Find<QRadioButton>(&sheet, "saveAbsolute"));
    ASSERT_TRUE(sheet.ApplyButton()->isEnabled());
    QTest::mouseClick(sheet.ApplyButton(), Qt::LeftButton);
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(Stored("prop_SaveMode"), "Absolute");
    EXPECT_EQ(Stored("prop_Language"), "EN");
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
    // Cancel afterwards closes without taking back what Apply wrote, and writes nothing more.
    ClickButton(Find<QRadioButton>(&sheet, "saveRelative"));
    QTest::mouseClick(sheet.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(Stored("prop_SaveMode"), "Absolute");
}

TEST_F(SheetTest, RunReportsTheLanguageBeforeAndAfter) {
    SetLanguageCode(true);
    for (bool confirm : {true, false}) {
        SCOPED_TRACE(confirm);
        QTimer::singleShot(0, [confirm] {
            auto* sheet = qobject_cast<Sheet*>(QApplication::activeModalWidget());
            ASSERT_NE(sheet, nullptr);
            ClickButton(sheet->findChild<QRadioButton*>("languageGerman"));
            QTest::mouseClick(confirm ? sheet->OkButton() : sheet->CancelButton(), Qt::LeftButton);
        });
        const Sheet::Outcome outcome = Sheet::Run(nullptr);
        EXPECT_EQ(outcome.accepted, confirm);
        EXPECT_EQ(outcome.languageBefore, "EN");
        EXPECT_EQ(outcome.languageAfter, confirm ? "DE" : "EN");
        EXPECT_EQ(outcome.LanguageChanged(), confirm);
        SetLanguageCode(true);
    }
    // Nothing on screen asked anything; the restart question is the caller's.
    EXPECT_TRUE(m_user.messages.empty());
}

TEST_F(SheetTest, ResetThatChoosesAnotherLanguageIsReportedAsAChange) {
    ScopedEnvironment locale("LC_ALL", "en_US.UTF-8");
    SetLanguageCode(false);
    m_user.answers.push_back(toolkit::MessageAnswer::Yes);
    QTimer::singleShot(0, [] {
        auto* sheet = qobject_cast<Sheet*>(QApplication::activeModalWidget());
        ASSERT_NE(sheet, nullptr);
        ClickButton(sheet->findChild<QPushButton*>("resetSettings"));
    });
    const Sheet::Outcome outcome = Sheet::Run(nullptr);
    EXPECT_FALSE(outcome.accepted);
    EXPECT_EQ(outcome.languageBefore, "DE");
    EXPECT_EQ(outcome.languageAfter, "EN");
    EXPECT_TRUE(outcome.LanguageChanged());
}

TEST_F(SheetTest, ResetAskedAndDeclinedChangesNothing) {
    SetPropertyString("prop_TitleMask", "%1");
    Sheet sheet;
    sheet.show();
    m_user.answers.push_back(toolkit::MessageAnswer::No);
    Click(&sheet, "resetSettings");
    ASSERT_EQ(m_user.messages.size(), 1u);
    EXPECT_EQ(m_user.messages[0].text, GetText("IDS_TL_MB_RESET_SETTINGS"));
    EXPECT_EQ(m_user.messages[0].icon, toolkit::MessageIcon::Exclamation);
    EXPECT_EQ(m_user.messages[0].buttons, toolkit::MessageButtons::YesNo);
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(Stored("prop_TitleMask"), "%1");
}

TEST_F(SheetTest, ResetClosesTheSheetWithoutAnyPageWritingOverIt) {
    // No installer language is stored, so the reset takes the language from the locale.
    ScopedEnvironment locale("LC_ALL", "en_US.UTF-8");
    SetLanguageCode(true);
    SetPropertyInt("prop_TotalPlaylists", 7);
    SetPropertyInt("prop_TotalSongs", 70);
    SetPropertyString("prop_SelectPlaylistFolder", "/home/u/lists");
    SetPropertyInt("prop_Transparency", 1);
    SetPropertyString("prop_AddNewEntries", "Top");
    SetPropertyString("prop_TitleMask", "%1");
    SaveFileTypeLists({"mp3", "xyz"}, {});

    Sheet sheet;
    sheet.show();
    ChangeEveryPage(sheet);
    sheet.SelectPage(Sheet::kGeneralSettings);
    m_user.answers.push_back(toolkit::MessageAnswer::Yes);
    Click(&sheet, "resetSettings");

    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
    EXPECT_EQ(StoredInt("prop_TotalPlaylists"), 7);
    EXPECT_EQ(StoredInt("prop_TotalSongs"), 70);
    EXPECT_EQ(Stored("prop_SelectPlaylistFolder"), "/home/u/lists");
    // Back to the installed state, not to what the pages still showed.
    EXPECT_EQ(StoredInt("prop_Transparency"), -99);
    EXPECT_EQ(Stored("prop_AddNewEntries"), "<absent>");
    EXPECT_EQ(Stored("prop_TitleMask"), "<absent>");
    FileTypeList active, inactive, defaults;
    LoadFileTypeLists(active, inactive);
    GetDefaultActiveFileTypes(defaults);
    EXPECT_EQ(active, defaults);
    // The language is chosen anew from the locale, not taken from the German button that
    // the page still showed selected.
    EXPECT_EQ(Stored("prop_Language"), "EN");
}

TEST_F(SheetTest, F1OpensTheHelp) {
    const std::string help = toolkit::ProgramPath() + "_EN.html";
    std::ofstream(help) << "<html></html>";
    Sheet sheet;
    sheet.show();
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    sheet.SelectPage(Sheet::kMP3);
    Find<QLineEdit>(&sheet, "titleMask")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    std::filesystem::remove(help);
    ASSERT_EQ(m_user.openedUrls.size(), 1u);
    EXPECT_EQ(m_user.openedUrls[0], help);
    EXPECT_TRUE(sheet.isVisible());
}

}  // namespace
