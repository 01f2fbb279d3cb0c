#include <QApplication>
#include <QToolBar>
#include <QToolButton>

#include "main_dialog_fixture.h"
#include "tests/support/contrast_probe.h"
#include "tests/support/dark_palette.h"
#include "ui/main_dialog/toolbar_band.h"
#include "ui/toolkit/contrast.h"

namespace {

TEST(ContrastTest, RatiosOfTheAccessibilityGuidelines) {
    EXPECT_NEAR(toolkit::ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(toolkit::ContrastRatio(Qt::white, Qt::white), 1.0, 1e-9);
    // #777777 on white is the classic example just under 4.5.
    EXPECT_NEAR(toolkit::ContrastRatio(QColor(0x77, 0x77, 0x77), Qt::white), 4.48, 0.01);
    // A text colour that does not read is replaced by black or white, whichever reads.
    EXPECT_EQ(toolkit::ReadableTextColor(Qt::white, {QColor(230, 235, 242)}), QColor(Qt::black));
    EXPECT_EQ(toolkit::ReadableTextColor(Qt::black, {QColor(40, 40, 40)}), QColor(Qt::white));
    EXPECT_EQ(toolkit::ReadableTextColor(QColor(20, 20, 90), {Qt::white}), QColor(20, 20, 90));
    EXPECT_EQ(toolkit::Mix(Qt::white, Qt::black, 0.04), QColor(245, 245, 245));
}

// The window in the desktop's light scheme and in a dark one set in code.
class ColourSchemeTest : public MainDialogTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        m_oldPalette = QApplication::palette();
        if (GetParam()) {
            QApplication::setPalette(DarkPalette());
        }
        MainDialogTest::SetUp();
    }
    void TearDown() override {
        MainDialogTest::TearDown();
        QApplication::setPalette(m_oldPalette);
    }
    QPalette m_oldPalette;
};

TEST_P(ColourSchemeTest, EveryToolbarLabelReadsOnTheBand) {
    auto* band = qobject_cast<CToolbarBand*>(Dialog().GetToolbarBand());
    ASSERT_NE(band, nullptr);
    // A dark scheme gets a dark band, not the light picture.
    EXPECT_EQ(band->ShowsPicture(), !GetParam());
    const QImage picture = band->grab().toImage();
    QToolBar* toolbar = Dialog().GetToolbar();
    for (QAction* action : toolbar->actions()) {
        auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(action));
        ASSERT_NE(button, nullptr);
        SCOPED_TRACE(button->text().toStdString());
        // The label: right of the icon, within the button.
        QRect label(button->mapTo(band, QPoint(0, 0)), button->size());
        label.setLeft(label.left() + toolbar->iconSize().width() + 4);
        EXPECT_GE(MeasuredTextContrast(picture, label), toolkit::kReadableContrast);
    }
}

INSTANTIATE_TEST_SUITE_P(LightAndDark, ColourSchemeTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Dark" : "Light"; });

}  // namespace
