#include "core/creation_job/creation_job.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "core/creation_job/progress_text.h"
#include "core/playlist/playlist.h"
#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "tests/support/file_bytes.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/mp3/mp3_gen.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// One notification as the progress dialog would see it.
struct Note {
    char kind;  // 'M' mark, 'I' info, 'E' error
    std::uintptr_t value;
    std::string text;
    bool operator==(const Note&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Note& note) {
    return out << note.kind << note.value << " \"" << note.text << "\"";
}

// Collects the job's notifications, as the dialog sees them.
class Recorder {
public:
    Recorder()
        : m_target([this](const platform::PostedMessage& m) {
              std::lock_guard<std::mutex> lock(m_lock);
              if (m.message == ProgressMarkMessage()) {
                  m_notes.push_back({'M', m.wParam, {}});
              } else if (m.message == ProgressInfoMessage()) {
                  m_notes.push_back({'I', m.wParam, m.text});
              } else if (m.message == ErrorNotifyMessage()) {
                  m_notes.push_back({'E', m.wParam, {}});
              }
              if (onPost) {
                  onPost(m);
              }
          }) {}
    platform::RecordingMessageTarget& Target() { return m_target; }
    std::vector<Note> Notes() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_notes;
    }
    std::function<void(const platform::PostedMessage&)> onPost;

private:
    std::mutex m_lock;
    std::vector<Note> m_notes;
    platform::RecordingMessageTarget m_target;
};

class CreationJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_hive.Path().empty());
        setenv("XDG_CONFIG_HOME", m_hive.Path().c_str(), 1);
        m_root = fs::canonical(m_temp.Path()).string();
    }

    void Add(const std::string& path) {
        auto* entry = new CPlaylistElement;
        entry->SetPath(path);
        ASSERT_GT(m_playlist.AddTail(entry), 0);
    }
    // Files that exist, so that the relative forms can be checked against the file system.
    std::string Touch(const std::string& relative, const std::string& content = "x") {
        m_temp.File(relative, content);
        return m_root + "/" + relative;
    }
    void Target(const std::string& folder, const std::string& name, int type) {
        m_playlist.SetFolder(folder);
        m_playlist.SetName(name);
        m_playlist.SetTypeFromExtension(type == 0 ? ".pls" : ".m3u");
    }
    int RunJob() {
        CCreationJob job(m_playlist, m_recorder.Target(), m_cancel, m_continue);
        const int result = job.Run();
        m_errorText = job.GetErrorText();
        return result;
    }
    std::vector<std::uintptr_t> InfoPercents() {
        std::vector<std::uintptr_t> percents;
        for (const Note& note : m_recorder.Notes()) {
            if (note.kind == 'I') {
                percents.push_back(note.value);
            }
        }
        return percents;
    }

    TempFolder m_hive;
    TempFolder m_temp;
    std::string m_root;
    CPlaylist m_playlist;
    Recorder m_recorder;
    platform::CManualResetEvent m_cancel{false};
    platform::CManualResetEvent m_continue{true};
    std::string m_errorText;
};

TEST(ProgressText, MadeTakenAndFreed) {
    // A progress text rides in its message: whole through moves, taken once.
    for (const std::string& text : {std::string(), std::string("12 of 30 files processed"),
                                    std::string("a\0b", 3), std::string(5000, 'x')}) {
        platform::CMessage posted(ProgressInfoMessage(), 12, 0, text);
        platform::CMessage received = std::move(posted);
        EXPECT_EQ(received.GetText(), text);
        EXPECT_EQ(received.TakeText(), text);
        EXPECT_EQ(received.GetText(), "");
    }
    // One that is never taken goes with its message.
    platform::CMessage(ProgressInfoMessage(), 0, 0, "not shown");

    // Every "<NUMBER/>" of the table's text is filled, and "<TOTAL/>" once for all.
    const CProgressText progress("<NUMBER/> of <TOTAL/> (<NUMBER/>)", "30");
    EXPECT_EQ(progress.For("12"), "12 of 30 (12)");
    EXPECT_EQ(CProgressText("no tag", "3").For("1"), "no tag");
}

