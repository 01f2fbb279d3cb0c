#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "settings/store/properties.h"
#include "tests/platform/registry/windows_export.h"
#include "tests/support/file_bytes.h"
#include "tests/support/mp3/mp3_gen.h"
#include "tests/support/program_run.h"
#include "tests/support/replacement_files.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

const std::string kBinary = std::string(TRACKLACE_BINARY_DIR) + "/bin/tracklace-make";

using Outcome = ProgramOutcome;

std::vector<char*> Argv(std::vector<std::string>& args) {
    return ProgramArgv(kBinary, args);
}

class TracklaceMakeTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", m_hive.Path().c_str(), 1);
        // The system's reasons for a failure in its own words, the ones strerror gives here.
        setenv("LC_ALL", "C", 1);
        m_root = fs::canonical(m_temp.Path()).string();
    }

    // Runs the program in the test's folder with stdout and stderr on pipes (no terminal).
    Outcome Run(std::vector<std::string> args) {
        return RunProgram(kBinary, std::move(args), m_root);
    }

    std::string Touch(const std::string& relative, const std::string& content = "x") {
        m_temp.File(relative, content);
        return m_root + "/" + relative;
    }

    // A silent MP3 of 215 seconds tagged "Song Y" on "Album X".
    std::string TaggedMp3(const std::string& relative) {
        mp3gen::StreamSpec spec;
        spec.bitrates = {32};
        spec.frames = 8230;  // 8230 * 1152 / 44100 = 214.99 s
        const std::string path = Touch(relative);
        EXPECT_TRUE(mp3gen::WriteFile(
            path,
            mp3gen::Concat(
                {mp3gen::Id3v2Builder(3).Text("TIT2", "Song Y").Text("TALB", "Album X").Build(),
                 mp3gen::MakeStream(spec)})));
        return path;
    }

    TempFolder m_hive;
    TempFolder m_temp;
    std::string m_root;
};

