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
        sheet_ = std::make_unique<Sheet>();
        sheet_->show();
        sheet_->SelectPage(Sheet::kFileTypes);
        page_ = sheet_->FileTypesPage();
        active_ = Find<QListWidget>(page_, "activeTypes");
        inactive_ = Find<QListWidget>(page_, "inactiveTypes");
        newType_ = Find<QLineEdit>(page_, "newType");
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

    void Press(const char* button) { Click(page_, button); }

    void Create(const char* text) {
        newType_->setText(QString::fromUtf8(text));
        Press("create");
    }

    bool Modified() const { return sheet_->ApplyButton()->isEnabled(); }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : user_.messages) {
            EXPECT_EQ(m.icon, toolkit::MessageIcon::Information);
            EXPECT_EQ(m.buttons, toolkit::MessageButtons::Ok);
            texts.push_back(m.text);
        }
        return texts;
    }

    std::unique_ptr<Sheet> sheet_;
    CPropPageFileTypes* page_ = nullptr;
    QListWidget* active_ = nullptr;
    QListWidget* inactive_ = nullptr;
    QLineEdit* newType_ = nullptr;
};

TEST_F(FileTypesTest, ListsAreSortedIgnoringLetterCaseWhateverTheStoreOrder) {
    Open({"wav", "MP3", "ogg", "Cda", "aac"}, {"xm", "669", "Mod", "it"});
    EXPECT_EQ(page_->ActiveTypes(), (Types{"aac", "Cda", "MP3", "ogg", "wav"}));
    EXPECT_EQ(page_->InactiveTypes(), (Types{"669", "it", "Mod", "xm"}));
    EXPECT_EQ(Selected(active_), "<none>");
    EXPECT_EQ(Selected(inactive_), "<none>");
    EXPECT_TRUE(newType_->text().isEmpty());
    EXPECT_FALSE(Modified());
}

TEST_F(FileTypesTest, ActivateMovesIntoPlaceAndSelectsTheNeighbour) {
    Open({"mp3", "wav"}, {"aac", "mid", "ogg"});
    Select(active_, "wav");
    Select(inactive_, "mid");
    Press("activate");
    EXPECT_EQ(page_->ActiveTypes(), (Types{"mid", "mp3", "wav"}));
    EXPECT_EQ(page_->InactiveTypes(), (Types{"aac", "ogg"}));
    EXPECT_EQ(Selected(inactive_), "ogg");  // the item that took the place
    EXPECT_EQ(Selected(active_), "wav");    // the target keeps its selection
    EXPECT_TRUE(Modified());
    EXPECT_TRUE(user_.systemSounds.empty());
    // The last item gone: the new last one is selected; the list emptied: nothing is.
    Press("activate");
    EXPECT_EQ(Selected(inactive_), "aac");
    Press("activate");
    EXPECT_EQ(Selected(inactive_), "<none>");
    EXPECT_EQ(page_->ActiveTypes(), (Types{"aac", "mid", "mp3", "ogg", "wav"}));
    Press("activate");
    EXPECT_EQ(user_.systemSounds, (std::vector<int>{3}));
    EXPECT_TRUE(user_.messages.empty());
}

TEST_F(FileTypesTest, ActivateWithoutSelectionPlaysTheSoundAndMarksNothing) {
    Open({"mp3"}, {"aac", "ogg"});
    Press("activate");
    EXPECT_EQ(user_.systemSounds, (std::vector<int>{3}));
    EXPECT_FALSE(Modified());
    EXPECT_EQ(page_->InactiveTypes(), (Types{"aac", "ogg"}));
    page_->Activate(true);  // the double click's way: silent
    EXPECT_EQ(user_.systemSounds.size(), 1u);
    EXPECT_FALSE(Modified());
}

TEST_F(FileTypesTest, DeactivateSelectsTheFollowingItem) {
    Open({"a1", "b2", "c3", "d4", "e5"}, {});
    Select(active_, "c3");
    Press("deactivate");
    EXPECT_EQ(Selected(active_), "d4");
    EXPECT_EQ(page_->InactiveTypes(), (Types{"c3"}));
    Select(active_, "e5");
    Press("deactivate");
    EXPECT_EQ(Selected(active_), "d4");
    EXPECT_EQ(page_->ActiveTypes(), (Types{"a1", "b2", "d4"}));
    EXPECT_EQ(page_->InactiveTypes(), (Types{"c3", "e5"}));
    EXPECT_TRUE(user_.messages.empty());
}