TEST_F(CreationJobTest, FullRunNotifiesEveryStepInOrderAndWritesTheFile) {
    SetPropertyString("prop_SaveMode", "Absolute");
    Add(Touch("m/one.ogg"));
    Add(Touch("m/two.wav"));
    Add(Touch("m/a.b.flac"));
    Target(m_root + "/out", "list", 1);
    fs::create_directory(m_root + "/out");

    ASSERT_EQ(RunJob(), CCreationJob::kContinue);
    const std::vector<Note> expected = {
        {'M', 0, {}},
        {'I', 0, "Last preparations are done"},
        {'M', 1, {}},
        {'I', 5, "0 of 3 files processed"},
        {'I', 35, "1 of 3 files processed"},
        {'I', 65, "2 of 3 files processed"},
        {'I', 95, "3 of 3 files processed"},
        {'M', 2, {}},
        {'I', 95, "Completing the creation of the playlist"},
        {'M', 3, {}},
        {'I', 100, "Playlist was created successfully"},
    };
    EXPECT_EQ(m_recorder.Notes(), expected);
    EXPECT_TRUE(m_errorText.empty());
    const std::string m = m_root + "/m/";
    EXPECT_EQ(ReadFileBytes(m_root + "/out/list.m3u"),
              WithCrLf("#EXTM3U\n#EXTINF:-1,one\n" + m + "one.ogg\n#EXTINF:-1,two\n" + m +
                       "two.wav\n#EXTINF:-1,a.b\n" + m + "a.b.flac\n"));
}

TEST_F(CreationJobTest, PercentagesOfOneAndOfThirtyNineEntries) {
    Add(Touch("a.ogg"));
    Target(m_root, "one", 1);
    ASSERT_EQ(RunJob(), CCreationJob::kContinue);
    EXPECT_EQ(InfoPercents(), (std::vector<std::uintptr_t>{0, 5, 95, 95, 100}));
    const std::vector<Note> notes = m_recorder.Notes();
    EXPECT_EQ(notes[3].text, "0 of 1 files processed");
    EXPECT_EQ(notes[4].text, "1 of 1 files processed");

    CPlaylist many;
    for (int i = 0; i < 39; ++i) {
        auto* entry = new CPlaylistElement;
        entry->SetPath(m_root + "/a.ogg");
        many.AddTail(entry);
    }
    many.SetFolder(m_root);
    many.SetName("many");
    many.SetTypeFromExtension(".pls");
    Recorder recorder;
    CCreationJob job(many, recorder.Target(), m_cancel, m_continue);
    ASSERT_EQ(job.Run(), CCreationJob::kContinue);
    std::vector<Note> infos;
    for (const Note& note : recorder.Notes()) {
        if (note.kind == 'I') {
            infos.push_back(note);
        }
    }
    ASSERT_EQ(infos.size(), 39u + 4u);
    EXPECT_EQ(infos[40], (Note{'I', 94, "39 of 39 files processed"}));
    EXPECT_EQ(infos[41].value, 95u);
}

TEST_F(CreationJobTest, RelativeFormsAndAbsoluteMode) {
    Add(Touch("p/here.ogg"));
    Add(Touch("p/Live/live.ogg"));
    Add(Touch("x/away.ogg"));
    Target(m_root + "/p", "rel", 0);
    ASSERT_EQ(RunJob(), CCreationJob::kContinue);
    EXPECT_EQ(ReadFileBytes(m_root + "/p/rel.pls"),
              WithCrLf("[playlist]\nFile1=./here.ogg\nTitle1=here\nFile2=./Live/live.ogg\n"
                       "Title2=live\nFile3=../x/away.ogg\nTitle3=away\nNumberOfEntries=3\n"
                       "Version=2\n"));

    // Only the exact word selects relative paths.
    SetPropertyString("prop_SaveMode", "relative");
    m_playlist.SetName("abs");
    ASSERT_EQ(RunJob(), CCreationJob::kContinue);
    EXPECT_EQ(ReadFileBytes(m_root + "/p/abs.pls"),
              WithCrLf("[playlist]\nFile1=" + m_root + "/p/here.ogg\nTitle1=here\nFile2=" + m_root +
                       "/p/Live/live.ogg\nTitle2=live\nFile3=" + m_root +
                       "/x/away.ogg\nTitle3=away\nNumberOfEntries=3\nVersion=2\n"));
}

