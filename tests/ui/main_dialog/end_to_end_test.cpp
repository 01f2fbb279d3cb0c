#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "main_dialog_fixture.h"
#include "tests/support/file_bytes.h"
#include "ui/progress/create_playlist_dlg.h"

namespace fs = std::filesystem;
using Id = CTracklaceDlg::ControlId;
using toolkit::MessageAnswer;

namespace {

// The whole road of a playlist through the window and the real progress dialog: the user
// presses OK of the progress dialog as soon as it offers it.
class EndToEndTest : public MainDialogTest {
protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        SetPropertyInt("prop_PlaySound", 0);
        m_connect = QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* progress = dynamic_cast<CCreatePlaylistDlg*>(QApplication::activeModalWidget());
            if (progress != nullptr && progress != m_lastProgress &&
                progress->OkButton()->isEnabled()) {
                m_lastProgress = progress;
                ++m_progressDialogs;
                progress->OkButton()->click();
            }
        });
        m_timer.start(20);
    }
    void TearDown() override {
        m_timer.stop();
        QObject::disconnect(m_connect);
        MainDialogTest::TearDown();
    }
    void Create() { Click(Id::kCreatePlaylist); }

    QTimer m_timer;
    QMetaObject::Connection m_connect;
    // Dialogs live on the stack, so a new one may have the address of the last one.
    QPointer<QDialog> m_lastProgress;
    int m_progressDialogs = 0;
};

TEST_F(EndToEndTest, FolderNameTypeCreateThenOverwriteDeclinedAndAccepted) {
    for (int i = 1; i <= 12; ++i) {
        m_music.File("Rock/" + std::to_string(100 + i) + " song.ogg", std::string(i, 'x'));
    }
    m_music.File("Rock/notes.txt");
    const std::string lists = m_music.Folder("Lists");
    AddFolder(m_music / "Rock");
    ASSERT_EQ(Entries().size(), 12u);
    const std::vector<std::string> entries = Entries();
    Dialog().SelectSaveLocation(lists);
    Edit(Id::kPlaylistName)->setText("Rock Vol. 1");
    qobject_cast<QComboBox*>(Dialog().GetControl(Id::kPlaylistType))->setCurrentIndex(0);

    Create();
    EXPECT_EQ(m_progressDialogs, 1);
    EXPECT_TRUE(m_user.messages.empty());
    std::string expected = "[playlist]\r\n";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const fs::path p(entries[i]);
        const std::string track = std::to_string(i + 1);
        expected += "File" + track + "=../Rock/" + p.filename().string() + "\r\nTitle" + track +
                    "=" + p.stem().string() + "\r\n";
    }
    expected += "NumberOfEntries=12\r\nVersion=2\r\n";
    const std::string file = lists + "/Rock Vol. 1.pls";
    EXPECT_EQ(ReadFileBytes(file), expected);
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", 0), 1);
    EXPECT_EQ(GetPropertyInt("prop_TotalSongs", 0), 12);
    EXPECT_EQ(Entries(), entries);

    std::ofstream(file, std::ios::binary) << "kept";
    m_user.answers = {MessageAnswer::No};
    Create();
    EXPECT_EQ(m_progressDialogs, 1);
    EXPECT_EQ(ReadFileBytes(file), "kept");
    m_user.answers = {MessageAnswer::Yes};
    Create();
    EXPECT_EQ(m_progressDialogs, 2);
    EXPECT_EQ(ReadFileBytes(file), expected);
    EXPECT_EQ(m_user.messages.size(), 2u);
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", 0), 2);
}

TEST_F(EndToEndTest, MissingSaveFolderDeclinedThenAcceptedAndMade) {
    const std::string song = m_music.File("a.wav");
    AddFiles({song});
    const std::string missing = m_music / "Playlists";
    Dialog().SelectSaveLocation(missing);
    Edit(Id::kPlaylistName)->setText("Mix");
    qobject_cast<QComboBox*>(Dialog().GetControl(Id::kPlaylistType))->setCurrentIndex(1);
    m_user.answers = {MessageAnswer::No};
    Create();
    EXPECT_EQ(m_progressDialogs, 0);
    EXPECT_FALSE(fs::exists(missing));
    m_user.answers = {MessageAnswer::Yes};
    Create();
    EXPECT_EQ(m_progressDialogs, 1);
    EXPECT_EQ(ReadFileBytes(missing + "/Mix.m3u"), "#EXTM3U\r\n#EXTINF:-1,a\r\n../a.wav\r\n");
}

}  // namespace