TEST_F(FileTypesTest, RemovingTheLastActiveTypeWarnsOnceAndTheMoveStands) {
    Open({"mp3"}, {"ogg"});
    Press("deactivate");  // nothing selected
    EXPECT_EQ(user_.systemSounds, (std::vector<int>{3}));
    EXPECT_FALSE(Modified());
    Select(active_, "mp3");
    Press("deactivate");
    EXPECT_EQ(MessageTexts(), (Types{GetText("IDS_TL_MB_LAST_ACTIVE_FILE_TYPE_REMOVED")}));
    EXPECT_TRUE(page_->ActiveTypes().empty());
    EXPECT_EQ(page_->InactiveTypes(), (Types{"mp3", "ogg"}));
    EXPECT_TRUE(Modified());
    Press("deactivate");  // the list is empty now: only the sound
    EXPECT_EQ(user_.messages.size(), 1u);
    EXPECT_EQ(user_.systemSounds, (std::vector<int>{3, 3}));
    // An empty active list is stored as such.
    sheet_->accept();
    Types active, inactive;
    LoadFileTypeLists(active, inactive);
    EXPECT_TRUE(active.empty());
    EXPECT_EQ(inactive, (Types{"mp3", "ogg"}));
}

TEST_F(FileTypesTest, DoubleClicksMoveQuietly) {
    Open({"mp3", "wav"}, {"ogg"});
    QListWidgetItem* ogg = inactive_->item(0);
    const QPoint oggAt = inactive_->visualItemRect(ogg).center();
    QTest::mouseClick(inactive_->viewport(), Qt::LeftButton, {}, oggAt);
    QTest::mouseDClick(inactive_->viewport(), Qt::LeftButton, {}, oggAt);
    EXPECT_EQ(page_->ActiveTypes(), (Types{"mp3", "ogg", "wav"}));
    EXPECT_TRUE(page_->InactiveTypes().empty());
    const QPoint mp3At = active_->visualItemRect(active_->item(0)).center();
    QTest::mouseClick(active_->viewport(), Qt::LeftButton, {}, mp3At);
    QTest::mouseDClick(active_->viewport(), Qt::LeftButton, {}, mp3At);
    EXPECT_EQ(page_->ActiveTypes(), (Types{"ogg", "wav"}));
    EXPECT_EQ(page_->InactiveTypes(), (Types{"mp3"}));
    EXPECT_TRUE(Modified());
    // With nothing to move the double click's way stays silent.
    active_->clearSelection();
    page_->Deactivate(true);
    EXPECT_TRUE(user_.systemSounds.empty());
    EXPECT_TRUE(user_.messages.empty());
}

TEST_F(FileTypesTest, QuietDeactivateStillWarnsAboutTheEmptyList) {
    Open({"mp3"}, {});
    Select(active_, "mp3");
    page_->Deactivate(true);
    EXPECT_EQ(MessageTexts(), (Types{GetText("IDS_TL_MB_LAST_ACTIVE_FILE_TYPE_REMOVED")}));
}

TEST_F(FileTypesTest, NewTypeIsAddedInactiveAndSelected) {
    Open({"mp3"}, {"aac", "ogg"});
    Select(inactive_, "aac");
    Create("flac");
    EXPECT_EQ(page_->InactiveTypes(), (Types{"aac", "flac", "ogg"}));
    EXPECT_EQ(Selected(inactive_), "flac");
    EXPECT_TRUE(newType_->text().isEmpty());
    EXPECT_TRUE(Modified());
    EXPECT_TRUE(user_.messages.empty());
    Create("flac");
    EXPECT_EQ(MessageTexts(), (Types{GetText("IDS_TL_MB_ERR_FILE_TYPE_EXISTS")}));
    EXPECT_EQ(newType_->text(), "flac");  // kept for correction
    Create("mp3");                        // an active type exists as well
    EXPECT_EQ(user_.messages.size(), 2u);
    // Taken as typed: letter case and blanks count.
    Create("FLAC");
    Create(" flac");
    EXPECT_EQ(user_.messages.size(), 2u);
    EXPECT_EQ(page_->InactiveTypes(), (Types{" flac", "aac", "flac", "FLAC", "ogg"}));
    EXPECT_EQ(Selected(inactive_), " flac");
}