TEST_F(CreationJobTest, RelativeOnlyWhereItLeadsToTheEntryThroughLinks) {
    // The playlist folder is reached through a link: "../x/" from the link's place names a
    // folder that is not where the entry is.
    Touch("real/deep/p/keep");
    Add(Touch("x/away.ogg"));
    fs::create_directory_symlink(m_root + "/real/deep/p", m_root + "/link");
    // An entry folder reached through a link that does lead there keeps its relative form.
    Touch("music/inside.ogg");
    fs::create_directory_symlink(m_root + "/music", m_root + "/real/deep/p/m");
    Add(m_root + "/link/m/inside.ogg");
    // A missing entry folder cannot be checked: absolute.
    Add(m_root + "/gone/lost.ogg");
    Target(m_root + "/link", "l", 1);
    ASSERT_EQ(RunJob(), CCreationJob::kContinue);
    EXPECT_EQ(ReadFileBytes(m_root + "/link/l.m3u"),
              WithCrLf("#EXTM3U\n#EXTINF:-1,away\n" + m_root +
                       "/x/away.ogg\n#EXTINF:-1,inside\n./m/inside.ogg\n#EXTINF:-1,lost\n" +
                       m_root + "/gone/lost.ogg\n"));
}

TEST_F(CreationJobTest, ValuesAreWrittenVerbatim) {
    // A tag needs "/>", so on this file system it reaches a path as a folder "<TITLE" with
    // a file ">.mp3" in it; the path must still be written as it is.
    SetPropertyInt("prop_ReadID3Tags", 0);
    Add(Touch("<TITLE/>.mp3"));
    Add(Touch("<LENGTH/> <TRACK/><FILENAME/>x.ogg"));
    Target(m_root, "v", 0);
    ASSERT_EQ(RunJob(), CCreationJob::kContinue);
    EXPECT_EQ(ReadFileBytes(m_root + "/v.pls"),
              WithCrLf("[playlist]\nFile1=./<TITLE/>.mp3\nTitle1=>\n"
                       "File2=./<LENGTH/> <TRACK/><FILENAME/>x.ogg\nTitle2=>x\n"
                       "NumberOfEntries=2\nVersion=2\n"));
}

TEST_F(CreationJobTest, LineBreakInAnEntryFailsTheJobAndCountsNothing) {
    Add(Touch("fine.ogg"));
    Add(Touch("bad\nname.ogg"));
    Target(m_root, "lb", 1);
    ASSERT_EQ(RunJob(), CCreationJob::kFailed);
    EXPECT_NE(m_errorText.find("line break"), std::string::npos) << m_errorText;
    EXPECT_NE(m_errorText.find("bad\\nname.ogg"), std::string::npos);
    const std::vector<Note> notes = m_recorder.Notes();
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes.back().kind, 'E');
    for (const Note& note : notes) {
        EXPECT_FALSE(note.kind == 'M' && note.value >= 2) << note;
    }
    EXPECT_EQ(ReadFileBytes(m_root + "/lb.m3u").find("bad"), std::string::npos);
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", -1), -1);
    EXPECT_EQ(GetPropertyInt("prop_TotalSongs", -1), -1);
}

// The folder part is checked once per folder, the name and extension per entry: a break in
// any of them, after entries of a clean folder, still refuses the job in both modes, before
// anything is written. The message shows the break as an escape, on one line.
TEST_F(CreationJobTest, LineBreakInAFolderOrAnExtensionFailsTheJobInBothModes) {
    struct Case {
        std::string bad;
        bool relative;
        std::string shown;
    };
    const Case cases[] = {{"p/we\rird/b.ogg", true, "p/we\\rird/b.ogg"},
                          {"p/we\rird/b.ogg", false, "p/we\\rird/b.ogg"},
                          {"p/ok/b.og\ng", true, "p/ok/b.og\\ng"},
                          {"p/ok/b.og\ng", false, "p/ok/b.og\\ng"},
                          {"p/line\nfeed/b.ogg", true, "p/line\\nfeed/b.ogg"},
                          {"p/line\nfeed/b.ogg", false, "p/line\\nfeed/b.ogg"}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.shown << (c.relative ? " relative" : " absolute"));
        m_playlist.RemoveAll();
        Add(Touch("p/ok/a.ogg"));
        Add(Touch("p/ok/c.ogg"));
        Add(Touch(c.bad));
        Add(Touch("p/ok/d.ogg"));
        const std::string name = "lb" + std::to_string(n++);
        Target(m_root + "/p", name, 1);
        CCreationJob job(m_playlist, m_recorder.Target(), m_cancel, m_continue);
        CCreationJob::Overrides overrides;
        overrides.relative = c.relative;
        job.SetOverrides(overrides);
        ASSERT_EQ(job.Run(), CCreationJob::kFailed);
        const std::string& text = job.GetErrorText();
        EXPECT_NE(text.find(m_root + "/" + c.shown + " "), std::string::npos) << text;
        EXPECT_EQ(text.find_first_of("\r"), std::string::npos) << text;
        EXPECT_EQ(text.substr(0, text.find('\n')).find("<"), std::string::npos) << text;
        EXPECT_FALSE(fs::exists(m_root + "/p/" + name + ".m3u"));
    }
}

