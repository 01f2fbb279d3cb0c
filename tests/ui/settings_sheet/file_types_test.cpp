#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "settings/file_types/file_types.h"
#include "tests/ui/settings_sheet/sheet_fixture.h"
#include "ui/settings_sheet/prop_page_file_types.h"

namespace {

using Sheet = CPropSheetSettings;
using Types = std::vector<std::string>;

class FileTypesTest : public SheetTest {
protected:
    // Opens the sheet on the file types page over the stored lists.
    void Open(const Types& active, const Types& inactive) {
        SaveFileTypeLists(active, inactive);
        m_sheet = std::make_unique<Sheet>();
        m_sheet->show();
        m_sheet->SelectPage(Sheet::kFileTypes);
        m_page = m_sheet->FileTypesPage();
        m_active = Find<QListWidget>(m_page, "activeTypes");
        m_inactive = Find<QListWidget>(m_page, "inactiveTypes");
        m_newType = Find<QLineEdit>(m_page, "newType");
    }

    static std::string Selected(QListWidget* list) {
        const auto items = list->selectedItems();
        EXPECT_LE(items.size(), 1);
        return items.isEmpty() ? "<none>" : items.front()->text().toStdString();
    }

    static void Select(QListWidget* list, const char* text) {
        const auto items = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << text;
        list->setCurrentItem(items.front(), QItemSelectionModel::ClearAndSelect);
    }

    void Press(const char* button) { Click(m_page, button); }

    void Create(const char* text) {
        m_newType->setText(QString::fromUtf8(text));
        Press("create");
    }

    bool Modified() const { return m_sheet->ApplyButton()->isEnabled(); }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : m_user.messages) {
            EXPECT_EQ(m.icon, toolkit::MessageIcon::Information);
            EXPECT_EQ(m.buttons, toolkit::MessageButtons::Ok);
            texts.push_back(m.text);
        }
        return texts;
    }

    std::unique_ptr<Sheet> m_sheet;
    CPropPageFileTypes* m_page = nullptr;
    QListWidget* m_active = nullptr;
    QListWidget* m_inactive = nullptr;
    QLineEdit* m_newType = nullptr;
};

TEST_F(FileTypesTest, ListsAreSortedIgnoringLetterCaseWhateverTheStoreOrder) {
    Open({"wav", "MP3", "ogg", "Cda", "aac"}, {"xm", "669", "Mod", "it"});
    EXPECT_EQ(m_page->ActiveTypes(), (Types{"aac", "Cda", "MP3", "ogg", "wav"}));
    EXPECT_EQ(m_page->InactiveTypes(), (Types{"669", "it", "Mod", "xm"}));
    EXPECT_EQ(Selected(m_active), "<none>");
    EXPECT_EQ(Selected(m_inactive), "<none>");
    EXPECT_TRUE(m_newType->text().isEmpty());
    EXPECT_FALSE(Modified());
}

TEST_F(FileTypesTest, ActivateMovesIntoPlaceAndSelectsTheNeighbour) {
    Open({"mp3", "wav"}, {"aac", "mid", "ogg"});
    Select(m_active, "wav");
    Select(m_inactive, "mid");
    Press("activate");
    EXPECT_EQ(m_page->ActiveTypes(), (Types{"mid", "mp3", "wav"}));
    EXPECT_EQ(m_page->InactiveTypes(), (Types{"aac", "ogg"}));
    EXPECT_EQ(Selected(m_inactive), "ogg");  // the item that took the place
    EXPECT_EQ(Selected(m_active), "wav");    // the target keeps its selection
    EXPECT_TRUE(Modified());
    EXPECT_TRUE(m_user.systemSounds.empty());
    // The last item gone: the new last one is selected; the list emptied: nothing is.
    Press("activate");
    EXPECT_EQ(Selected(m_inactive), "aac");
    Press("activate");
    EXPECT_EQ(Selected(m_inactive), "<none>");
    EXPECT_EQ(m_page->ActiveTypes(), (Types{"aac", "mid", "mp3", "ogg", "wav"}));
    Press("activate");
    EXPECT_EQ(m_user.systemSounds, (std::vector<int>{3}));
    EXPECT_TRUE(m_user.messages.empty());
}

TEST_F(FileTypesTest, ActivateWithoutSelectionPlaysTheSoundAndMarksNothing) {
    Open({"mp3"}, {"aac", "ogg"});
    Press("activate");
    EXPECT_EQ(m_user.systemSounds, (std::vector<int>{3}));
    EXPECT_FALSE(Modified());
    EXPECT_EQ(m_page->InactiveTypes(), (Types{"aac", "ogg"}));
    m_page->Activate(true);  // the double click's way: silent
    EXPECT_EQ(m_user.systemSounds.size(), 1u);
    EXPECT_FALSE(Modified());
}

