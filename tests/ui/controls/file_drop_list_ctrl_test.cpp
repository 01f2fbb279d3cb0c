#include "ui/controls/file_drop_list_ctrl.h"

#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QMimeData>
#include <QScreen>
#include <QStandardItemModel>
#include <QUrl>
#include <filesystem>

#include "tests/support/qt_test_application.h"
#include "tests/support/scripted_user_interaction.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

class FileDropListTest : public ::testing::Test, private WithTestApplication {
protected:
    void SetUp() override {
        TestApplication();
        m_model.setColumnCount(1);
        for (int i = 0; i < 50; ++i) {
            m_model.appendRow(new QStandardItem(QString("row %1").arg(i)));
        }
        m_list.setModel(&m_model);
        m_list.resize(300, 200);
        m_list.show();
        DropMode mode;
        mode.flags = DropMode::kAcceptFiles | DropMode::kAcceptFolders | DropMode::kCallback;
        mode.callback = [this](const DropNotification& n) {
            ++m_calls;
            m_paths = n.paths;
            m_dropIndex = n.dropIndex;
            m_selectedAtDrop = n.list->GetSelectedRow();
        };
        ASSERT_TRUE(m_list.SetDropMode(mode));
    }

    static QMimeData* Urls(const std::vector<std::string>& paths) {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const auto& path : paths) {
            urls << QUrl::fromLocalFile(QString::fromStdString(path));
        }
        data->setUrls(urls);
        return data;
    }

    QPoint RowPoint(int row) const { return m_list.visualRect(m_model.index(row, 0)).center(); }

    // A whole drag: enter, one move, then the drop, all at point.
    bool Drag(QMimeData* data, QPoint point) {
        std::unique_ptr<QMimeData> owned(data);
        QDragEnterEvent enter(point, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_list.viewport(), &enter);
        QDragMoveEvent move(point, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_list.viewport(), &move);
        QDropEvent drop(point, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_list.viewport(), &drop);
        return drop.isAccepted();
    }

    ScriptedUserInteraction m_user;
    TempFolder m_files;
    QStandardItemModel m_model;
    CFileDropListCtrl m_list;
    int m_calls = 0;
    std::vector<std::string> m_paths;
    int m_dropIndex = -2;
    int m_selectedAtDrop = -2;
};

TEST_F(FileDropListTest, MissingPathsAreLeftOutAndTheRestKeepsDropOrder) {
    const std::string first = m_files.File("b.mp3");
    const std::string third = m_files.File("a.mp3");
    EXPECT_TRUE(Drag(Urls({first, m_files / "missing.mp3", third}), RowPoint(2)));
    EXPECT_EQ(m_calls, 1);
    EXPECT_EQ(m_paths, (std::vector<std::string>{first, third}));
    EXPECT_EQ(m_dropIndex, 2);
    EXPECT_EQ(m_selectedAtDrop, 2);
    EXPECT_TRUE(m_user.systemSounds.empty());
    EXPECT_FALSE(m_list.IsDragAccepted());
}

TEST_F(FileDropListTest, BelowTheLastRowTheIndexIsMinusOne) {
    m_model.removeRows(3, 47);
    const std::string file = m_files.File("a.mp3");
    EXPECT_TRUE(Drag(Urls({file}), QPoint(20, m_list.viewport()->height() - 3)));
    EXPECT_EQ(m_dropIndex, -1);
    EXPECT_EQ(m_paths, std::vector<std::string>{file});
}

TEST_F(FileDropListTest, NothingAcceptableStillNotifiesOnceAndPlaysSystemHand) {
    EXPECT_FALSE(Drag(Urls({m_files / "gone.mp3"}), RowPoint(0)));
    EXPECT_EQ(m_calls, 1);
    EXPECT_TRUE(m_paths.empty());
    EXPECT_EQ(m_user.systemSounds, std::vector<int>{3});
}