// Names are searched for line breaks several bytes at a time: a break at any place of a
// name of any length is found, and bytes that only resemble one (other control bytes,
// UTF-8 bytes with the low bits of CR or LF) are written.
TEST_F(CreationJobTest, ALineBreakAtAnyPlaceOfANameIsFoundAndNoOtherByte) {
    int n = 0;
    auto run = [&](const std::string& name) {
        m_playlist.RemoveAll();
        Add(m_root + "/" + name + ".ogg");
        Target(m_root, "scan" + std::to_string(n++), 1);
        return RunJob();
    };
    for (std::size_t length = 1; length <= 19; ++length) {
        for (std::size_t at = 0; at < length; ++at) {
            for (const char lineBreak : {'\n', '\r'}) {
                std::string name(length, 'a');
                name[at] = lineBreak;
                ASSERT_EQ(run(name), CCreationJob::kFailed) << length << " " << at;
            }
        }
    }
    const std::string lookalikes = "\t\x0b\x0c\x0e \xc5\x8a\xc4\x8d\xcd\x8a\xe2\x80\x8d";
    ASSERT_EQ(run(lookalikes), CCreationJob::kContinue);
    const std::string written = ReadFileBytes(m_root + "/scan" + std::to_string(n - 1) + ".m3u");
    EXPECT_NE(written.find("#EXTINF:-1," + lookalikes + "\r\n./" + lookalikes + ".ogg\r\n"),
              std::string::npos);
}

TEST_F(CreationJobTest, CancelAfterTheSecondOfFiveEntriesKeepsWhatWasWritten) {
    SetPropertyString("prop_SaveMode", "Absolute");
    SetPropertyInt("prop_TotalPlaylists", 4);
    for (int i = 1; i <= 5; ++i) {
        Add(Touch("s" + std::to_string(i) + ".ogg"));
    }
    Target(m_root, "c", 0);
    // The dialog pauses the job before it reaches its wait; here every entry's progress
    // message does that, so the test lets exactly one entry through at a time.
    m_continue.Reset();
    m_recorder.onPost = [this](const platform::PostedMessage& m) {
        if (m.message == ProgressInfoMessage()) {
            m_continue.Reset();
        }
    };
    CCreationJob job(m_playlist, m_recorder.Target(), m_cancel, m_continue);
    int result = -1;
    std::thread worker([&] { result = job.Run(); });
    // M0, I0, M1, I5, I(1 of 5): the job now waits after the first entry.
    ASSERT_TRUE(m_recorder.Target().WaitForCount(5, std::chrono::seconds(20)));
    m_continue.Set();
    ASSERT_TRUE(m_recorder.Target().WaitForCount(6, std::chrono::seconds(20)));
    m_cancel.Set();
    worker.join();

    EXPECT_EQ(result, CCreationJob::kCancelled);
    const std::vector<Note> notes = m_recorder.Notes();
    ASSERT_EQ(notes.size(), 8u);
    EXPECT_EQ(notes[5], (Note{'I', 41, "2 of 5 files processed"}));
    EXPECT_EQ(notes[6], (Note{'I', 0, "The creation of the playlist was cancelled"}));
    EXPECT_EQ(notes[7], (Note{'M', 4, {}}));
    EXPECT_EQ(ReadFileBytes(m_root + "/c.pls"),
              WithCrLf("[playlist]\nFile1=" + m_root + "/s1.ogg\nTitle1=s1\nFile2=" + m_root +
                       "/s2.ogg\nTitle2=s2\n"));
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", -1), 4);
    EXPECT_EQ(GetPropertyInt("prop_TotalSongs", -1), -1);
}

