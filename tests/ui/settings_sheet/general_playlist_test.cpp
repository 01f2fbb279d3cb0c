#include <QCheckBox>
#include <QRadioButton>

#include "tests/ui/settings_sheet/sheet_fixture.h"
#include "ui/settings_sheet/prop_page_playlist.h"

namespace {

using Sheet = CPropSheetSettings;

bool Checked(QWidget* sheet, const char* name) {
    return sheet->findChild<QAbstractButton*>(name)->isChecked();
}

TEST_F(SheetTest, LanguageButtonsFollowTheExactCode) {
    struct Case {
        const char* stored;  // nullptr: nothing stored
        bool german;
    };
    for (const Case& c : {Case{"DE", true}, Case{"EN", false}, Case{"de", false}, Case{"FR", false},
                          Case{"", false}, Case{nullptr, false}}) {
        SCOPED_TRACE(c.stored ? c.stored : "(none)");
        if (c.stored != nullptr) {
            SetPropertyString("prop_Language", c.stored);
        }
        Sheet sheet;
        EXPECT_EQ(Checked(&sheet, "languageGerman"), c.german);
        EXPECT_EQ(Checked(&sheet, "languageEnglish"), !c.german);
        // Applied unchanged, every code other than German becomes "EN".
        sheet.accept();
        EXPECT_EQ(Stored("prop_Language"), c.german ? "DE" : "EN");
    }
}

TEST_F(SheetTest, GeneralCheckBoxesShowAndStoreTheirValues) {
    Sheet sheet;
    sheet.show();
    // Defaults on an empty hive: transparency off, single instance and sound on.
    EXPECT_FALSE(Checked(&sheet, "transparency"));
    EXPECT_TRUE(Checked(&sheet, "singleInstance"));
    EXPECT_TRUE(Checked(&sheet, "playSound"));
    Click(&sheet, "transparency");
    Click(&sheet, "singleInstance");
    Click(&sheet, "playSound");
    Click(&sheet, "languageGerman");
    sheet.accept();
    EXPECT_EQ(StoredInt("prop_Transparency"), 1);
    EXPECT_EQ(StoredInt("prop_SingleInstance"), 0);
    EXPECT_EQ(StoredInt("prop_PlaySound"), 0);
    EXPECT_EQ(Stored("prop_Language"), "DE");

    // Any non-zero value counts as ticked and is written back as 1.
    SetPropertyInt("prop_Transparency", 5);
    SetPropertyInt("prop_PlaySound", -1);
    Sheet again;
    EXPECT_TRUE(Checked(&again, "transparency"));
    EXPECT_FALSE(Checked(&again, "singleInstance"));
    EXPECT_TRUE(Checked(&again, "playSound"));
    EXPECT_TRUE(Checked(&again, "languageGerman"));
    again.accept();
    EXPECT_EQ(StoredInt("prop_Transparency"), 1);
    EXPECT_EQ(StoredInt("prop_PlaySound"), 1);
}

TEST_F(SheetTest, EveryClickMarksItsPageModified) {
    for (const char* name :
         {"languageGerman", "languageEnglish", "transparency", "singleInstance", "playSound",
          "insertTop", "insertBeforeSelection", "insertAfterSelection", "insertBottom",
          "saveAbsolute", "saveRelative", "autoName", "autoFolder", "readTags"}) {
        SCOPED_TRACE(name);
        Sheet sheet;
        sheet.show();
        for (int page = 0; page < Sheet::kPageCount; ++page) {
            sheet.SelectPage(page);
        }
        QAbstractButton* button = Find<QAbstractButton>(&sheet, name);
        for (int page = 0; page < Sheet::kPageCount; ++page) {
            if (sheet.PageAt(page)->isAncestorOf(button)) {
                sheet.SelectPage(page);
            }
        }
        ASSERT_FALSE(sheet.ApplyButton()->isEnabled());
        ClickButton(button);
        EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
    }
}

TEST_F(SheetTest, InsertPositionTextsAndButtons) {
    struct Case {
        const char* stored;
        const char* button;
        const char* writtenBack;
    };
    for (const Case& c :
         {Case{"Top", "insertTop", "Top"},
          Case{"BeforeSelection", "insertBeforeSelection", "BeforeSelection"},
          Case{"AfterSelection", "insertAfterSelection", "AfterSelection"},
          Case{"Bottom", "insertBottom", "Bottom"}, Case{"bottom", "insertBottom", "Bottom"},
          Case{"top", "insertBottom", "Bottom"}, Case{"Top ", "insertBottom", "Bottom"},
          Case{"", "insertBottom", "Bottom"}}) {
        SCOPED_TRACE(std::string("'") + c.stored + "'");
        SetPropertyString("prop_AddNewEntries", c.stored);
        Sheet sheet;
        sheet.SelectPage(Sheet::kPlaylist);
        EXPECT_TRUE(Checked(&sheet, c.button));
        sheet.accept();
        EXPECT_EQ(Stored("prop_AddNewEntries"), c.writtenBack);
    }
}

TEST_F(SheetTest, EveryInsertButtonStoresItsText) {
    const char* buttons[] = {"insertTop", "insertBeforeSelection", "insertAfterSelection",
                             "insertBottom"};
    const char* texts[] = {"Top", "BeforeSelection", "AfterSelection", "Bottom"};
    for (int i = 0; i < 4; ++i) {
        SetPropertyString("prop_AddNewEntries", i == 0 ? "Bottom" : "Top");
        Sheet sheet;
        sheet.show();
        sheet.SelectPage(Sheet::kPlaylist);
        Click(&sheet, buttons[i]);
        sheet.accept();
        EXPECT_EQ(Stored("prop_AddNewEntries"), texts[i]);
    }
}

TEST_F(SheetTest, SaveModeTextsAndButtons) {
    struct Case {
        const char* stored;  // nullptr: nothing stored
        bool absolute;
    };
    for (const Case& c : {Case{"Absolute", true}, Case{"Relative", false}, Case{"", false},
                          Case{"absolute", false}, Case{nullptr, false}}) {
        SCOPED_TRACE(c.stored ? c.stored : "(none)");
        if (c.stored != nullptr) {
            SetPropertyString("prop_SaveMode", c.stored);
        }
        Sheet sheet;
        sheet.show();
        sheet.SelectPage(Sheet::kPlaylist);
        EXPECT_EQ(Checked(&sheet, "saveAbsolute"), c.absolute);
        EXPECT_EQ(Checked(&sheet, "saveRelative"), !c.absolute);
        sheet.accept();
        EXPECT_EQ(Stored("prop_SaveMode"), c.absolute ? "Absolute" : "Relative");
    }
    Sheet sheet;
    sheet.show();
    sheet.SelectPage(Sheet::kPlaylist);
    Click(&sheet, "saveAbsolute");
    sheet.accept();
    EXPECT_EQ(Stored("prop_SaveMode"), "Absolute");
}

TEST_F(SheetTest, AutomaticNameAndFolder) {
    Sheet sheet;
    sheet.show();
    sheet.SelectPage(Sheet::kPlaylist);
    EXPECT_FALSE(Checked(&sheet, "autoName"));
    EXPECT_FALSE(Checked(&sheet, "autoFolder"));
    Click(&sheet, "autoFolder");
    sheet.accept();
    EXPECT_EQ(StoredInt("prop_AutoPlaylistName"), 0);
    EXPECT_EQ(StoredInt("prop_AutoPlaylistFolder"), 1);

    SetPropertyInt("prop_AutoPlaylistName", 3);
    Sheet again;
    again.SelectPage(Sheet::kPlaylist);
    EXPECT_TRUE(Checked(&again, "autoName"));
    EXPECT_TRUE(Checked(&again, "autoFolder"));
    again.accept();
    EXPECT_EQ(StoredInt("prop_AutoPlaylistName"), 1);
}

}  // namespace
