// The window and tracklace-make check a creation request the same way: each request of the
// table goes to both, and each must come to the outcome the table gives.

#include <QComboBox>
#include <filesystem>
#include <string>

#include "core/creation_job/creation_request.h"
#include "main_dialog_fixture.h"
#include "settings/language/language.h"
#include "settings/placeholders/placeholders.h"
#include "tests/support/file_bytes.h"
#include "tests/support/program_run.h"

namespace fs = std::filesystem;
using Id = CTracklaceDlg::ControlId;

namespace {

const std::string kBinary = std::string(TRACKLACE_BINARY_DIR) + "/bin/tracklace-make";

class RequestParityTest : public MainDialogTest {
protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        Dialog().SetCreationRunner([this](QWidget*, CPlaylist&) { ++m_runs; });
    }

    // What the window makes of the request: the message it shows (a question answered No)
    // or the creation it starts.
    RequestOutcome ThroughTheWindow(const std::string& input, const std::string& folder,
                                    const std::string& name) {
        Dialog().GetPlaylist().RemoveAll();
        if (!input.empty()) {
            AddFiles({input});
        }
        Dialog().SelectSaveLocation(folder);
        Edit(Id::kPlaylistName)->setText(QString::fromStdString(name));
        qobject_cast<QComboBox*>(Dialog().GetControl(Id::kPlaylistType))->setCurrentIndex(1);
        m_user.messages.clear();
        m_user.answers = {toolkit::MessageAnswer::No};
        const int runsBefore = m_runs;
        Click(Id::kCreatePlaylist);
        if (m_user.messages.empty()) {
            return m_runs > runsBefore ? RequestOutcome::kReady : kNothing;
        }
        const std::string& text = m_user.messages.front().text;
        const std::pair<const char*, RequestOutcome> told[] = {
            {"IDS_TL_MB_EMPTY_PLAYLIST", RequestOutcome::kEmptyPlaylist},
            {"IDS_TL_MB_EMPTY_PLAYLIST_NAME", RequestOutcome::kNoName},
            {"IDS_TL_MB_INVALID_PLAYLIST_NAME", RequestOutcome::kInvalidName},
        };
        for (const auto& [key, outcome] : told) {
            if (text == GetText(key)) {
                return outcome;
            }
        }
        if (text ==
            ReplaceTags(GetText("IDS_TL_MB_PLAYLIST_FOLDER_DOES_NOT_EXIST"), "FOLDER", folder)) {
            return RequestOutcome::kCreateFolder;
        }
        if (text == ReplaceTags(GetText("IDS_TL_MB_PLAYLIST_ALREADY_EXISTS"), "FILEPATH",
                                folder + "/" + name + ".m3u")) {
            return RequestOutcome::kOverwrite;
        }
        ADD_FAILURE() << "the window said: " << text;
        return kNothing;
    }

    // What tracklace-make makes of the same request, without -p and -f: its exit status and
    // the text it gives.
    RequestOutcome ThroughTheCommandLine(const std::string& input, const std::string& folder,
                                         const std::string& name) {
        const std::string file = folder + "/" + name + ".m3u";
        const ProgramOutcome run = RunProgram(kBinary, {"-q", "-o", file, input}, m_music.String());
        auto says = [&run](const std::string& text) {
            return run.err.find("tracklace-make: " + text + "\n") != std::string::npos;
        };
        if (run.status == 0) {
            return RequestOutcome::kReady;
        }
        if (run.status == 2 && says(GetText("IDS_TL_CLI_ERR_NO_FILES"))) {
            return RequestOutcome::kEmptyPlaylist;
        }
        if (run.status == 2 && says(GetText("IDS_TL_MB_EMPTY_PLAYLIST_NAME"))) {
            return RequestOutcome::kNoName;
        }
        if (run.status == 2 && says(GetText("IDS_TL_MB_INVALID_PLAYLIST_NAME"))) {
            return RequestOutcome::kInvalidName;
        }
        if (run.status == 1 &&
            says(ReplaceTags(GetText("IDS_TL_CLI_ERR_FOLDER_MISSING"), "FOLDER", folder))) {
            return RequestOutcome::kCreateFolder;
        }
        if (run.status == 1 &&
            says(ReplaceTags(GetText("IDS_TL_CLI_ERR_PLAYLIST_EXISTS"), "FILEPATH", file))) {
            return RequestOutcome::kOverwrite;
        }
        ADD_FAILURE() << "tracklace-make ended with " << run.status << ": " << run.err;
        return kNothing;
    }

    // Neither creating nor telling anything the table knows.
    static constexpr auto kNothing = static_cast<RequestOutcome>(-1);
    int m_runs = 0;
};

TEST_F(RequestParityTest, TheWindowAndTheCommandLineComeToTheSameOutcome) {
    const std::string song = m_music.File("Album/one.ogg");
    const std::string notes = m_music.File("Album/notes.txt");
    const std::string lists = m_music.Folder("Lists");
    m_music.File("Lists/Old.m3u", "old");
    fs::create_symlink(m_music / "Lists/gone.m3u", m_music / "Lists/Dangling.m3u");

    const struct {
        const char* what;
        std::string input;  // the one file; of an inactive type it adds nothing
        std::string folder;
        std::string name;
        RequestOutcome expected;
    } cases[] = {
        {"no entry", notes, lists, "Party", RequestOutcome::kEmptyPlaylist},
        {"no name", song, lists, "", RequestOutcome::kNoName},
        {"a star", song, lists, "best*", RequestOutcome::kInvalidName},
        {"a question mark", song, lists, "why?", RequestOutcome::kInvalidName},
        {"a backslash", song, lists, "a\\b", RequestOutcome::kInvalidName},
        {"a colon", song, lists, "a:b", RequestOutcome::kInvalidName},
        {"a quote, angle brackets, a bar", song, lists, "\"<a>|b\"", RequestOutcome::kInvalidName},
        {"a missing folder", song, m_music / "New", "Party", RequestOutcome::kCreateFolder},
        {"an existing playlist", song, lists, "Old", RequestOutcome::kOverwrite},
        {"a new playlist", song, lists, "Vol. 1", RequestOutcome::kReady},
        {"a link to a playlist that is gone", song, lists, "Dangling", RequestOutcome::kReady},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // The window first: the command line writes the playlists that are ready.
        EXPECT_EQ(ThroughTheWindow(c.input, c.folder, c.name), c.expected);
        EXPECT_EQ(ThroughTheCommandLine(c.input, c.folder, c.name), c.expected);
    }
    EXPECT_FALSE(fs::exists(m_music / "New"));
    EXPECT_EQ(ReadFileBytes(m_music / "Lists/Old.m3u"), "old");
    EXPECT_TRUE(fs::is_regular_file(m_music / "Lists/gone.m3u"));
}

}  // namespace
