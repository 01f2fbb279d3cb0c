#include <QComboBox>
#include <QKeyEvent>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/creation_job/creation_job.h"
#include "main_dialog_fixture.h"
#include "platform/events/events.h"
#include "platform/messages/messages.h"
#include "settings/language/language.h"
#include "tests/support/file_bytes.h"

namespace fs = std::filesystem;
using Id = CTracklaceDlg::ControlId;
using toolkit::MessageAnswer;
using toolkit::MessageButtons;
using toolkit::MessageIcon;

namespace {

// The request with the creation replaced: each run writes the playlist with the real
// creation job (on this thread, never paused) and is counted.
class CreationRequestTest : public MainDialogTest {
protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        Dialog().SetCreationRunner([this](QWidget*, CPlaylist& playlist) {
            ++m_runs;
            platform::RecordingMessageTarget target;
            platform::CManualResetEvent cancel;
            platform::CManualResetEvent proceed(true);
            CCreationJob job(playlist, target, cancel, proceed);
            m_lastResult = job.Run();
        });
    }
    QComboBox* Type() { return qobject_cast<QComboBox*>(Dialog().GetControl(Id::kPlaylistType)); }
    void Request(const std::string& folder, const std::string& name, int type) {
        Dialog().SelectSaveLocation(folder);
        Edit(Id::kPlaylistName)->setText(QString::fromStdString(name));
        Type()->setCurrentIndex(type);
    }
    void Create() { Click(Id::kCreatePlaylist); }

    int m_runs = 0;
    int m_lastResult = -1;
};