TEST_F(CreationJobTest, CountersRiseAndANegativeOneRestartsFromZero) {
    SetPropertyInt("prop_TotalPlaylists", -7);
    SetPropertyInt("prop_TotalSongs", 10);
    Add(Touch("a.ogg"));
    Add(Touch("b.ogg"));
    Target(m_root, "n", 1);
    ASSERT_EQ(RunJob(), CCreationJob::kContinue);
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", -1), 1);
    EXPECT_EQ(GetPropertyInt("prop_TotalSongs", -1), 12);
    ASSERT_EQ(RunJob(), CCreationJob::kContinue);
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", -1), 2);
    EXPECT_EQ(GetPropertyInt("prop_TotalSongs", -1), 14);
}

TEST_F(CreationJobTest, FolderIsCreatedOneLevelOnly) {
    Add(Touch("a.ogg"));
    Target(m_root + "/new", "f", 1);
    ASSERT_EQ(RunJob(), CCreationJob::kContinue);
    EXPECT_TRUE(fs::is_regular_file(m_root + "/new/f.m3u"));

    Recorder recorder;
    m_playlist.SetFolder(m_root + "/missing/new");
    CCreationJob job(m_playlist, recorder.Target(), m_cancel, m_continue);
    ASSERT_EQ(job.Run(), CCreationJob::kFailed);
    EXPECT_EQ(job.GetErrorText(),
              "The playlist folder could not be created.\n\nPlease close all other "
              "applications and repeat the operation.\n" +
                  std::string(strerror(ENOENT)));
    const std::vector<Note> expected = {
        {'M', 0, {}}, {'I', 0, "Last preparations are done"}, {'E', 0, {}}};
    EXPECT_EQ(recorder.Notes(), expected);
    EXPECT_FALSE(fs::exists(m_root + "/missing"));
}

TEST_F(CreationJobTest, PreparationFailuresTouchNoFile) {
    Add(Touch("a.ogg"));
    // The playlist's place is taken by a folder: the file cannot be opened.
    fs::create_directory(m_root + "/taken.m3u");
    Target(m_root, "taken", 1);
    ASSERT_EQ(RunJob(), CCreationJob::kFailed);
    EXPECT_EQ(m_errorText.substr(0, 38), "The playlist file could not be created");
    EXPECT_EQ(m_recorder.Notes().back().kind, 'E');
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", -1), -1);
}

TEST_F(CreationJobTest, AFullDiskIsAnErrorNotACompletedPlaylist) {
    if (access("/dev/full", W_OK) != 0) {
        GTEST_SKIP() << "no /dev/full";
    }
    fs::create_symlink("/dev/full", m_root + "/full.m3u");
    Add(Touch("a.ogg"));
    Target(m_root, "full", 1);
    ASSERT_EQ(RunJob(), CCreationJob::kFailed);
    EXPECT_EQ(m_errorText.substr(0, 50), "The playlist file could not be written completely.");
    const std::vector<Note> notes = m_recorder.Notes();
    EXPECT_EQ(notes.back().kind, 'E');
    for (const Note& note : notes) {
        EXPECT_FALSE(note.kind == 'M' && note.value == CCreationJob::kMarkCompleted);
    }
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", -1), -1);
    EXPECT_EQ(GetPropertyInt("prop_TotalSongs", -1), -1);
}

// The names in a folder, to see that a job left nothing behind.
std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder)) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(CreationJobTest, ARefusedRequestWritesNothingAtAll) {
    const std::string old = Touch("keep.m3u", "#EXTM3U\r\nold bytes\r\n");
    Add(Touch("fine.ogg"));
    Add(Touch("bad\nname.ogg"));
    Target(m_root, "keep", 1);
    const std::vector<std::string> before = Names(m_root);
    ASSERT_EQ(RunJob(), CCreationJob::kFailed);
    EXPECT_EQ(ReadFileBytes(old), "#EXTM3U\r\nold bytes\r\n");
    EXPECT_EQ(Names(m_root), before);
    EXPECT_EQ(m_errorText.find('\n'), m_errorText.find("\n\n")) << m_errorText;

    // Not even the missing save folder is made.
    Target(m_root + "/new", "keep", 1);
    ASSERT_EQ(RunJob(), CCreationJob::kFailed);
    EXPECT_FALSE(fs::exists(m_root + "/new"));
}

