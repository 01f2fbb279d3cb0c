#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

#include "main_dialog_fixture.h"

namespace fs = std::filesystem;
using Id = CTracklaceDlg::ControlId;

namespace {

std::vector<std::string> Names(const std::vector<std::string>& paths) {
    std::vector<std::string> names;
    for (const auto& p : paths) {
        names.push_back(fs::path(p).filename().string());
    }
    return names;
}

class ContentListTest : public MainDialogTest {
protected:
    // Three entries x0, x1, x2 added at the end.
    void AddThree() {
        AddFiles({m_music / "x0.mp3", m_music / "x1.mp3", m_music / "x2.mp3"});
        ASSERT_EQ(Entries().size(), 3u);
    }
    void Key(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(target, &press);
        QCoreApplication::sendPostedEvents();
    }
    bool Drop(const std::vector<std::string>& paths, int row) {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const auto& path : paths) {
            urls << QUrl::fromLocalFile(QString::fromStdString(path));
        }
        data->setUrls(urls);
        const QModelIndex index = Dialog().GetModel()->index(row, 0);
        const QPoint point = row >= 0 ? List().visualRect(index).center()
                                      : QPoint(10, List().viewport()->height() - 3);
        QDragEnterEvent enter(point, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(List().viewport(), &enter);
        QDragMoveEvent move(point, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(List().viewport(), &move);
        QDropEvent drop(point, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(List().viewport(), &drop);
        QCoreApplication::sendPostedEvents();
        return drop.isAccepted();
    }
};

TEST_F(ContentListTest, InsertPositionWithAndWithoutSelection) {
    const struct {
        const char* mode;
        int selected;
        std::vector<std::string> expected;
    } cases[] = {
        {"Top", -1, {"n0.mp3", "n1.mp3", "x0.mp3", "x1.mp3", "x2.mp3"}},
        {"Top", 1, {"n0.mp3", "n1.mp3", "x0.mp3", "x1.mp3", "x2.mp3"}},
        {"Bottom", -1, {"x0.mp3", "x1.mp3", "x2.mp3", "n0.mp3", "n1.mp3"}},
        {"Bottom", 1, {"x0.mp3", "x1.mp3", "x2.mp3", "n0.mp3", "n1.mp3"}},
        {"BeforeSelection", -1, {"x0.mp3", "x1.mp3", "x2.mp3", "n0.mp3", "n1.mp3"}},
        {"BeforeSelection", 1, {"x0.mp3", "n0.mp3", "n1.mp3", "x1.mp3", "x2.mp3"}},
        {"AfterSelection", -1, {"x0.mp3", "x1.mp3", "x2.mp3", "n0.mp3", "n1.mp3"}},
        {"AfterSelection", 1, {"x0.mp3", "x1.mp3", "n0.mp3", "n1.mp3", "x2.mp3"}},
        {"AfterSelection", 2, {"x0.mp3", "x1.mp3", "x2.mp3", "n0.mp3", "n1.mp3"}},
        // A text the program never writes adds at the end rather than losing the files.
        {"middle", 1, {"x0.mp3", "x1.mp3", "x2.mp3", "n0.mp3", "n1.mp3"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " selected " + std::to_string(c.selected));
        Dialog().GetPlaylist().RemoveAll();
        Dialog().RefreshList();
        SetPropertyString("prop_AddNewEntries", "Bottom");
        AddThree();
        SetPropertyString("prop_AddNewEntries", c.mode);
        List().SelectRow(c.selected);
        AddFiles({m_music / "n0.mp3", m_music / "n1.mp3"});
        EXPECT_EQ(Names(Entries()), c.expected);
        // "Add files" leaves nothing selected, so the song folder is empty.
        EXPECT_EQ(List().GetSelectedRow(), -1);
        EXPECT_EQ(Dialog().GetSongFolder(), "");
        EXPECT_EQ(Column(CPlaylistModel::kTrack),
                  (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    }
}

TEST_F(ContentListTest, SkippedFilesDoNotMoveTheBatch) {
    AddThree();
    SetPropertyString("prop_AddNewEntries", "AfterSelection");
    List().SelectRow(0);
    AddFiles({m_music / "notes.txt", m_music / "n0.mp3", m_music / "bad\nname.mp3",
              m_music / "cr\rname.mp3", m_music / "n1.ogg"});
    EXPECT_EQ(Names(Entries()),
              (std::vector<std::string>{"x0.mp3", "n0.mp3", "n1.ogg", "x1.mp3", "x2.mp3"}));
    EXPECT_TRUE(m_user.systemSounds.empty());
}

TEST_F(ContentListTest, ColumnsShowNameAndLowerCaseTypeAndDuplicatesStay) {
    AddFiles({m_music / "SONG.MP3", m_music / "live.set.Ogg", m_music / "SONG.MP3"});
    EXPECT_EQ(Column(CPlaylistModel::kName),
              (std::vector<std::string>{"SONG", "live.set", "SONG"}));
    EXPECT_EQ(Column(CPlaylistModel::kType), (std::vector<std::string>{"mp3", "ogg", "mp3"}));
    EXPECT_EQ(Dialog().GetModel()->headerData(1, Qt::Horizontal).toString(), "File Name");
}

TEST_F(ContentListTest, TrackColumnKeepsItsWidthUntilNumbersNeedMore) {
    AddThree();
    EXPECT_EQ(List().header()->sectionSize(CPlaylistModel::kTrack), 28);
    std::vector<std::string> many;
    for (int i = 0; i < 12000; ++i) {
        many.push_back(m_music / ("t" + std::to_string(i) + ".mp3"));
    }
    Dialog().InsertEntries(many);
    Dialog().RefreshList();
    EXPECT_GT(List().header()->sectionSize(CPlaylistModel::kTrack),
              List().fontMetrics().horizontalAdvance("12003"));
    EXPECT_EQ(Column(CPlaylistModel::kTrack).back(), "12003");
}

TEST_F(ContentListTest, OnlyFilesOfActiveTypesAreAdded) {
    SaveFileTypeLists({"gz"}, {"mp3"});
    Open();
    AddFiles({m_music / "archive.tar.gz", m_music / "README", m_music / "song.mp3"});
    EXPECT_EQ(Column(CPlaylistModel::kName), std::vector<std::string>{"archive.tar"});
    EXPECT_EQ(Column(CPlaylistModel::kType), std::vector<std::string>{"gz"});
}

TEST_F(ContentListTest, AddFilesRemembersFolderAndFilterAndCancelChangesNothing) {
    const std::string folder = m_music.Folder("Rock");
    AddFiles({folder + "/a.mp3", m_music / "b.mp3"}, 2);
    EXPECT_EQ(GetPropertyString("prop_SelectSongs", ""), folder);
    EXPECT_EQ(GetPropertyString("prop_PreviousFilter", ""), "mp3");

    ASSERT_EQ(m_user.openFilesRequests.size(), 1u);
    EXPECT_EQ(m_user.openFilesRequests[0].title, "Tracklace 3 - Select files");
    EXPECT_EQ(m_user.openFilesRequests[0].filterIndex, 1);
    EXPECT_EQ(m_user.openFilesRequests[0].filter.rfind("CDA Files (*.cda)|*.cda|MP3 Files", 0), 0u);

    AddFiles({m_music / "c.wav"}, 10);  // past the nine active types: "All files"
    EXPECT_EQ(m_user.openFilesRequests[1].initialFolder, folder);
    EXPECT_EQ(m_user.openFilesRequests[1].filterIndex, 2);
    EXPECT_EQ(GetPropertyString("prop_PreviousFilter", ""), "*.*");
    EXPECT_EQ(GetPropertyString("prop_SelectSongs", ""), m_music.Path().string());

    m_user.openFilesResults.push_back({});  // cancelled
    Click(Id::kAddFiles);
    EXPECT_EQ(m_user.openFilesRequests[2].filterIndex, 10);
    EXPECT_EQ(Entries().size(), 3u);
    EXPECT_EQ(GetPropertyString("prop_PreviousFilter", ""), "*.*");
    EXPECT_EQ(GetPropertyString("prop_SelectSongs", ""), m_music.Path().string());
}

TEST_F(ContentListTest, AddFolderTakesOnlyItsOwnFilesInNameOrder) {
    const std::string folder = m_music.Folder("Best");
    m_music.File("Best/track10.mp3");
    m_music.File("Best/Track2.mp3");
    m_music.File("Best/.hidden.ogg");
    m_music.File("Best/cover.jpg");
    m_music.File("Best/line\nbreak.mp3");
    m_music.File("Best/Inner/deep.mp3");
    AddFolder(folder);
    EXPECT_EQ(Names(Entries()),
              (std::vector<std::string>{".hidden.ogg", "Track2.mp3", "track10.mp3"}));
    EXPECT_EQ(GetPropertyString("prop_SelectSongFolder", ""), folder);
    EXPECT_EQ(List().GetSelectedRow(), -1);
    // Without the automatic settings nothing else changes.
    EXPECT_EQ(Dialog().GetSaveLocation(), "");
    EXPECT_EQ(Dialog().GetPlaylistName(), "");

    m_user.folderResults.push_back(std::nullopt);
    Click(Id::kAddFolder);
    EXPECT_EQ(m_user.folderRequests[1].initialFolder, folder);
    EXPECT_EQ(m_user.folderRequests[1].info,
              "Please select the folder which you want to add to the playlist:");
    EXPECT_EQ(Entries().size(), 3u);
}

TEST_F(ContentListTest, AddFolderSetsTheAutomaticSaveLocationAndNameEvenWhenEmpty) {
    SetPropertyInt("prop_AutoPlaylistFolder", 1);
    SetPropertyInt("prop_AutoPlaylistName", 1);
    const std::string folder = m_music.Folder("Party Mix");
    Edit(Id::kPlaylistName)->setText("typed");
    AddFolder(folder + "/");
    EXPECT_TRUE(Entries().empty());
    EXPECT_EQ(Dialog().GetSaveLocation(), folder);
    EXPECT_EQ(Edit(Id::kSaveLocation)->text().toStdString(), folder);
    EXPECT_EQ(GetPropertyString("prop_SelectPlaylistFolder", ""), folder);
    EXPECT_EQ(Edit(Id::kPlaylistName)->text(), "Party Mix");
    EXPECT_TRUE(Dialog().IsFlashing(Edit(Id::kPlaylistName)));
    WaitUntil([&] { return !Dialog().IsFlashing(Edit(Id::kPlaylistName)); });
    EXPECT_FALSE(Dialog().IsFlashing(Edit(Id::kPlaylistName)));
}

TEST_F(ContentListTest, WithoutActiveTypesNothingCanBeAdded) {
    SaveFileTypeLists({}, {"mp3"});
    Open();
    Click(Id::kAddFiles);
    Click(Id::kAddFolder);
    EXPECT_TRUE(m_user.openFilesRequests.empty());
    EXPECT_TRUE(m_user.folderRequests.empty());
    ASSERT_EQ(m_user.messages.size(), 2u);
    EXPECT_EQ(m_user.messages[0].icon, toolkit::MessageIcon::Information);
    EXPECT_EQ(m_user.messages[0].buttons, toolkit::MessageButtons::Ok);
    EXPECT_EQ(m_user.messages[0].text.rfind("You cannot add any file", 0), 0u);
    Drop({m_music.File("a.mp3")}, -1);
    EXPECT_EQ(m_user.systemSounds, std::vector<int>{3});
    EXPECT_TRUE(Entries().empty());
}

TEST_F(ContentListTest, RefusedCommandsPlaySystemHandAndChangeNothing) {
    Click(Id::kMoveUp);
    Click(Id::kMoveDown);
    Click(Id::kRemoveItem);
    Click(Id::kRemoveAll);  // empty: no question
    EXPECT_EQ(m_user.systemSounds, (std::vector<int>{3, 3, 3, 3}));
    EXPECT_TRUE(m_user.messages.empty());

    AddFiles({m_music / "only.mp3"});
    List().SelectRow(0);
    m_user.systemSounds.clear();
    Click(Id::kMoveUp);
    Click(Id::kMoveDown);
    EXPECT_EQ(m_user.systemSounds.size(), 2u);

    AddFiles({m_music / "b.mp3", m_music / "c.mp3"});
    const auto before = Entries();
    m_user.systemSounds.clear();
    Click(Id::kMoveUp);  // nothing selected after "Add files"
    Click(Id::kRemoveItem);
    List().SelectRow(0);
    Key(&List(), Qt::Key_Up);
    List().SelectRow(2);
    Key(&List(), Qt::Key_Down);
    EXPECT_EQ(m_user.systemSounds, (std::vector<int>{3, 3, 3, 3}));
    EXPECT_EQ(Entries(), before);
}

TEST_F(ContentListTest, MovesKeepTheMovedEntrySelectedFromButtonsAndKeys) {
    const std::string rock = m_music.Folder("Rock");
    AddFiles({m_music / "a.mp3", rock + "/b.mp3", m_music / "c.mp3"});
    List().SelectRow(1);
    Click(Id::kMoveUp);
    EXPECT_EQ(Names(Entries()), (std::vector<std::string>{"b.mp3", "a.mp3", "c.mp3"}));
    EXPECT_EQ(List().GetSelectedRow(), 0);
    EXPECT_EQ(Dialog().GetSongFolder(), rock);
    // Ctrl+Down works wherever the focus is, here in the name field.
    Key(Edit(Id::kPlaylistName), Qt::Key_Down);
    Key(&List(), Qt::Key_Down);
    EXPECT_EQ(Names(Entries()), (std::vector<std::string>{"a.mp3", "c.mp3", "b.mp3"}));
    EXPECT_EQ(List().GetSelectedRow(), 2);
    Key(&List(), Qt::Key_Up);
    EXPECT_EQ(List().GetSelectedRow(), 1);
    // Without Ctrl the keys are the list's own.
    Key(&List(), Qt::Key_Up, Qt::NoModifier);
    EXPECT_EQ(Names(Entries()), (std::vector<std::string>{"a.mp3", "b.mp3", "c.mp3"}));
    EXPECT_TRUE(m_user.systemSounds.empty());
}

TEST_F(ContentListTest, RemoveSelectsTheNextOrTheNewLastEntry) {
    AddThree();
    List().SelectRow(1);
    Key(&List(), Qt::Key_Delete);
    EXPECT_EQ(Names(Entries()), (std::vector<std::string>{"x0.mp3", "x2.mp3"}));
    EXPECT_EQ(List().GetSelectedRow(), 1);
    Click(Id::kRemoveItem);
    EXPECT_EQ(Names(Entries()), std::vector<std::string>{"x0.mp3"});
    EXPECT_EQ(List().GetSelectedRow(), 0);
    EXPECT_TRUE(Button(Id::kTakeover)->isEnabled());
    Click(Id::kRemoveItem);
    EXPECT_TRUE(Entries().empty());
    EXPECT_EQ(List().GetSelectedRow(), -1);
    EXPECT_EQ(Dialog().GetSongFolder(), "");
    EXPECT_FALSE(Button(Id::kTakeover)->isEnabled());
}

TEST_F(ContentListTest, RemoveAllIsAskedAndMayBeDeclined) {
    AddThree();
    m_user.answers.push_back(toolkit::MessageAnswer::No);
    Click(Id::kRemoveAll);
    ASSERT_EQ(m_user.messages.size(), 1u);
    EXPECT_EQ(m_user.messages[0].icon, toolkit::MessageIcon::Exclamation);
    EXPECT_EQ(m_user.messages[0].buttons, toolkit::MessageButtons::YesNo);
    EXPECT_EQ(m_user.messages[0].text,
              "Do you really want to remove all items from the playlist?\n\nAttention: This "
              "operation cannot be undone!");
    EXPECT_EQ(Entries().size(), 3u);
    m_user.answers.push_back(toolkit::MessageAnswer::Yes);
    Click(Id::kRemoveAll);
    EXPECT_TRUE(Entries().empty());
    EXPECT_EQ(Dialog().GetModel()->rowCount(), 0);
    EXPECT_TRUE(m_user.systemSounds.empty());
}

TEST_F(ContentListTest, SongFolderFollowsTheSelectionAndTheButtonFollowsByPostedMessage) {
    const std::string rock = m_music.Folder("Rock");
    AddFiles({rock + "/a.mp3", "/root.mp3"});
    EXPECT_FALSE(Button(Id::kTakeover)->isEnabled());
    List().SelectRow(0);
    EXPECT_EQ(Dialog().GetSongFolder(), rock);
    EXPECT_EQ(Edit(Id::kSongFolder)->text().toStdString(), rock);
    // The button waits for the posted message.
    EXPECT_FALSE(Button(Id::kTakeover)->isEnabled());
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(Button(Id::kTakeover)->isEnabled());
    List().SelectRow(1);
    EXPECT_EQ(Dialog().GetSongFolder(), "/");  // the root keeps its separator

    List().SelectRow(0);
    QCoreApplication::sendPostedEvents();
    Click(Id::kTakeover);
    EXPECT_EQ(Dialog().GetSaveLocation(), rock);
    EXPECT_EQ(GetPropertyString("prop_SelectPlaylistFolder", ""), rock);
    EXPECT_TRUE(Dialog().IsFlashing(Edit(Id::kSaveLocation)));
    // The same folder again still flashes, and stores nothing new.
    SetPropertyString("prop_SelectPlaylistFolder", "marker");
    Click(Id::kTakeover);
    EXPECT_TRUE(Dialog().IsFlashing(Edit(Id::kSaveLocation)));
    EXPECT_EQ(GetPropertyString("prop_SelectPlaylistFolder", ""), "marker");
}

TEST_F(ContentListTest, DropAddsFilesFoldersAndLinkTargetsAndSelectsTheFirstNewEntry) {
    SetPropertyInt("prop_AutoPlaylistFolder", 1);
    SetPropertyInt("prop_AutoPlaylistName", 1);
    AddThree();
    SetPropertyString("prop_AddNewEntries", "BeforeSelection");
    const std::string folder = m_music.Folder("Live");
    m_music.File("Live/2 two.mp3");
    m_music.File("Live/1 one.wav");
    m_music.File("Live/readme.txt");
    m_music.File("Live/Sub/deep.mp3");
    const std::string file = m_music.File("single.ogg");
    const std::string target = m_music.File("Linked/target.mp3");
    const std::string link = m_music.File(
        "target.desktop",
        "[Desktop Entry]\nType=Link\nURL=" +
            QUrl::fromLocalFile(QString::fromStdString(target)).toString().toStdString() + "\n");

    EXPECT_TRUE(Drop({file, folder, link, m_music / "missing.mp3"}, 1));
    EXPECT_EQ(Names(Entries()),
              (std::vector<std::string>{"x0.mp3", "single.ogg", "1 one.wav", "2 two.mp3",
                                        "target.mp3", "x1.mp3", "x2.mp3"}));
    EXPECT_EQ(Entries()[4], target);
    EXPECT_EQ(List().GetSelectedRow(), 1);
    EXPECT_EQ(Dialog().GetSongFolder(), m_music.Path().string());
    // A drop is no "Add folder": no remembered folder, save location or name.
    EXPECT_EQ(GetPropertyString("prop_SelectSongFolder", ""), "");
    EXPECT_EQ(Dialog().GetSaveLocation(), "");
    EXPECT_EQ(Dialog().GetPlaylistName(), "");
    EXPECT_TRUE(m_user.systemSounds.empty());
}

TEST_F(ContentListTest, DropOfNothingAddableSoundsAndAddsNothing) {
    AddThree();
    const std::string bad = m_music.File("line\nbreak.mp3");
    EXPECT_FALSE(Drop({m_music / "missing.mp3"}, -1));
    const auto soundsForMissing = m_user.systemSounds.size();
    EXPECT_GE(soundsForMissing, 1u);
    Drop({bad, m_music.File("notes.txt")}, -1);
    EXPECT_GT(m_user.systemSounds.size(), soundsForMissing);
    for (int kind : m_user.systemSounds) {
        EXPECT_EQ(kind, 3);
    }
    EXPECT_EQ(Entries().size(), 3u);
}

}  // namespace
