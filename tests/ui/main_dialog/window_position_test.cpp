#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QWindow>

#include "main_dialog_fixture.h"
#include "ui/toolkit/window_position.h"

using Id = CTracklaceDlg::ControlId;

namespace {

TEST(WindowPositionTest, CoordinatesBeyondTheScreenBecomeAThirdOfIt) {
    EXPECT_EQ(toolkit::ClampToScreenSize({5000, 200}, {1280, 1024}), QPoint(426, 200));
    EXPECT_EQ(toolkit::ClampToScreenSize({200, 1025}, {1280, 1024}), QPoint(200, 341));
    // On the edge is still on the screen.
    EXPECT_EQ(toolkit::ClampToScreenSize({1280, 1024}, {1280, 1024}), QPoint(1280, 1024));
}

TEST(WindowPositionTest, ATitleBarNoScreenShowsComesBackOntoTheNearestScreen) {
    const QList<QRect> screens{{0, 0, 1366, 738}, {1366, 0, 1920, 1050}};
    const QSize frame(600, 500);
    // Grabbable on the first or the second screen, across both: left alone.
    EXPECT_EQ(toolkit::KeepTitleBarOnScreen({{100, 100}, frame}, 20, screens), QPoint(100, 100));
    EXPECT_EQ(toolkit::KeepTitleBarOnScreen({{2000, 900}, frame}, 20, screens), QPoint(2000, 900));
    EXPECT_EQ(toolkit::KeepTitleBarOnScreen({{1000, 300}, frame}, 20, screens), QPoint(1000, 300));
    // Below the first screen (the second one is taller): onto the first, as a whole.
    EXPECT_EQ(toolkit::KeepTitleBarOnScreen({{100, 730}, frame}, 20, screens), QPoint(100, 238));
    // Beyond the right edge of everything: onto the second screen.
    EXPECT_EQ(toolkit::KeepTitleBarOnScreen({{3250, 100}, frame}, 20, screens), QPoint(2686, 100));
    // Only a sliver shows: not enough to grab it.
    EXPECT_EQ(toolkit::KeepTitleBarOnScreen({{3236, 100}, frame}, 20, screens), QPoint(2686, 100));
    // Larger than the screen: the title bar and the left edge stay on it.
    EXPECT_EQ(toolkit::KeepTitleBarOnScreen(QRect(-900, -50, 2000, 1200), 20, screens),
              QPoint(0, 0));
}

// The offscreen platform frames a window with a border of its own, which the window knows
// as soon as it exists: a frame of known size.
class WindowPositionOverStarts : public MainDialogTest {
protected:
    QPoint FrameInset() {
        const QMargins frame = Dialog().windowHandle()->frameMargins();
        return {frame.left(), frame.top()};
    }
};

TEST_F(WindowPositionOverStarts, TheFramesCornerStaysPutOverFiveStarts) {
    ASSERT_NE(FrameInset(), QPoint(0, 0));
    SetPropertyInt("prop_WindowPositionX", 150);
    SetPropertyInt("prop_WindowPositionY", 120);
    for (int start = 1; start <= 5; ++start) {
        SCOPED_TRACE(start);
        Open();
        EXPECT_EQ(Dialog().frameGeometry().topLeft(), QPoint(150, 120));
        EXPECT_EQ(Dialog().geometry().topLeft(), QPoint(150, 120) + FrameInset());
        Dialog().close();
        // The stored corner is the frame's, and the frame is noted beside it.
        EXPECT_EQ(GetPropertyInt("prop_WindowPositionX", 0), 150);
        EXPECT_EQ(GetPropertyInt("prop_WindowPositionY", 0), 120);
        EXPECT_EQ(GetPropertyInt("prop_WindowFrameLeft", -1), FrameInset().x());
        EXPECT_EQ(GetPropertyInt("prop_WindowFrameTop", -1), FrameInset().y());
    }
}

TEST_F(WindowPositionOverStarts, ATitleBarOffTheScreenComesBack) {
    const QRect screen = Dialog().screen()->availableGeometry();
    SetPropertyInt("prop_WindowPositionX", screen.right() - 10);
    SetPropertyInt("prop_WindowPositionY", screen.bottom() - 5);
    Open();
    const QRect frame = Dialog().frameGeometry();
    EXPECT_LE(frame.left() + 100, screen.right() + 1);
    EXPECT_GE(frame.top(), screen.top());
    EXPECT_LE(frame.top() + Dialog().fontMetrics().height(), screen.bottom() + 1);
}

TEST_F(WindowPositionOverStarts, AMinimisedStartLeavesTheStoredCornerAlone) {
    SetPropertyInt("prop_WindowPositionX", 150);
    SetPropertyInt("prop_WindowPositionY", 120);
    SetPropertyInt("prop_IsIconic", 1);
    Open();
    EXPECT_TRUE(Dialog().isMinimized());
    EXPECT_NE(Dialog().frameGeometry().topLeft(), QPoint(150, 120));
}

TEST_F(MainDialogTest, CtrlDeleteInTheNameFieldDeletesAWordThereNotAnEntry) {
    AddFiles({m_music / "a.mp3", m_music / "b.mp3"});
    List().SelectRow(0);
    QLineEdit* name = Edit(Id::kPlaylistName);
    name->setText("Summer Party");
    name->setFocus();
    name->setCursorPosition(7);
    QKeyEvent ctrlDelete(QEvent::KeyPress, Qt::Key_Delete, Qt::ControlModifier);
    QCoreApplication::sendEvent(name, &ctrlDelete);
    EXPECT_EQ(name->text(), "Summer ");
    EXPECT_EQ(Entries().size(), 2u);
    EXPECT_TRUE(m_user.systemSounds.empty());

    // Everywhere else it still removes the selected entry, read-only fields included.
    QCoreApplication::sendEvent(Edit(Id::kSaveLocation), &ctrlDelete);
    EXPECT_EQ(Entries().size(), 1u);
    QCoreApplication::sendEvent(&List(), &ctrlDelete);
    EXPECT_EQ(Entries().size(), 0u);
}

}  // namespace