TEST_F(TracklaceMakeTest, WritesTheTwoWorkedPlaylistsByteForByte) {
    const std::string one = TaggedMp3("Music/Rock/one.mp3");
    const std::string two = Touch("Music/Rock/two.ogg");

    Outcome m3u = Run({"--absolute", "-o", "lists/Rock.m3u", "-p", one, two});
    ASSERT_EQ(m3u.status, 0) << m3u.err;
    EXPECT_EQ(m3u.err, "");
    EXPECT_EQ(ReadFileBytes(m_root + "/lists/Rock.m3u"),
              WithCrLf("#EXTM3U\n#EXTINF:215,Album X - Song Y\n" + one + "\n#EXTINF:-1,two\n" +
                       two + "\n"));

    Outcome pls = Run({"--absolute", "-o", "lists/Rock.pls", one, two});
    ASSERT_EQ(pls.status, 0) << pls.err;
    EXPECT_EQ(ReadFileBytes(m_root + "/lists/Rock.pls"),
              WithCrLf("[playlist]\nFile1=" + one +
                       "\nTitle1=Album X - Song Y\nLength1=215\nFile2=" + two +
                       "\nTitle2=two\nNumberOfEntries=2\nVersion=2\n"));

    // The same with the settings' defaults: relative paths, and --no-tags and a mask.
    Outcome relative = Run({"-o", "Music/r.M3U", "Music/Rock"});
    ASSERT_EQ(relative.status, 0) << relative.err;
    EXPECT_EQ(ReadFileBytes(m_root + "/Music/r.M3U"),
              WithCrLf("#EXTM3U\n#EXTINF:215,Album X - Song Y\n./Rock/one.mp3\n#EXTINF:-1,two\n"
                       "./Rock/two.ogg\n"));
    Outcome plain = Run({"--no-tags", "-t", "pls", "-o", "Music/plain", "Music/Rock/one.mp3"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(ReadFileBytes(m_root + "/Music/plain.pls"),
              WithCrLf("[playlist]\nFile1=./Rock/one.mp3\nTitle1=one\nNumberOfEntries=1\n"
                       "Version=2\n"));
    Outcome masked = Run({"--mask", "%2!", "-o", "Music/m.m3u", "Music/Rock/one.mp3"});
    ASSERT_EQ(masked.status, 0) << masked.err;
    EXPECT_EQ(ReadFileBytes(m_root + "/Music/m.m3u"),
              WithCrLf("#EXTM3U\n#EXTINF:215,Song Y!\n./Rock/one.mp3\n"));
    // Five playlists of 2, 2, 2, 1 and 1 entries were counted.
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", -1), 5);
    EXPECT_EQ(GetPropertyInt("prop_TotalSongs", -1), 8);
}

TEST_F(TracklaceMakeTest, FoldersFileTypesAndMissingFiles) {
    Touch("f/track10.ogg");
    Touch("f/Track2.ogg");
    Touch("f/notes.txt");
    Touch("f/sub/deep.ogg");
    Touch("single.wav");
    Outcome made = Run({"-o", "l.m3u", "f", "gone.ogg", "single.wav", "f/notes.txt"});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.err,
              "tracklace-make: Skipped, not found: gone.ogg\n"
              "tracklace-make: Skipped, not an active file type: f/notes.txt\n");
    EXPECT_EQ(ReadFileBytes(m_root + "/l.m3u"),
              WithCrLf("#EXTM3U\n#EXTINF:-1,Track2\n./f/Track2.ogg\n#EXTINF:-1,track10\n"
                       "./f/track10.ogg\n#EXTINF:-1,single\n./single.wav\n"));
}

TEST_F(TracklaceMakeTest, ExitStatuses) {
    Touch("a.ogg");
    Touch("b.txt");
    const Outcome version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "tracklace-make 3.0.1\n");
    const Outcome help = Run({"-h"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: tracklace-make [options] -o PLAYLIST", 0), 0u);

    EXPECT_EQ(Run({}).status, 2);
    EXPECT_EQ(Run({"a.ogg"}).status, 2);
    EXPECT_EQ(Run({"--bogus", "-o", "x.m3u", "a.ogg"}).status, 2);
    EXPECT_EQ(Run({"-t", "wpl", "-o", "x", "a.ogg"}).status, 2);
    EXPECT_EQ(Run({"-o"}).status, 2);
    const Outcome none = Run({"-o", "x.m3u", "b.txt", "missing.ogg"});
    EXPECT_EQ(none.status, 2);
    EXPECT_FALSE(fs::exists(m_root + "/x.m3u"));

    ASSERT_EQ(Run({"-q", "-o", "x.m3u", "a.ogg"}).status, 0);
    const Outcome exists = Run({"-o", "x.m3u", "a.ogg"});
    EXPECT_EQ(exists.status, 1);
    EXPECT_NE(exists.err.find("exists already"), std::string::npos);
    EXPECT_EQ(Run({"-f", "-o", "x.m3u", "a.ogg"}).status, 0);

    EXPECT_EQ(Run({"-o", "new/x.m3u", "a.ogg"}).status, 1);
    EXPECT_FALSE(fs::exists(m_root + "/new"));
    EXPECT_EQ(Run({"-p", "-o", "new/x.m3u", "a.ogg"}).status, 0);

    // A failure of the job itself gives its text in the user's language.
    SetPropertyString("prop_Language", "DE");
    const Outcome deep = Run({"-p", "-o", "no/such/x.m3u", "a.ogg"});
    EXPECT_EQ(deep.status, 1);
    EXPECT_EQ(deep.err,
              "tracklace-make: Der Ordner der Playlist konnte nicht angelegt werden.\n\nBitte "
              "schließen Sie alle anderen Anwendungen und wiederholen Sie den Vorgang.\n" +
                  std::string(strerror(ENOENT)) + "\n");
    if (access("/dev/full", W_OK) == 0) {
        fs::create_symlink("/dev/full", m_root + "/full.m3u");
        const Outcome full = Run({"-f", "-o", "full.m3u", "a.ogg"});
        EXPECT_EQ(full.status, 1);
        EXPECT_NE(full.err.find("nicht vollständig geschrieben"), std::string::npos);
    }
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", -1), 3);
}

TEST_F(TracklaceMakeTest, WhatIsWrongWithTheSettingsFileIsSaidInOneLine) {
    Touch("a.ogg");
    const std::string hiveFolder = m_hive.String() + "/Wendmark";
    const std::string hive = hiveFolder + "/HKEY_CURRENT_USER.reg";
    fs::create_directories(hiveFolder);

    // No file at all where the settings should be: the file is named, not the file types.
    fs::create_directories(hive);
    const Outcome unreadable = Run({"-o", "x.m3u", "a.ogg"});
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_EQ(unreadable.err, "tracklace-make: The settings file " + hive +
                                  " cannot be read; no playlist was written.\n");
    EXPECT_FALSE(fs::exists(m_root + "/x.m3u"));
    // Help and version still answer, with nothing said about the file they do not need.
    const Outcome help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("-o"), std::string::npos);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(Run({"--version"}).status, 0);
    fs::remove(hive);

    // A damaged file is kept aside, and the playlist is made with the default settings.
    std::ofstream(hive, std::ios::binary) << std::string("REGEDIT4\r\n\0\0", 12);
    const Outcome damaged = Run({"-o", "d.m3u", "a.ogg"});
    EXPECT_EQ(damaged.status, 0) << damaged.err;
    const std::string prefix = "tracklace-make: The settings file " + hive +
                               " could not be read; it was kept as " + hive + ".corrupt-";
    EXPECT_EQ(damaged.err.rfind(prefix, 0), 0u) << damaged.err;
    EXPECT_EQ(std::count(damaged.err.begin(), damaged.err.end(), '\n'), 1);
    EXPECT_EQ(ReadFileBytes(m_root + "/d.m3u"), WithCrLf("#EXTM3U\n#EXTINF:-1,a\n./a.ogg\n"));
    // Said once: the next start finds a good file.
    EXPECT_EQ(Run({"-f", "-o", "d.m3u", "a.ogg"}).err, "");

    // A Windows export: its settings are used (German, absolute paths), and the user is
    // told where the original went.
    std::ofstream(hive, std::ios::binary | std::ios::trunc) << Utf16LeFile(WindowsExportText());
    Touch("b.mp3");
    const Outcome exported = Run({"-o", "e.m3u", "b.mp3"});
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.err.rfind("tracklace-make: Die Einstellungsdatei " + hive +
                                     " war ein Export der Windows-Registrierung; ihre "
                                     "Einstellungen wurden übernommen, das Original wurde als " +
                                     hive + ".windows-export-",
                                 0),
              0u)
        << exported.err;
    EXPECT_EQ(ReadFileBytes(m_root + "/e.m3u"),
              WithCrLf("#EXTM3U\n#EXTINF:-1,b\n" + m_root + "/b.mp3\n"));

    if (geteuid() != 0) {
        // A file the user may not read is as unreadable as a folder.
        fs::permissions(hive, fs::perms::none);
        EXPECT_EQ(Run({"-o", "y.m3u", "a.ogg"}).status, 1);
        fs::permissions(hive, fs::perms::owner_read | fs::perms::owner_write);
    }
}