TEST_F(FileTypesTest, DeactivateSelectsTheFollowingItem) {
    Open({"a1", "b2", "c3", "d4", "e5"}, {});
    Select(m_active, "c3");
    Press("deactivate");
    EXPECT_EQ(Selected(m_active), "d4");
    EXPECT_EQ(m_page->InactiveTypes(), (Types{"c3"}));
    Select(m_active, "e5");
    Press("deactivate");
    EXPECT_EQ(Selected(m_active), "d4");
    EXPECT_EQ(m_page->ActiveTypes(), (Types{"a1", "b2", "d4"}));
    EXPECT_EQ(m_page->InactiveTypes(), (Types{"c3", "e5"}));
    EXPECT_TRUE(m_user.messages.empty());
}

TEST_F(FileTypesTest, RemovingTheLastActiveTypeWarnsOnceAndTheMoveStands) {
    Open({"mp3"}, {"ogg"});
    Press("deactivate");  // nothing selected
    EXPECT_EQ(m_user.systemSounds, (std::vector<int>{3}));
    EXPECT_FALSE(Modified());
    Select(m_active, "mp3");
    Press("deactivate");
    EXPECT_EQ(MessageTexts(), (Types{GetText("IDS_TL_MB_LAST_ACTIVE_FILE_TYPE_REMOVED")}));
    EXPECT_TRUE(m_page->ActiveTypes().empty());
    EXPECT_EQ(m_page->InactiveTypes(), (Types{"mp3", "ogg"}));
    EXPECT_TRUE(Modified());
    Press("deactivate");  // the list is empty now: only the sound
    EXPECT_EQ(m_user.messages.size(), 1u);
    EXPECT_EQ(m_user.systemSounds, (std::vector<int>{3, 3}));
    // An empty active list is stored as such.
    m_sheet->accept();
    Types active, inactive;
    LoadFileTypeLists(active, inactive);
    EXPECT_TRUE(active.empty());
    EXPECT_EQ(inactive, (Types{"mp3", "ogg"}));
}

TEST_F(FileTypesTest, DoubleClicksMoveQuietly) {
    Open({"mp3", "wav"}, {"ogg"});
    QListWidgetItem* ogg = m_inactive->item(0);
    const QPoint oggAt = m_inactive->visualItemRect(ogg).center();
    QTest::mouseClick(m_inactive->viewport(), Qt::LeftButton, {}, oggAt);
    QTest::mouseDClick(m_inactive->viewport(), Qt::LeftButton, {}, oggAt);
    EXPECT_EQ(m_page->ActiveTypes(), (Types{"mp3", "ogg", "wav"}));
    EXPECT_TRUE(m_page->InactiveTypes().empty());
    const QPoint mp3At = m_active->visualItemRect(m_active->item(0)).center();
    QTest::mouseClick(m_active->viewport(), Qt::LeftButton, {}, mp3At);
    QTest::mouseDClick(m_active->viewport(), Qt::LeftButton, {}, mp3At);
    EXPECT_EQ(m_page->ActiveTypes(), (Types{"ogg", "wav"}));
    EXPECT_EQ(m_page->InactiveTypes(), (Types{"mp3"}));
    EXPECT_TRUE(Modified());
    // With nothing to move the double click's way stays silent.
    m_active->clearSelection();
    m_page->Deactivate(true);
    EXPECT_TRUE(m_user.systemSounds.empty());
    EXPECT_TRUE(m_user.messages.empty());
}

TEST_F(FileTypesTest, QuietDeactivateStillWarnsAboutTheEmptyList) {
    Open({"mp3"}, {});
    Select(m_active, "mp3");
    m_page->Deactivate(true);
    EXPECT_EQ(MessageTexts(), (Types{GetText("IDS_TL_MB_LAST_ACTIVE_FILE_TYPE_REMOVED")}));
}

TEST_F(FileTypesTest, NewTypeIsAddedInactiveAndSelected) {
    Open({"mp3"}, {"aac", "ogg"});
    Select(m_inactive, "aac");
    Create("flac");
    EXPECT_EQ(m_page->InactiveTypes(), (Types{"aac", "flac", "ogg"}));
    EXPECT_EQ(Selected(m_inactive), "flac");
    EXPECT_TRUE(m_newType->text().isEmpty());
    EXPECT_TRUE(Modified());
    EXPECT_TRUE(m_user.messages.empty());
    Create("flac");
    EXPECT_EQ(MessageTexts(), (Types{GetText("IDS_TL_MB_ERR_FILE_TYPE_EXISTS")}));
    EXPECT_EQ(m_newType->text(), "flac");  // kept for correction
    Create("mp3");                         // an active type exists as well
    EXPECT_EQ(m_user.messages.size(), 2u);
    // Taken as typed: letter case and blanks count.
    Create("FLAC");
    Create(" flac");
    EXPECT_EQ(m_user.messages.size(), 2u);
    EXPECT_EQ(m_page->InactiveTypes(), (Types{" flac", "aac", "flac", "FLAC", "ogg"}));
    EXPECT_EQ(Selected(m_inactive), " flac");
}

