#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "tests/support/contrast_probe.h"
#include "tests/support/dark_palette.h"
#include "tests/ui/settings_sheet/sheet_fixture.h"
#include "ui/settings_sheet/prop_page_mp3.h"

namespace {

using Sheet = CPropSheetSettings;

class Mp3PageTest : public SheetTest {
protected:
    void Open() {
        m_sheet = std::make_unique<Sheet>();
        m_sheet->show();
        m_sheet->SelectPage(Sheet::kMP3);
        m_mask = Find<QLineEdit>(m_sheet.get(), "titleMask");
        m_preview = Find<QLineEdit>(m_sheet.get(), "titlePreview");
    }

    // Replaces the mask the way a user does: select everything, type the new text.
    std::string Type(const char* text) {
        m_mask->setFocus();
        m_mask->selectAll();
        if (*text == '\0') {
            QTest::keyClick(m_mask, Qt::Key_Delete);
        } else {
            QTest::keyClicks(m_mask, QString::fromUtf8(text));
        }
        EXPECT_EQ(m_mask->text().toStdString(), text);
        return m_preview->text().toStdString();
    }

    std::unique_ptr<Sheet> m_sheet;
    QLineEdit* m_mask = nullptr;
    QLineEdit* m_preview = nullptr;
};

TEST_F(Mp3PageTest, ShowsTheStoredValuesAndTheirPreview) {
    Open();
    EXPECT_TRUE(Find<QCheckBox>(m_sheet.get(), "readTags")->isChecked());
    EXPECT_EQ(m_mask->text(), "%3 - %2");
    EXPECT_EQ(m_preview->text(), "<Album> - <Title>");
    EXPECT_TRUE(m_preview->isReadOnly());
    EXPECT_EQ(m_preview->palette().color(QPalette::Base), QColor(245, 245, 245));
    // Putting the stored mask in place is no change.
    EXPECT_FALSE(m_sheet->ApplyButton()->isEnabled());

    SetPropertyInt("prop_ReadID3Tags", 0);
    SetPropertyString("prop_TitleMask", "%1 (%4)");
    Open();
    EXPECT_FALSE(Find<QCheckBox>(m_sheet.get(), "readTags")->isChecked());
    EXPECT_EQ(m_preview->text(), "<Artist> (<Year>)");
}

TEST_F(Mp3PageTest, PreviewFollowsTheTypedMaskInEnglish) {
    Open();
    EXPECT_EQ(Type("%1"), "<Artist>");
    EXPECT_TRUE(m_sheet->ApplyButton()->isEnabled());
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
    m_mask->setFocus();
    m_mask->setCursorPosition(2);
    QTest::keyClicks(m_mask, " - ");
    EXPECT_EQ(m_mask->text(), "%1 - %2");
    EXPECT_EQ(m_mask->cursorPosition(), 5);
    EXPECT_EQ(m_preview->text(), "<Artist> - <Title>");
    // The edit history of the field survives the preview updates.
    ASSERT_TRUE(m_mask->isUndoAvailable());
    m_mask->undo();
    EXPECT_EQ(m_mask->text(), "%1%2");
    EXPECT_EQ(m_preview->text(), "<Artist><Title>");
    // A selection made with the keyboard is replaced by what is typed over it.
    m_mask->setCursorPosition(0);
    QTest::keyClick(m_mask, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(m_mask, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(m_mask->selectedText(), "%1");
    QTest::keyClicks(m_mask, "%3");
    EXPECT_EQ(m_mask->text(), "%3%2");
    EXPECT_EQ(m_mask->cursorPosition(), 2);
}

TEST_F(Mp3PageTest, StoresTheMaskExactlyAsTyped) {
    Open();
    Type("");
    m_sheet->accept();
    EXPECT_EQ(Stored("prop_TitleMask"), "");
    EXPECT_EQ(StoredInt("prop_ReadID3Tags"), 1);

    Open();
    Type(" %2  ");
    m_sheet->accept();
    EXPECT_EQ(Stored("prop_TitleMask"), " %2  ");
}

TEST_F(Mp3PageTest, OnlyTheCheckBoxChangedStoresBothValues) {
    SetPropertyString("prop_TitleMask", "%2 [%1]");
    Open();
    Click(m_sheet.get(), "readTags");
    EXPECT_TRUE(m_sheet->ApplyButton()->isEnabled());
    // Switching the tags off leaves the mask alone.
    EXPECT_TRUE(m_mask->isEnabled());
    EXPECT_EQ(m_mask->text(), "%2 [%1]");
    QTest::mouseClick(m_sheet->OkButton(), Qt::LeftButton);
    EXPECT_EQ(StoredInt("prop_ReadID3Tags"), 0);
    EXPECT_EQ(Stored("prop_TitleMask"), "%2 [%1]");
}

}  // namespace

namespace {

TEST_F(Mp3PageTest, ThePreviewReadsInADarkScheme) {
    const QPalette old = QApplication::palette();
    QApplication::setPalette(DarkPalette());
    Open();
    const QColor field = m_preview->palette().color(QPalette::Base);
    // Set apart from the editable mask, and as dark as the scheme.
    EXPECT_NE(field, m_mask->palette().color(QPalette::Base));
    EXPECT_LT(field.lightness(), 128);
    const QImage picture = m_preview->grab().toImage();
    EXPECT_GE(MeasuredTextContrast(picture, m_preview->rect().adjusted(3, 3, -3, -3)),
              toolkit::kReadableContrast);
    m_sheet.reset();
    QApplication::setPalette(old);
}

}  // namespace