TEST_F(TracklaceMakeTest, CtrlCCancelsBetweenEntriesAndKeepsWhatWasWritten) {
    // Enough entries that the progress line fills the terminal's buffer long before the
    // end: while the test does not read, the job stands still inside the list.
    std::vector<std::string> args = {"-o", "big.pls"};
    for (int i = 0; i < 50; ++i) {
        Touch("f/s" + std::to_string(i) + ".ogg");
    }
    for (int i = 0; i < 1000; ++i) {
        args.push_back("f");
    }
    std::vector<char*> argv = Argv(args);
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (chdir(m_root.c_str()) != 0) {
            _exit(99);
        }
        execv(kBinary.c_str(), argv.data());
        _exit(98);
    }
    std::string seen;
    char buffer[4096];
    while (seen.find("files processed") == std::string::npos) {
        const ssize_t got = read(master, buffer, sizeof buffer);
        ASSERT_GT(got, 0) << seen;
        seen.append(buffer, static_cast<std::size_t>(got));
    }
    ASSERT_EQ(kill(pid, SIGINT), 0);
    // The program takes the signal itself; wait until it has, then let the output flow.
    const std::string status = "/proc/" + std::to_string(pid) + "/status";
    for (int tries = 0; tries < 20000; ++tries) {
        std::ifstream in(status);
        std::string line;
        bool pending = false;
        while (std::getline(in, line)) {
            if (line.rfind("ShdPnd:", 0) == 0) {
                pending = line.find_first_not_of("0\t ", 7) != std::string::npos;
            }
        }
        if (!pending) {
            break;
        }
        usleep(1000);
    }
    while (true) {
        const ssize_t got = read(master, buffer, sizeof buffer);
        if (got <= 0) {
            break;  // EIO once the program has closed the terminal
        }
        seen.append(buffer, static_cast<std::size_t>(got));
    }
    int wstatus = 0;
    ASSERT_EQ(waitpid(pid, &wstatus, 0), pid);
    close(master);
    ASSERT_TRUE(WIFEXITED(wstatus));
    EXPECT_EQ(WEXITSTATUS(wstatus), 130);
    EXPECT_NE(seen.find("The creation of the playlist was cancelled"), std::string::npos);

    const std::string written = ReadFileBytes(m_root + "/big.pls");
    EXPECT_EQ(written.rfind("[playlist]\r\nFile1=./f/s0.ogg\r\nTitle1=s0\r\n", 0), 0u);
    EXPECT_EQ(written.find("NumberOfEntries"), std::string::npos);
    EXPECT_LT(written.size(), 50000u * 30u);
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", -1), -1);
}