TEST_F(FileDropListTest, DataWithoutFilesIsRefusedWhileDraggingAndDropsNothing) {
    auto* data = new QMimeData;
    data->setText("just text");
    std::unique_ptr<QMimeData> owned(data);
    QDragEnterEvent enter(RowPoint(1), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_list.viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_FALSE(m_list.IsDragAccepted());
    QDragMoveEvent move(RowPoint(1), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_list.viewport(), &move);
    EXPECT_EQ(m_list.GetSelectedRow(), -1);
    QDropEvent drop(RowPoint(1), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_list.viewport(), &drop);
    EXPECT_EQ(m_calls, 0);
    EXPECT_TRUE(m_user.systemSounds.empty());
}

TEST_F(FileDropListTest, LinksDeliverTheirTargetsAndDeadOnesNothing) {
    const std::string folder = m_files.Folder("Music Folder");
    const std::string song = m_files.File("song.mp3");
    fs::create_symlink(song, m_files.Path() / "song-link.mp3");
    fs::create_symlink(m_files / "gone.mp3", m_files.Path() / "dead-link.mp3");
    const std::string folderLink = m_files.File(
        "Music.desktop",
        "[Desktop Entry]\nType=Link\nName=Music\nURL=" +
            QUrl::fromLocalFile(QString::fromStdString(folder)).toString().toStdString() + "\n");
    const std::string deadLink = m_files.File(
        "Gone.desktop", "[Desktop Entry]\nType=Link\nURL=file://" + m_files / "nothing" + "\n");
    const std::string application =
        m_files.File("App.desktop", "[Desktop Entry]\nType=Application\nExec=true\n");

    EXPECT_TRUE(Drag(Urls({folderLink, deadLink, m_files / "song-link.mp3",
                           m_files / "dead-link.mp3", application}),
                     RowPoint(0)));
    // A link file that is not of Type=Link is an ordinary file.
    EXPECT_EQ(m_paths, (std::vector<std::string>{folder, m_files / "song-link.mp3", application}));
    EXPECT_EQ(CFileDropListCtrl::ResolveLink(folderLink), folder);
    EXPECT_EQ(CFileDropListCtrl::ResolveLink(song), "");
    EXPECT_EQ(CFileDropListCtrl::ResolveLink(application), "");
}

TEST_F(FileDropListTest, DraggingSelectsUnderThePointerAndScrollsAtTheEdges) {
    // Row 4 at the very top: 10 pixels down is inside the top zone, so row 3 comes into view.
    m_list.scrollTo(m_model.index(4, 0), QAbstractItemView::PositionAtTop);
    ASSERT_LT(m_list.visualRect(m_model.index(3, 0)).bottom(), 0);
    std::unique_ptr<QMimeData> data(Urls({m_files.File("a.mp3")}));
    QDragEnterEvent enter(QPoint(20, 10), Qt::CopyAction, data.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(m_list.viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDragMoveEvent top(QPoint(20, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_list.viewport(), &top);
    EXPECT_EQ(m_list.GetSelectedRow(), 4);
    EXPECT_GE(m_list.visualRect(m_model.index(3, 0)).top(), 0);

    // Near the bottom edge the row after the one under the pointer comes into view.
    const int height = m_list.viewport()->height();
    const QPoint nearBottom(20, height - 5);
    const int under = m_list.indexAt(nearBottom).row();
    ASSERT_GE(under, 0);
    ASSERT_GT(m_list.visualRect(m_model.index(under + 1, 0)).bottom(), height);
    QDragMoveEvent bottom(nearBottom, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_list.viewport(), &bottom);
    EXPECT_EQ(m_list.GetSelectedRow(), under);
    EXPECT_LE(m_list.visualRect(m_model.index(under + 1, 0)).bottom(), height);

    // Leaving takes the drag highlight away.
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(m_list.viewport(), &leave);
    EXPECT_EQ(m_list.GetSelectedRow(), -1);
    EXPECT_FALSE(m_list.IsDragAccepted());
}

// What the screen shows of the list (the window's backing store), not a fresh painting.
QColor OnScreen(QWidget& list, QPoint inViewport) {
    auto* view = qobject_cast<QAbstractScrollArea*>(&list);
    const QPoint at = view->viewport()->mapTo(&list, inViewport);
    const QImage shown = list.screen()->grabWindow(list.winId()).toImage();
    return shown.pixelColor(at * shown.devicePixelRatio());
}

TEST_F(FileDropListTest, LeavingRepaintsTheStripBesideTheLastColumn) {
    const QRect row = m_list.visualRect(m_model.index(1, 0));
    const QPoint strip(row.right() + 30, row.center().y());
    ASSERT_LT(strip.x(), m_list.viewport()->width());
    std::unique_ptr<QMimeData> data(Urls({m_files.File("a.mp3")}));
    QDragEnterEvent enter(row.center(), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_list.viewport(), &enter);
    QDragMoveEvent move(row.center(), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_list.viewport(), &move);
    QCoreApplication::processEvents();
    ASSERT_EQ(OnScreen(m_list, strip), toolkit::ListColors::Selected());

    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(m_list.viewport(), &leave);
    QCoreApplication::processEvents();
    EXPECT_EQ(OnScreen(m_list, strip), toolkit::RowBackground(1, false));
}

TEST_F(FileDropListTest, DropModeFlagsDecideWhatIsTaken) {
    const std::string folder = m_files.Folder("folder");
    const std::string upper = m_files.File("LOUD.MP3");
    const std::string wav = m_files.File("a.wav");
    const std::string ogg = m_files.File("b.ogg");
    const std::string bare = m_files.File("noext");
    const DropMode before = m_list.GetDropMode();

    DropMode refused;
    refused.flags = DropMode::kCallback;
    EXPECT_FALSE(m_list.SetDropMode(refused));
    EXPECT_EQ(m_list.GetDropMode().flags, before.flags);
    EXPECT_TRUE(m_list.GetDropMode().callback);

    DropMode filtered = before;
    filtered.flags = DropMode::kAcceptFiles | DropMode::kUseFilter | DropMode::kCallback;
    filtered.filter = ".mp3;.wav";
    ASSERT_TRUE(m_list.SetDropMode(filtered));
    EXPECT_FALSE(m_list.IsAcceptedPath(folder));
    EXPECT_TRUE(m_list.IsAcceptedPath(upper));
    EXPECT_TRUE(m_list.IsAcceptedPath(wav));
    EXPECT_FALSE(m_list.IsAcceptedPath(ogg));
    EXPECT_FALSE(m_list.IsAcceptedPath(bare));

    DropMode foldersOnly = before;
    foldersOnly.flags = DropMode::kAcceptFolders | DropMode::kCallback;
    ASSERT_TRUE(m_list.SetDropMode(foldersOnly));
    EXPECT_TRUE(m_list.IsAcceptedPath(folder));
    EXPECT_FALSE(m_list.IsAcceptedPath(wav));
    EXPECT_FALSE(m_list.IsAcceptedPath("/dev/null"));  // not a regular file
}

TEST_F(FileDropListTest, SelfInsertingModePutsNewPathsOnTop) {
    const std::string a = m_files.File("a.mp3");
    const std::string b = m_files.File("b.mp3");
    DropMode inserting;
    inserting.flags = DropMode::kAcceptFiles;
    ASSERT_TRUE(m_list.SetDropMode(inserting));
    m_model.removeRows(0, m_model.rowCount());
    Drag(Urls({a, b}), QPoint(20, 20));
    ASSERT_EQ(m_model.rowCount(), 2);
    EXPECT_EQ(m_model.item(0)->text().toStdString(), b);
    EXPECT_EQ(m_model.item(1)->text().toStdString(), a);
    Drag(Urls({a}), QPoint(20, 20));  // shown already: skipped
    EXPECT_EQ(m_model.rowCount(), 2);
    inserting.flags |= DropMode::kAllowDuplicates;
    ASSERT_TRUE(m_list.SetDropMode(inserting));
    Drag(Urls({a}), QPoint(20, 20));
    EXPECT_EQ(m_model.rowCount(), 3);
    EXPECT_EQ(m_calls, 0);
}

}  // namespace