TEST_F(FileTypesTest, NewTypeChecksInOrder) {
    Open({"mp3"}, {});
    Create("");
    EXPECT_EQ(MessageTexts(), (Types{GetText("IDS_TL_MB_ERR_EMPTY_NEW_FILE_TYPE")}));
    m_user.messages.clear();
    for (const char* bad :
         {".flac", "fl ac?", "a|b", "a\\b", "a/b", "a:b", "a*b", "a\"b", "a<b", "a>b", "mp3."}) {
        SCOPED_TRACE(bad);
        Create(bad);
        EXPECT_EQ(MessageTexts(), (Types{GetText("IDS_TL_MB_ERR_INVALID_FILE_TYPE")}));
        EXPECT_EQ(m_newType->text().toStdString(), bad);
        m_user.messages.clear();
    }
    // Invalid characters are found before a name that exists is.
    Open({"mp3"}, {});
    Create("mp3|");
    EXPECT_EQ(MessageTexts(), (Types{GetText("IDS_TL_MB_ERR_INVALID_FILE_TYPE")}));
    m_user.messages.clear();
    Create("müsik");  // letters beyond ASCII are fine
    EXPECT_TRUE(m_user.messages.empty());
    EXPECT_EQ(m_page->InactiveTypes(), (Types{"müsik"}));
}

TEST_F(FileTypesTest, ANewTypeIsNeverTooLongForTheStoreToReadBack) {
    // A stored name beyond 255 characters would end the reading of the lists there and
    // lose every type stored after it.
    Open({"mp3"}, {"zip"});
    Create(std::string(300, 'a').c_str());
    const std::string longest(255, 'a');
    EXPECT_EQ(m_page->InactiveTypes(), (Types{longest, "zip"}));
    m_sheet->accept();
    Types active, inactive;
    LoadFileTypeLists(active, inactive);
    EXPECT_EQ(active, (Types{"mp3"}));
    EXPECT_EQ(inactive, (Types{longest, "zip"}));
}

TEST_F(FileTypesTest, DeleteOnlyTheSelectedInactiveType) {
    Open({"mp3"}, {"aac", "mid", "ogg"});
    Press("delete");
    EXPECT_EQ(MessageTexts(), (Types{GetText("IDS_TL_MB_ERR_NO_FILE_TYPE_SELECTED")}));
    EXPECT_FALSE(Modified());
    Select(m_active, "mp3");  // an active type cannot be deleted
    Press("delete");
    EXPECT_EQ(m_user.messages.size(), 2u);
    EXPECT_EQ(m_page->ActiveTypes(), (Types{"mp3"}));
    Select(m_inactive, "mid");
    Press("delete");
    EXPECT_EQ(m_page->InactiveTypes(), (Types{"aac", "ogg"}));
    EXPECT_EQ(Selected(m_inactive), "ogg");
    EXPECT_TRUE(Modified());
    Press("delete");
    EXPECT_EQ(Selected(m_inactive), "aac");
    Press("delete");
    EXPECT_TRUE(m_page->InactiveTypes().empty());
    Press("delete");
    EXPECT_EQ(m_user.messages.size(), 3u);
    EXPECT_EQ(m_user.messages.size(), MessageTexts().size());
    EXPECT_TRUE(m_user.systemSounds.empty());
}

TEST_F(FileTypesTest, ApplyStoresTheDisplayedListsAndCancelDiscardsThem) {
    Open({"wav", "mp3"}, {"ogg", "aac"});
    Select(m_inactive, "ogg");
    Press("activate");
    Create("flac");
    m_sheet->reject();
    Types active, inactive;
    LoadFileTypeLists(active, inactive);
    EXPECT_EQ(active, (Types{"wav", "mp3"}));
    EXPECT_EQ(inactive, (Types{"ogg", "aac"}));

    Open({"wav", "mp3"}, {"ogg", "aac"});
    Select(m_inactive, "ogg");
    Press("activate");
    Create("flac");
    QTest::mouseClick(m_sheet->ApplyButton(), Qt::LeftButton);
    LoadFileTypeLists(active, inactive);
    EXPECT_EQ(active, (Types{"mp3", "ogg", "wav"}));
    EXPECT_EQ(inactive, (Types{"aac", "flac"}));
}

}  // namespace

namespace {

TEST_F(FileTypesTest, EnterInTheNewTypeFieldCreatesTheTypeAndKeepsTheSheetOpen) {
    Open({"mp3"}, {"wav"});
    m_newType->setFocus();
    QTest::keyClicks(m_newType, "flac");
    QTest::keyClick(m_newType, Qt::Key_Return);
    EXPECT_TRUE(m_sheet->isVisible());
    EXPECT_EQ(m_page->InactiveTypes(), (Types{"flac", "wav"}));
    EXPECT_EQ(Selected(m_inactive), "flac");
    EXPECT_EQ(m_newType->text(), "");
    // An empty field answers Enter with its message, still without closing the sheet.
    QTest::keyClick(m_newType, Qt::Key_Enter);
    EXPECT_TRUE(m_sheet->isVisible());
    EXPECT_EQ(MessageTexts(),
              std::vector<std::string>{GetText("IDS_TL_MB_ERR_EMPTY_NEW_FILE_TYPE")});
    // Elsewhere Enter still confirms the sheet.
    QTest::keyClick(m_active, Qt::Key_Return);
    EXPECT_FALSE(m_sheet->isVisible());
    EXPECT_EQ(m_sheet->result(), QDialog::Accepted);
}

}  // namespace
