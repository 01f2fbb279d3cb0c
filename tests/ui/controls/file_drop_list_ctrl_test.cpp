#include "ui/controls/file_drop_list_ctrl.h"

#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QMimeData>
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
        model_.setColumnCount(1);
        for (int i = 0; i < 50; ++i) {
            model_.appendRow(new QStandardItem(QString("row %1").arg(i)));
        }
        list_.setModel(&model_);
        list_.resize(300, 200);
        list_.show();
        DropMode mode;
        mode.flags = DropMode::kAcceptFiles | DropMode::kAcceptFolders | DropMode::kCallback;
        mode.callback = [this](const DropNotification& n) {
            ++calls_;
            paths_ = n.paths;
            dropIndex_ = n.dropIndex;
            selectedAtDrop_ = n.list->GetSelectedRow();
        };
        ASSERT_TRUE(list_.SetDropMode(mode));
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

    QPoint RowPoint(int row) const { return list_.visualRect(model_.index(row, 0)).center(); }

    // A whole drag: enter, one move, then the drop, all at point.
    bool Drag(QMimeData* data, QPoint point) {
        std::unique_ptr<QMimeData> owned(data);
        QDragEnterEvent enter(point, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list_.viewport(), &enter);
        QDragMoveEvent move(point, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list_.viewport(), &move);
        QDropEvent drop(point, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list_.viewport(), &drop);
        return drop.isAccepted();
    }

    ScriptedUserInteraction user_;
    TempFolder files_;
    QStandardItemModel model_;
    CFileDropListCtrl list_;
    int calls_ = 0;
    std::vector<std::string> paths_;
    int dropIndex_ = -2;
    int selectedAtDrop_ = -2;
};

TEST_F(FileDropListTest, MissingPathsAreLeftOutAndTheRestKeepsDropOrder) {
    const std::string first = files_.File("b.mp3");
    const std::string third = files_.File("a.mp3");
    EXPECT_TRUE(Drag(Urls({first, files_ / "missing.mp3", third}), RowPoint(2)));
    EXPECT_EQ(calls_, 1);
    EXPECT_EQ(paths_, (std::vector<std::string>{first, third}));
    EXPECT_EQ(dropIndex_, 2);
    EXPECT_EQ(selectedAtDrop_, 2);
    EXPECT_TRUE(user_.systemSounds.empty());
    EXPECT_FALSE(list_.IsDragAccepted());
}

TEST_F(FileDropListTest, BelowTheLastRowTheIndexIsMinusOne) {
    model_.removeRows(3, 47);
    const std::string file = files_.File("a.mp3");
    EXPECT_TRUE(Drag(Urls({file}), QPoint(20, list_.viewport()->height() - 3)));
    EXPECT_EQ(dropIndex_, -1);
    EXPECT_EQ(paths_, std::vector<std::string>{file});
}

TEST_F(FileDropListTest, NothingAcceptableStillNotifiesOnceAndPlaysSystemHand) {
    EXPECT_FALSE(Drag(Urls({files_ / "gone.mp3"}), RowPoint(0)));
    EXPECT_EQ(calls_, 1);
    EXPECT_TRUE(paths_.empty());
    EXPECT_EQ(user_.systemSounds, std::vector<int>{3});
}