TEST_F(CreationRequestTest, ChecksInTheirOrderEachWithItsMessage) {
    const std::string song = m_music.File("Album/one.wav");
    const std::string lists = m_music.Folder("Lists");
    const struct {
        const char* what;
        bool entries;
        std::string folder;
        std::string name;
        const char* key;
    } cases[] = {
        // The first failing check wins: an empty list with an empty name only says empty.
        {"empty list, no name", false, "", "", "IDS_TL_MB_EMPTY_PLAYLIST"},
        {"empty list", false, lists, "Party", "IDS_TL_MB_EMPTY_PLAYLIST"},
        {"no save location", true, "", "Party", "IDS_TL_MB_EMPTY_PLAYLIST_FOLDER"},
        {"no name", true, lists, "", "IDS_TL_MB_EMPTY_PLAYLIST_NAME"},
        {"slash in name", true, lists, "a/b", "IDS_TL_MB_INVALID_PLAYLIST_NAME"},
        {"star in name", true, lists, "best*", "IDS_TL_MB_INVALID_PLAYLIST_NAME"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Dialog().GetPlaylist().RemoveAll();
        if (c.entries) {
            AddFiles({song});
        }
        // An empty save location cannot be chosen; the field is cleared as a restart would.
        Request(c.folder.empty() ? "x" : c.folder, c.name, 1);
        if (c.folder.empty()) {
            Edit(Id::kSaveLocation)->clear();
        }
        m_user.messages.clear();
        Create();
        ASSERT_EQ(m_user.messages.size(), 1u);
        EXPECT_EQ(m_user.messages[0].text, GetText(c.key));
        EXPECT_EQ(m_user.messages[0].icon, MessageIcon::Information);
        EXPECT_EQ(m_user.messages[0].buttons, MessageButtons::Ok);
        // The model carries the request even when it was refused.
        EXPECT_EQ(Dialog().GetPlaylist().GetName(), c.name);
        EXPECT_EQ(Dialog().GetPlaylist().GetType(), 1);
    }
    EXPECT_EQ(m_runs, 0);
    EXPECT_TRUE(fs::is_empty(lists));
}

TEST_F(CreationRequestTest, NameCheckRefusesExactlyNineCharacters) {
    for (const char refused : std::string("\\/:*?\"<>|")) {
        SCOPED_TRACE(std::string(1, refused));
        EXPECT_FALSE(CTracklaceDlg::IsValidPlaylistName(std::string("a") + refused + "b"));
    }
    EXPECT_TRUE(CTracklaceDlg::IsValidPlaylistName("Vol. 1"));
    EXPECT_TRUE(CTracklaceDlg::IsValidPlaylistName("Größte Hits – 2026 (Live) & more!"));
    EXPECT_TRUE(CTracklaceDlg::IsValidPlaylistName("..."));
    // The message lists the nine, and no full stop among them.
    for (const bool english : {true, false}) {
        SetLanguageCode(english);
        ReloadTexts();
        const std::string text = GetText("IDS_TL_MB_INVALID_PLAYLIST_NAME");
        EXPECT_TRUE(text.ends_with(R"(: \ / : * ? " < > |)")) << text;
        EXPECT_EQ(text.find('.', text.find("\n\n")), std::string::npos) << text;
    }
    SetLanguageCode(true);
    ReloadTexts();
}

TEST_F(CreationRequestTest, CreatesTheFileAgainAfterTheOverwriteQuestion) {
    m_music.File("Album/01 Intro.wav", "a");
    m_music.File("Album/02 Vol. 2.ogg", "b");
    m_music.File("Album/cover.jpg", "c");
    AddFolder(m_music / "Album");
    ASSERT_EQ(Entries().size(), 2u);
    const std::vector<std::string> before = Entries();
    Request(m_music.Path().string(), "Best of Vol. 1", 1);
    Create();
    EXPECT_TRUE(m_user.messages.empty());
    ASSERT_EQ(m_runs, 1);
    EXPECT_EQ(m_lastResult, CCreationJob::kContinue);
    const std::string file = m_music / "Best of Vol. 1.m3u";
    // The order of the folder's files is the file system's; the list shows it.
    std::string expected = "#EXTM3U\r\n";
    for (const std::string& path : before) {
        const fs::path p(path);
        expected +=
            "#EXTINF:-1," + p.stem().string() + "\r\n./Album/" + p.filename().string() + "\r\n";
    }
    EXPECT_EQ(ReadFileBytes(file), expected);

    // Nothing in the window changed, so the same request asks before overwriting.
    EXPECT_EQ(Entries(), before);
    EXPECT_EQ(Edit(Id::kPlaylistName)->text(), "Best of Vol. 1");
    EXPECT_EQ(Edit(Id::kSaveLocation)->text().toStdString(), m_music.Path().string());
    EXPECT_EQ(Type()->currentIndex(), 1);
    std::ofstream(file, std::ios::binary) << "old";
    m_user.answers = {MessageAnswer::No};
    Create();
    ASSERT_EQ(m_user.messages.size(), 1u);
    EXPECT_EQ(m_user.messages[0].text,
              "The file \"" + file + "\" already exists.\n\nDo you want to overwrite this file?");
    EXPECT_EQ(m_user.messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(m_user.messages[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(m_runs, 1);
    EXPECT_EQ(ReadFileBytes(file), "old");

    m_user.answers = {MessageAnswer::Yes};
    Create();
    EXPECT_EQ(m_runs, 2);
    EXPECT_EQ(ReadFileBytes(file), expected);
    EXPECT_EQ(Entries(), before);
}

TEST_F(CreationRequestTest, PlsTypeAndAMissingSaveFolderDeclinedThenAccepted) {
    const std::string song = m_music.File("one.wav");
    AddFiles({song});
    const std::string missing = m_music / "new lists";
    Request(missing, "Party", 0);
    m_user.answers = {MessageAnswer::No};
    Create();
    ASSERT_EQ(m_user.messages.size(), 1u);
    EXPECT_EQ(m_user.messages[0].text,
              "The folder \"" + missing +
                  "\" that was\nselected as playlist save location does not exist.\n\nDo you "
                  "want to create this folder?\n\nClick 'Yes' to continue or 'No' to select "
                  "another playlist save location.");
    EXPECT_EQ(m_user.messages[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(m_runs, 0);
    EXPECT_FALSE(fs::exists(missing));

    // Yes goes straight on: no overwrite question for a folder that is not there yet.
    m_user.messages.clear();
    m_user.answers = {MessageAnswer::Yes};
    Create();
    EXPECT_EQ(m_user.messages.size(), 1u);
    EXPECT_EQ(m_runs, 1);
    EXPECT_EQ(ReadFileBytes(missing + "/Party.pls"),
              "[playlist]\r\nFile1=../one.wav\r\nTitle1=one\r\nNumberOfEntries=1\r\n"
              "Version=2\r\n");
}

TEST_F(CreationRequestTest, EnterActsOnCreatePlaylistAndEscapeDoesNothing) {
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    Edit(Id::kPlaylistName)->setFocus();
    QCoreApplication::sendEvent(Edit(Id::kPlaylistName), &enter);
    ASSERT_EQ(m_user.messages.size(), 1u);
    EXPECT_EQ(m_user.messages[0].text, GetText("IDS_TL_MB_EMPTY_PLAYLIST"));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(Edit(Id::kPlaylistName), &escape);
    EXPECT_TRUE(Dialog().isVisible());
    EXPECT_EQ(m_user.messages.size(), 1u);
}

}  // namespace