// Writes bytes to path the way the program does, so that the old playlist is whole when a
// run starts.
void PutFile(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".put";
    std::ofstream(temporary, std::ios::binary) << bytes;
    fs::rename(temporary, path);
}

TEST_F(TracklaceMakeTest, AKillAtAnyMomentLeavesTheOldOrTheCompleteNewPlaylist) {
    // 200 files named 1000 times: 200,000 entries from a short command line.
    for (int i = 0; i < 200; ++i) {
        Touch("f/s" + std::to_string(i) + ".ogg");
    }
    std::vector<std::string> args = {"-q", "-f", "-o", "big.pls"};
    args.insert(args.end(), 1000, "f");
    const std::string playlist = m_root + "/big.pls";
    const std::string oldBytes =
        "[playlist]\r\nFile1=old.ogg\r\nNumberOfEntries=1\r\nVersion=2\r\n";

    // How long a run takes here: the shortest of three, so that most moments fall inside one.
    auto duration = std::chrono::steady_clock::duration::max();
    for (int run = 0; run < 3; ++run) {
        const auto started = std::chrono::steady_clock::now();
        ASSERT_EQ(Run(args).status, 0);
        duration = std::min(duration, std::chrono::steady_clock::now() - started);
    }
    const std::string newBytes = ReadFileBytes(playlist);
    ASSERT_NE(newBytes.find("File200000=./f/s199.ogg\r\n"), std::string::npos);
    ASSERT_TRUE(newBytes.ends_with("NumberOfEntries=200000\r\nVersion=2\r\n"));

    std::mt19937 random(std::random_device{}());
    // Moments from the start to the end of a run, so that the start, every entry, the sync
    // and the rename all get their share.
    std::uniform_int_distribution<long long> moment(
        0, std::chrono::duration_cast<std::chrono::microseconds>(duration).count());
    // A sanitizer build runs every process several times slower: fewer kills there, the full
    // hundred in the ordinary build.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    const int wantedKills = 15;
#else
    const int wantedKills = 100;
#endif
    int kills = 0;
    int oldSeen = 0;
    int newSeen = 0;
    for (int round = 0; kills < wantedKills && round < 4 * wantedKills; ++round) {
        PutFile(playlist, oldBytes);
        std::vector<std::string> runArgs = args;
        std::vector<char*> argv = Argv(runArgs);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            if (chdir(m_root.c_str()) != 0) {
                _exit(99);
            }
            execv(kBinary.c_str(), argv.data());
            _exit(98);
        }
        const long long wait = moment(random);
        std::this_thread::sleep_for(std::chrono::microseconds(wait));
        kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        const bool killed = WIFSIGNALED(status);
        kills += killed ? 1 : 0;
        ASSERT_TRUE(killed || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << status;

        const std::string now = ReadFileBytes(playlist);
        ASSERT_TRUE(now == oldBytes || now == newBytes)
            << "after " << wait << " us: " << now.size() << " bytes, not " << oldBytes.size()
            << " nor " << newBytes.size();
        (now == oldBytes ? oldSeen : newSeen) += 1;
        // A killed run leaves at most its own temporary file; the next run removes it.
        ASSERT_LE(TemporaryFilesIn(m_root).size(), 1u) << "round " << round;
    }
    EXPECT_GE(kills, wantedKills);
    ASSERT_EQ(Run(args).status, 0);
    EXPECT_EQ(ReadFileBytes(playlist), newBytes);
    EXPECT_TRUE(TemporaryFilesIn(m_root).empty());
    std::printf("%d kills while running; %d left the old playlist, %d the new one\n", kills,
                oldSeen, newSeen);
}

}  // namespace