TEST_F(CreationJobTest, AFailedWriteKeepsTheOldPlaylistAndSaysWhy) {
    const std::string old = Touch("big.m3u", "old");
    for (int i = 0; i < 5000; ++i) {
        Add(m_root + "/a.ogg");
    }
    Target(m_root, "big", 1);
    int result;
    {
        // More than the writer's buffer, so the failure comes while the entries are written.
        const FileSizeLimit limit(16 * 1024);
        result = RunJob();
    }
    ASSERT_EQ(result, CCreationJob::kFailed);
    EXPECT_EQ(m_errorText, GetText("IDS_TL_MB_ERR_WRITE_PLAYLIST_FILE") + "\n" + strerror(EFBIG));
    EXPECT_EQ(ReadFileBytes(old), "old");
    EXPECT_EQ(Names(m_root), (std::vector<std::string>{"big.m3u"}));
    EXPECT_EQ(m_recorder.Notes().back().kind, 'E');
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", -1), -1);

    // The same when the last buffered bytes fail, at the end.
    m_playlist.RemoveAll();
    for (int i = 0; i < 600; ++i) {
        Add(m_root + "/a.ogg");
    }
    {
        const FileSizeLimit limit(8 * 1024);
        result = RunJob();
    }
    ASSERT_EQ(result, CCreationJob::kFailed);
    EXPECT_EQ(ReadFileBytes(old), "old");
    EXPECT_EQ(Names(m_root), (std::vector<std::string>{"big.m3u"}));
}

// A file system that is really full: a small tmpfs of its own, mounted in a mount
// namespace of a child process, where the system allows that.
TEST_F(CreationJobTest, AFullFileSystemKeepsTheOldPlaylistAndSaysWhy) {
    const std::string mountPoint = m_root + "/small";
    fs::create_directory(mountPoint);
    for (int i = 0; i < 5000; ++i) {
        Add(m_root + "/a.ogg");
    }
    Target(mountPoint, "full", 1);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // 1: no mount possible here; 2 and more: what went wrong.
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) {
            _exit(1);
        }
        const std::string old = mountPoint + "/full.m3u";
        std::ofstream(old, std::ios::binary) << "old";
        const int result = RunJob();
        if (result != CCreationJob::kFailed) {
            _exit(2);
        }
        if (m_errorText.find(std::string("\n") + strerror(ENOSPC)) == std::string::npos) {
            _exit(3);
        }
        if (ReadFileBytes(old) != "old" ||
            Names(mountPoint) != std::vector<std::string>{"full.m3u"}) {
            _exit(4);
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 1) {
        GTEST_SKIP() << "no mount namespace with a tmpfs of its own here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "2: not failed, 3: no reason, 4: old file or folder changed";
}

TEST_F(CreationJobTest, TheFileIsReplacedThroughALinkWithItsPermissions) {
    SetPropertyString("prop_SaveMode", "Absolute");
    const std::string real = Touch("elsewhere/p.pls", "old");
    fs::permissions(real, fs::perms(0604));
    fs::create_directory(m_root + "/lists");
    fs::create_symlink(real, m_root + "/lists/p.pls");
    Add(Touch("a.ogg"));
    Target(m_root + "/lists", "p", 0);
    ASSERT_EQ(RunJob(), CCreationJob::kContinue) << m_errorText;
    EXPECT_TRUE(fs::is_symlink(m_root + "/lists/p.pls"));
    EXPECT_EQ(ReadFileBytes(real), WithCrLf("[playlist]\nFile1=" + m_root +
                                            "/a.ogg\nTitle1=a\nNumberOfEntries=1\nVersion=2\n"));
    EXPECT_EQ(fs::status(real).permissions(), fs::perms(0604));
    EXPECT_EQ(Names(m_root + "/elsewhere"), (std::vector<std::string>{"p.pls"}));
}

TEST_F(CreationJobTest, TheSystemsReasonFollowsTheTableText) {
    Add(Touch("a.ogg"));
    fs::create_directory(m_root + "/taken.m3u");
    Target(m_root, "taken", 1);
    ASSERT_EQ(RunJob(), CCreationJob::kFailed);
    EXPECT_EQ(m_errorText, GetText("IDS_TL_MB_ERR_OPEN_PLAYLIST_FILE") + "\n" + strerror(EISDIR));
}

