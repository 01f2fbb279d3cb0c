#include <QAbstractButton>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QTreeWidget>

#include "settings/file_types/file_types.h"
#include "tests/support/text_fits.h"
#include "tests/ui/settings_sheet/sheet_fixture.h"
#include "ui/settings_sheet/prop_page.h"

namespace {

using Sheet = CPropSheetSettings;

// Every text of the page is looked up (no key shows), and every label and button has the
// room its text needs inside the page.
void ExpectNothingClipped(CPropPage* page) {
    ExpectEveryTextFits(page, 5);
}

void ExpectTreeReadable(QTreeWidget* tree) {
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = tree->topLevelItem(i);
        SCOPED_TRACE(item->text(0).toStdString());
        const QRect rect = tree->visualItemRect(item);
        const int needed =
            tree->iconSize().width() + tree->fontMetrics().horizontalAdvance(item->text(0));
        EXPECT_GE(tree->viewport()->width() - rect.left(), needed);
        EXPECT_GE(rect.height(), tree->fontMetrics().height());
    }
}

void ExpectEveryPageFits() {
    Sheet sheet;
    sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
    for (int page = 0; page < Sheet::kPageCount; ++page) {
        SCOPED_TRACE(page);
        sheet.SelectPage(page);
        QApplication::processEvents();
        ExpectNothingClipped(sheet.PageAt(page));
    }
    ExpectTreeReadable(sheet.PageTree());
    for (QAbstractButton* button : {sheet.OkButton(), sheet.CancelButton(), sheet.ApplyButton()}) {
        EXPECT_GE(button->width(), button->sizeHint().width());
        EXPECT_FALSE(button->text().contains("IDS_"));
    }
    // At the normal font the whole sheet fits a 1366 x 768 screen.
    if (sheet.devicePixelRatioF() == 1.0) {
        EXPECT_LE(sheet.frameGeometry().width(), 1366);
        EXPECT_LE(sheet.frameGeometry().height(), 768);
    }
}

TEST_F(SheetTest, EveryEnglishTextFits) {
    ExpectEveryPageFits();
}

TEST_F(SheetTest, EveryGermanTextFits) {
    UseLanguage(false);
    ExpectEveryPageFits();
}

// Pictures of every page in both languages for a person to look at, taken only when asked
// for: TRACKLACE_SHEET_SCREENSHOTS names the folder, and the program must run on a real
// X display (xvfb-run) for "import" to see it.
TEST_F(SheetTest, Screenshots) {
    const QByteArray folder = qgetenv("TRACKLACE_SHEET_SCREENSHOTS");
    if (folder.isEmpty() || QGuiApplication::platformName() != "xcb") {
        GTEST_SKIP() << "set TRACKLACE_SHEET_SCREENSHOTS and run under xvfb-run";
    }
    QDir().mkpath(QString::fromUtf8(folder));
    const char* names[] = {"general", "playlist", "file_types", "mp3"};
    for (bool english : {true, false}) {
        UseLanguage(english);
        WriteDefaultFileTypes();
        Sheet sheet;
        sheet.move(0, 0);
        sheet.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
        for (int page = 0; page < Sheet::kPageCount; ++page) {
            sheet.SelectPage(page);
            QTest::qWait(300);
            const QString file = QString::fromUtf8(folder) + "/sheet_" + (english ? "en_" : "de_") +
                                 names[page] + ".png";
            EXPECT_EQ(QProcess::execute("import", {"-window", "root", "-crop",
                                                   QString("%1x%2+0+0")
                                                       .arg(sheet.frameGeometry().width())
                                                       .arg(sheet.frameGeometry().height()),
                                                   file}),
                      0);
        }
    }
}

}  // namespace
