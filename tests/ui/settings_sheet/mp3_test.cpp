#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "tests/ui/settings_sheet/sheet_fixture.h"
#include "ui/settings_sheet/prop_page_mp3.h"

namespace {

using Sheet = CPropSheetSettings;

class Mp3PageTest : public SheetTest {
protected:
    void Open() {
        sheet_ = std::make_unique<Sheet>();
        sheet_->show();
        sheet_->SelectPage(Sheet::kMP3);
        mask_ = Find<QLineEdit>(sheet_.get(), "titleMask");
        preview_ = Find<QLineEdit>(sheet_.get(), "titlePreview");
    }

    // Replaces the mask the way a user does: select everything, type the new text.
    std::string Type(const char* text) {
        mask_->setFocus();
        mask_->selectAll();
        if (*text == '\0') {
            QTest::keyClick(mask_, Qt::Key_Delete);
        } else {
            QTest::keyClicks(mask_, QString::fromUtf8(text));
        }
        EXPECT_EQ(mask_->text().toStdString(), text);
        return preview_->text().toStdString();
    }

    std::unique_ptr<Sheet> sheet_;
    QLineEdit* mask_ = nullptr;
    QLineEdit* preview_ = nullptr;
};

TEST_F(Mp3PageTest, ShowsTheStoredValuesAndTheirPreview) {
    Open();
    EXPECT_TRUE(Find<QCheckBox>(sheet_.get(), "readTags")->isChecked());
    EXPECT_EQ(mask_->text(), "%3 - %2");
    EXPECT_EQ(preview_->text(), "<Album> - <Title>");
    EXPECT_TRUE(preview_->isReadOnly());
    EXPECT_EQ(preview_->palette().color(QPalette::Base), QColor(245, 245, 245));
    // Putting the stored mask in place is no change.
    EXPECT_FALSE(sheet_->ApplyButton()->isEnabled());

    SetPropertyInt("prop_ReadID3Tags", 0);
    SetPropertyString("prop_TitleMask", "%1 (%4)");
    Open();
    EXPECT_FALSE(Find<QCheckBox>(sheet_.get(), "readTags")->isChecked());
    EXPECT_EQ(preview_->text(), "<Artist> (<Year>)");
}

TEST_F(Mp3PageTest, PreviewFollowsTheTypedMaskInEnglish) {
    Open();
    EXPECT_EQ(Type("%1"), "<Artist>");
    EXPECT_TRUE(sheet_->ApplyButton()->isEnabled());
    EXPECT_EQ(Type("%1%1"), "<Artist><Artist>");
    EXPECT_EQ(Type("%3 - %6 %2"), "<Album> - <Track #> <Title>");
    EXPECT_EQ(Type("%4 %5"), "<Year> <Genre>");
    EXPECT_EQ(Type("%7 %a 100%"), "%7 %a 100%");
    EXPECT_EQ(Type("%%1"), "%<Artist>");
    EXPECT_EQ(Type("%10"), "<Artist>0");
    EXPECT_EQ(Type("plain"), "plain");
    EXPECT_EQ(Type(""), "");
}

TEST_F(Mp3PageTest, PreviewUsesTheGermanNames) {
    UseLanguage(false);
    Open();
    EXPECT_EQ(Type("%6"), "<Lied #>");
    const std::string expected = "<" + GetText("IDS_TL_SETTINGS_MP3_VARIABLE_ALBUM") + "> - <" +
                                 GetText("IDS_TL_SETTINGS_MP3_VARIABLE_TITLE") + ">";
    EXPECT_NE(expected, "<Album> - <Title>");
    EXPECT_EQ(Type("%3 - %2"), expected);
    for (int i = 1; i <= 6; ++i) {
        EXPECT_EQ(Type(("%" + std::to_string(i)).c_str()).find('<'), 0u);
    }
}

TEST_F(Mp3PageTest, TypingInTheMiddleIsNotDisturbed) {
    SetPropertyString("prop_TitleMask", "%1%2");
    Open();
    mask_->setFocus();
    mask_->setCursorPosition(2);
    QTest::keyClicks(mask_, " - ");
    EXPECT_EQ(mask_->text(), "%1 - %2");
    EXPECT_EQ(mask_->cursorPosition(), 5);
    EXPECT_EQ(preview_->text(), "<Artist> - <Title>");
    // The edit history of the field survives the preview updates.
    ASSERT_TRUE(mask_->isUndoAvailable());
    mask_->undo();
    EXPECT_EQ(mask_->text(), "%1%2");
    EXPECT_EQ(preview_->text(), "<Artist><Title>");
    // A selection made with the keyboard is replaced by what is typed over it.
    mask_->setCursorPosition(0);
    QTest::keyClick(mask_, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(mask_, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(mask_->selectedText(), "%1");
    QTest::keyClicks(mask_, "%3");
    EXPECT_EQ(mask_->text(), "%3%2");
    EXPECT_EQ(mask_->cursorPosition(), 2);
}

TEST_F(Mp3PageTest, StoresTheMaskExactlyAsTyped) {
    Open();
    Type("");
    sheet_->accept();
    EXPECT_EQ(Stored("prop_TitleMask"), "");
    EXPECT_EQ(StoredInt("prop_ReadID3Tags"), 1);

    Open();
    Type(" %2  ");
    sheet_->accept();
    EXPECT_EQ(Stored("prop_TitleMask"), " %2  ");
}

TEST_F(Mp3PageTest, OnlyTheCheckBoxChangedStoresBothValues) {
    SetPropertyString("prop_TitleMask", "%2 [%1]");
    Open();
    Click(sheet_.get(), "readTags");
    EXPECT_TRUE(sheet_->ApplyButton()->isEnabled());
    // Switching the tags off leaves the mask alone.
    EXPECT_TRUE(mask_->isEnabled());
    EXPECT_EQ(mask_->text(), "%2 [%1]");
    QTest::mouseClick(sheet_->OkButton(), Qt::LeftButton);
    EXPECT_EQ(StoredInt("prop_ReadID3Tags"), 0);
    EXPECT_EQ(Stored("prop_TitleMask"), "%2 [%1]");
}

}  // namespace