TEST_F(FileDropListTest, DataWithoutFilesIsRefusedWhileDraggingAndDropsNothing) {
    auto* data = new QMimeData;
    data->setText("just text");
    std::unique_ptr<QMimeData> owned(data);
    QDragEnterEvent enter(RowPoint(1), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list_.viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_FALSE(list_.IsDragAccepted());
    QDragMoveEvent move(RowPoint(1), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list_.viewport(), &move);
    EXPECT_EQ(list_.GetSelectedRow(), -1);
    QDropEvent drop(RowPoint(1), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list_.viewport(), &drop);
    EXPECT_EQ(calls_, 0);
    EXPECT_TRUE(user_.systemSounds.empty());
}

TEST_F(FileDropListTest, LinksDeliverTheirTargetsAndDeadOnesNothing) {
    const std::string folder = files_.Folder("Music Folder");
    const std::string song = files_.File("song.mp3");
    fs::create_symlink(song, files_.Path() / "song-link.mp3");
    fs::create_symlink(files_ / "gone.mp3", files_.Path() / "dead-link.mp3");
    const std::string folderLink = files_.File(
        "Music.desktop",
        "[Desktop Entry]\nType=Link\nName=Music\nURL=" +
            QUrl::fromLocalFile(QString::fromStdString(folder)).toString().toStdString() + "\n");
    const std::string deadLink = files_.File(
        "Gone.desktop", "[Desktop Entry]\nType=Link\nURL=file://" + files_ / "nothing" + "\n");
    const std::string application =
        files_.File("App.desktop", "[Desktop Entry]\nType=Application\nExec=true\n");

    EXPECT_TRUE(Drag(Urls({folderLink, deadLink, files_ / "song-link.mp3", files_ / "dead-link.mp3",
                           application}),
                     RowPoint(0)));
    // A link file that is not of Type=Link is an ordinary file.
    EXPECT_EQ(paths_, (std::vector<std::string>{folder, files_ / "song-link.mp3", application}));
    EXPECT_EQ(CFileDropListCtrl::ResolveLink(folderLink), folder);
    EXPECT_EQ(CFileDropListCtrl::ResolveLink(song), "");
    EXPECT_EQ(CFileDropListCtrl::ResolveLink(application), "");
}

TEST_F(FileDropListTest, DraggingSelectsUnderThePointerAndScrollsAtTheEdges) {
    // Row 4 at the very top: 10 pixels down is inside the top zone, so row 3 comes into view.
    list_.scrollTo(model_.index(4, 0), QAbstractItemView::PositionAtTop);
    ASSERT_LT(list_.visualRect(model_.index(3, 0)).bottom(), 0);
    std::unique_ptr<QMimeData> data(Urls({files_.File("a.mp3")}));
    QDragEnterEvent enter(QPoint(20, 10), Qt::CopyAction, data.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(list_.viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDragMoveEvent top(QPoint(20, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list_.viewport(), &top);
    EXPECT_EQ(list_.GetSelectedRow(), 4);
    EXPECT_GE(list_.visualRect(model_.index(3, 0)).top(), 0);

    // Near the bottom edge the row after the one under the pointer comes into view.
    const int height = list_.viewport()->height();
    const QPoint nearBottom(20, height - 5);
    const int under = list_.indexAt(nearBottom).row();
    ASSERT_GE(under, 0);
    ASSERT_GT(list_.visualRect(model_.index(under + 1, 0)).bottom(), height);
    QDragMoveEvent bottom(nearBottom, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list_.viewport(), &bottom);
    EXPECT_EQ(list_.GetSelectedRow(), under);
    EXPECT_LE(list_.visualRect(model_.index(under + 1, 0)).bottom(), height);

    // Leaving takes the drag highlight away.
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(list_.viewport(), &leave);
    EXPECT_EQ(list_.GetSelectedRow(), -1);
    EXPECT_FALSE(list_.IsDragAccepted());
}

TEST_F(FileDropListTest, DropModeFlagsDecideWhatIsTaken) {
    const std::string folder = files_.Folder("folder");
    const std::string upper = files_.File("LOUD.MP3");
    const std::string wav = files_.File("a.wav");
    const std::string ogg = files_.File("b.ogg");
    const std::string bare = files_.File("noext");
    const DropMode before = list_.GetDropMode();

    DropMode refused;
    refused.flags = DropMode::kCallback;
    EXPECT_FALSE(list_.SetDropMode(refused));
    EXPECT_EQ(list_.GetDropMode().flags, before.flags);
    EXPECT_TRUE(list_.GetDropMode().callback);

    DropMode filtered = before;
    filtered.flags = DropMode::kAcceptFiles | DropMode::kUseFilter | DropMode::kCallback;
    filtered.filter = ".mp3;.wav";
    ASSERT_TRUE(list_.SetDropMode(filtered));
    EXPECT_FALSE(list_.IsAcceptedPath(folder));
    EXPECT_TRUE(list_.IsAcceptedPath(upper));
    EXPECT_TRUE(list_.IsAcceptedPath(wav));
    EXPECT_FALSE(list_.IsAcceptedPath(ogg));
    EXPECT_FALSE(list_.IsAcceptedPath(bare));

    DropMode foldersOnly = before;
    foldersOnly.flags = DropMode::kAcceptFolders | DropMode::kCallback;
    ASSERT_TRUE(list_.SetDropMode(foldersOnly));
    EXPECT_TRUE(list_.IsAcceptedPath(folder));
    EXPECT_FALSE(list_.IsAcceptedPath(wav));
    EXPECT_FALSE(list_.IsAcceptedPath("/dev/null"));  // not a regular file
}

TEST_F(FileDropListTest, SelfInsertingModePutsNewPathsOnTop) {
    const std::string a = files_.File("a.mp3");
    const std::string b = files_.File("b.mp3");
    DropMode inserting;
    inserting.flags = DropMode::kAcceptFiles;
    ASSERT_TRUE(list_.SetDropMode(inserting));
    model_.removeRows(0, model_.rowCount());
    Drag(Urls({a, b}), QPoint(20, 20));
    ASSERT_EQ(model_.rowCount(), 2);
    EXPECT_EQ(model_.item(0)->text().toStdString(), b);
    EXPECT_EQ(model_.item(1)->text().toStdString(), a);
    Drag(Urls({a}), QPoint(20, 20));  // shown already: skipped
    EXPECT_EQ(model_.rowCount(), 2);
    inserting.flags |= DropMode::kAllowDuplicates;
    ASSERT_TRUE(list_.SetDropMode(inserting));
    Drag(Urls({a}), QPoint(20, 20));
    EXPECT_EQ(model_.rowCount(), 3);
    EXPECT_EQ(calls_, 0);
}

}  // namespace