TEST_F(FileTypesTest, NewTypeChecksInOrder) {
    Open({"mp3"}, {});
    Create("");
    EXPECT_EQ(MessageTexts(), (Types{GetText("IDS_TL_MB_ERR_EMPTY_NEW_FILE_TYPE")}));
    user_.messages.clear();
    for (const char* bad :
         {".flac", "fl ac?", "a|b", "a\\b", "a/b", "a:b", "a*b", "a\"b", "a<b", "a>b", "mp3."}) {
        SCOPED_TRACE(bad);
        Create(bad);
        EXPECT_EQ(MessageTexts(), (Types{GetText("IDS_TL_MB_ERR_INVALID_FILE_TYPE")}));
        EXPECT_EQ(newType_->text().toStdString(), bad);
        user_.messages.clear();
    }
    // Invalid characters are found before a name that exists is.
    Open({"mp3"}, {});
    Create("mp3|");
    EXPECT_EQ(MessageTexts(), (Types{GetText("IDS_TL_MB_ERR_INVALID_FILE_TYPE")}));
    user_.messages.clear();
    Create("müsik");  // letters beyond ASCII are fine
    EXPECT_TRUE(user_.messages.empty());
    EXPECT_EQ(page_->InactiveTypes(), (Types{"müsik"}));
}

TEST_F(FileTypesTest, ANewTypeIsNeverTooLongForTheStoreToReadBack) {
    // A stored name beyond 255 characters would end the reading of the lists there and
    // lose every type stored after it.
    Open({"mp3"}, {"zip"});
    Create(std::string(300, 'a').c_str());
    const std::string longest(255, 'a');
    EXPECT_EQ(page_->InactiveTypes(), (Types{longest, "zip"}));
    sheet_->accept();
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
    Select(active_, "mp3");  // an active type cannot be deleted
    Press("delete");
    EXPECT_EQ(user_.messages.size(), 2u);
    EXPECT_EQ(page_->ActiveTypes(), (Types{"mp3"}));
    Select(inactive_, "mid");
    Press("delete");
    EXPECT_EQ(page_->InactiveTypes(), (Types{"aac", "ogg"}));
    EXPECT_EQ(Selected(inactive_), "ogg");
    EXPECT_TRUE(Modified());
    Press("delete");
    EXPECT_EQ(Selected(inactive_), "aac");
    Press("delete");
    EXPECT_TRUE(page_->InactiveTypes().empty());
    Press("delete");
    EXPECT_EQ(user_.messages.size(), 3u);
    EXPECT_EQ(user_.messages.size(), MessageTexts().size());
    EXPECT_TRUE(user_.systemSounds.empty());
}

TEST_F(FileTypesTest, ApplyStoresTheDisplayedListsAndCancelDiscardsThem) {
    Open({"wav", "mp3"}, {"ogg", "aac"});
    Select(inactive_, "ogg");
    Press("activate");
    Create("flac");
    sheet_->reject();
    Types active, inactive;
    LoadFileTypeLists(active, inactive);
    EXPECT_EQ(active, (Types{"wav", "mp3"}));
    EXPECT_EQ(inactive, (Types{"ogg", "aac"}));

    Open({"wav", "mp3"}, {"ogg", "aac"});
    Select(inactive_, "ogg");
    Press("activate");
    Create("flac");
    QTest::mouseClick(sheet_->ApplyButton(), Qt::LeftButton);
    LoadFileTypeLists(active, inactive);
    EXPECT_EQ(active, (Types{"mp3", "ogg", "wav"}));
    EXPECT_EQ(inactive, (Types{"aac", "flac"}));
}

}  // namespace