// MP3 entries: generated files whose tags and playing time the test knows.
class CreationJobMp3Test : public CreationJobTest {
protected:
    std::string Mp3(const std::string& name, bool withTag) {
        mp3gen::StreamSpec spec;
        spec.frames = 1000;  // 1000 * 1152 / 44100 = 26.12 s
        mp3gen::Bytes bytes = mp3gen::MakeStream(spec);
        if (withTag) {
            bytes = mp3gen::Concat({mp3gen::Id3v2Builder(3)
                                        .Text("TIT2", "Song Y")
                                        .Text("TPE1", "Artist")
                                        .Text("TALB", "Album X <LENGTH/>")
                                        .Build(),
                                    bytes});
        }
        const std::string path = m_root + "/" + name;
        EXPECT_TRUE(mp3gen::WriteFile(path, bytes));
        return path;
    }
};

TEST_F(CreationJobMp3Test, TagsGiveTitleAndLengthForMp3FilesOnly) {
    SetPropertyString("prop_SaveMode", "Absolute");
    Add(Mp3("one.mp3", true));
    Add(Mp3("UP.MP3", true));
    Add(Mp3("two.mp2", true));
    Add(Mp3("bare.mp3", false));
    Add(Touch("broken.mp3", "no audio here"));
    Target(m_root, "t", 0);
    ASSERT_EQ(RunJob(), CCreationJob::kContinue);
    const std::string r = m_root + "/";
    EXPECT_EQ(ReadFileBytes(r + "t.pls"),
              WithCrLf("[playlist]\nFile1=" + r + "one.mp3\nTitle1=Album X <LENGTH/> - Song Y\n" +
                       "Length1=26\nFile2=" + r + "UP.MP3\nTitle2=Album X <LENGTH/> - Song Y\n" +
                       "Length2=26\nFile3=" + r + "two.mp2\nTitle3=two\nFile4=" + r +
                       "bare.mp3\nTitle4= - \nLength4=26\nFile5=" + r +
                       "broken.mp3\nTitle5=broken\nNumberOfEntries=5\nVersion=2\n"));

    SetPropertyInt("prop_ReadID3Tags", 0);
    SetPropertyString("prop_TitleMask", "%2 by %1");
    m_playlist.SetTypeFromExtension(".m3u");
    ASSERT_EQ(RunJob(), CCreationJob::kContinue);
    EXPECT_EQ(ReadFileBytes(r + "t.m3u")
                  .rfind(WithCrLf("#EXTM3U\n#EXTINF:-1,one\n" + r + "one.mp3\n"), 0),
              0u);

    SetPropertyInt("prop_ReadID3Tags", 1);
    ASSERT_EQ(RunJob(), CCreationJob::kContinue);
    EXPECT_EQ(ReadFileBytes(r + "t.m3u")
                  .rfind(WithCrLf("#EXTM3U\n#EXTINF:26,Song Y by Artist\n" + r + "one.mp3\n"), 0),
              0u);
}

// A title is made from tags anyone may have written: its control characters become blanks,
// one each, and the entry stays on its lines.
TEST_F(CreationJobMp3Test, ALineBreakInATitleBecomesABlank) {
    mp3gen::StreamSpec spec;
    const std::string path = m_root + "/lf.mp3";
    ASSERT_TRUE(mp3gen::WriteFile(
        path,
        mp3gen::Concat(
            {mp3gen::Id3v2Builder(3).Text("TIT2", "two\r\nlines").Text("TALB", "tab\there").Build(),
             mp3gen::MakeStream(spec)})));
    Add(path);
    Add(Touch("after.ogg"));
    Target(m_root, "lf", 1);
    SetPropertyString("prop_TitleMask", "%2\n%3\x01!");
    ASSERT_EQ(RunJob(), CCreationJob::kContinue) << m_errorText;
    EXPECT_EQ(ReadFileBytes(m_root + "/lf.m3u"),
              WithCrLf("#EXTM3U\n#EXTINF:3,two  lines tab here !\n./lf.mp3\n"
                       "#EXTINF:-1,after\n./after.ogg\n"));
}

}  // namespace
