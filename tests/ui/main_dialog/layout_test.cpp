#include <QApplication>
#include <QScreen>

#include "main_dialog_fixture.h"
#include "settings/language/language.h"
#include "tests/support/text_fits.h"
#include "ui/progress/create_playlist_dlg.h"
#include "ui/toolkit/dialog_units.h"

namespace {

// The main window and the progress dialog in both languages (the settings sheet has tests
// of its own); run again at 144 DPI and at a scale factor of 1.5.
using WindowLayoutTest = MainDialogInLanguageTest;

TEST_P(WindowLayoutTest, EveryTextOfTheMainWindowFits) {
    AddFiles({m_music / "a.mp3", m_music / "b.ogg"});
    QCoreApplication::processEvents();
    ExpectEveryTextFits(&Dialog(), 6);
    // At the normal font the whole window fits a 1366 x 768 screen.
    if (Dialog().devicePixelRatioF() == 1.0) {
        EXPECT_LE(Dialog().frameGeometry().width(), 1366);
        EXPECT_LE(Dialog().frameGeometry().height(), 768);
    }
}

TEST_P(WindowLayoutTest, TheMainWindowFitsTheScreenByItsListAlone) {
    // The window fits itself again once it is on screen with its texts laid out.
    QCoreApplication::processEvents();
    const QRect screen = Dialog().screen()->availableGeometry();
    const int tall = Dialog().frameGeometry().height();
    const int listHeight = Dialog().GetList()->height();
    const int buttonHeight = Dialog().GetControl(CTracklaceDlg::kMoveUp)->height();
    if (Dialog().devicePixelRatioF() == 1.0) {
        // Room enough: the list is its full 144 units.
        EXPECT_LE(tall, screen.height());
        EXPECT_EQ(listHeight, toolkit::DialogUnitsToPixels(&Dialog(), 0, 144).height());
    } else if (tall > screen.height()) {
        // Too little room even so: the list has given all it can.
        EXPECT_EQ(buttonHeight, 28);
        EXPECT_LE(listHeight, 6 * 28 + 2);
    }
    // The list's buttons always fit beside it.
    EXPECT_LE(6 * buttonHeight, listHeight);
    ExpectEveryTextFits(&Dialog(), 6);
}

TEST_P(WindowLayoutTest, EveryTextOfTheProgressDialogFits) {
    CPlaylist playlist;
    // Shown but not started: its timer never runs here.
    CCreatePlaylistDlg progress(&playlist, &Dialog());
    progress.show();
    QCoreApplication::sendPostedEvents();
    ExpectEveryTextFits(&progress, 6);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, WindowLayoutTest, ::testing::Values(true, false),
                         MainDialogInLanguageTest::LanguageName);

}  // namespace
