#include <QApplication>
#include <QFont>
#include <QLineEdit>

#include "main_dialog_fixture.h"
#include "ui/settings_sheet/prop_page.h"
#include "ui/settings_sheet/prop_sheet_settings.h"
#include "ui/toolkit/dialog_units.h"

using Id = CTracklaceDlg::ControlId;

namespace {

// A font whose average letter width is an odd number of pixels, and whose width rounded
// and truncated differ: there a quarter of it leaves a half pixel that the two classic
// formulas treat differently, so a window with a formula of its own would stand out.
QFont FontThatShowsRounding() {
    QFont font = QApplication::font();
    for (int pixels = 9; pixels < 40; ++pixels) {
        font.setPixelSize(pixels);
        const int letters = QFontMetrics(font).horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        const int rounded = (letters / 26 + 1) / 2;
        if (rounded % 2 == 1 && rounded != letters / 52) {
            return font;
        }
    }
    return font;
}

TEST(DialogUnitsTest, RoundsEveryProductToTheNearestPixel) {
    // 7 / 4 = 1.75 and 13 / 8 = 1.625 round up; 3.5 and 6.5 go away from zero.
    EXPECT_EQ(toolkit::DialogUnitsToPixels(QSize(7, 13), 1, 1), QSize(2, 2));
    EXPECT_EQ(toolkit::DialogUnitsToPixels(QSize(7, 13), 2, 4), QSize(4, 7));
    EXPECT_EQ(toolkit::DialogUnitsToPixels(QSize(7, 13), -2, -4), QSize(-4, -7));
    EXPECT_EQ(toolkit::DialogUnitsToPixels(QSize(6, 16), 330, 215), QSize(495, 430));
    EXPECT_EQ(toolkit::DialogUnitsToPixels(QSize(7, 13), 0, 0), QSize(0, 0));
}

class DialogUnitsAcrossWindows : public MainDialogTest {
protected:
    void SetUp() override {
        m_oldFont = QApplication::font();
        QApplication::setFont(FontThatShowsRounding());
        MainDialogTest::SetUp();
    }
    void TearDown() override {
        MainDialogTest::TearDown();
        QApplication::setFont(m_oldFont);
    }
    QFont m_oldFont;
};

TEST_F(DialogUnitsAcrossWindows, MainWindowAndSettingsPageGiveTheSamePixels) {
    CPropSheetSettings sheet;
    CPropPage* page = sheet.PageAt(CPropSheetSettings::kGeneralSettings);
    ASSERT_EQ(page->font(), Dialog().font());
    const QSize base = toolkit::DialogBaseUnits(page->font());
    ASSERT_EQ(base.width() % 2, 1) << "no font here shows the rounding";

    // The name field is 114 units wide in the main window; a page converts the same units.
    const int nameWidth = Dialog().GetControl(Id::kPlaylistName)->minimumWidth();
    EXPECT_EQ(nameWidth, toolkit::DialogUnitsToPixels(page, 114, 0).width());
    // A page is 330 by 215 units; the main window converts the same units.
    EXPECT_EQ(page->minimumSize(), toolkit::DialogUnitsToPixels(&Dialog(), 330, 215));
    // And both agree with the rounding rule: 114 / 4 of an odd unit ends in a half pixel.
    EXPECT_EQ(nameWidth, (114 * base.width() + 2) / 4);
}

}  // namespace
