#include "core/formats/file_replacement.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/formats/playlist_file_writer.h"
#include "tests/support/file_bytes.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/replacement_files.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

mode_t Mode(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST(FileReplacement, TheOldFileStaysUntilCloseAndDiscardKeepsIt) {
    TempFolder temp;
    const std::string file = temp.File("list.m3u", "old");

    CPlaylistFileWriter writer;
    ASSERT_TRUE(writer.OpenReplacement(file));
    ASSERT_TRUE(writer.Write(std::string(100000, 'n')));
    ASSERT_TRUE(writer.Flush());
    EXPECT_EQ(ReadFileBytes(file), "old");
    const std::vector<std::string> held = TemporaryFilesIn(temp.String());
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].rfind(".list.m3u.tracklace-", 0), 0u) << held[0];
    EXPECT_EQ(fs::file_size(temp / held[0]), 100000u);
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(ReadFileBytes(file), std::string(100000, 'n'));
    EXPECT_TRUE(TemporaryFilesIn(temp.String()).empty());

    // Discarded, or dropped before Close: nothing changes.
    ASSERT_TRUE(writer.OpenReplacement(file));
    writer.Write("never");
    writer.Discard();
    {
        CPlaylistFileWriter dropped;
        ASSERT_TRUE(dropped.OpenReplacement(file));
        dropped.Write("never");
    }
    EXPECT_EQ(ReadFileBytes(file), std::string(100000, 'n'));
    EXPECT_TRUE(TemporaryFilesIn(temp.String()).empty());

    // A file that did not exist exists only once it is complete.
    const std::string fresh = temp / "fresh.pls";
    ASSERT_TRUE(writer.OpenReplacement(fresh));
    writer.Write("x\n");
    EXPECT_FALSE(fs::exists(fresh));
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(ReadFileBytes(fresh), "x\r\n");
}

TEST(FileReplacement, ALinkStaysALinkAndTheFileKeepsItsPermissions) {
    TempFolder temp;
    const std::string real = temp.File("real/deep/list.m3u", "old");
    fs::permissions(real, fs::perms(0640));
    // A chain of links, the first one relative.
    fs::create_symlink(real, temp / "second.m3u");
    fs::create_symlink("second.m3u", temp / "first.m3u");

    CPlaylistFileWriter writer;
    ASSERT_TRUE(writer.OpenReplacement(temp / "first.m3u"));
    writer.Write("new");
    // The temporary file lies beside the real file, on its file system.
    EXPECT_EQ(TemporaryFilesIn(temp / "real/deep").size(), 1u);
    EXPECT_TRUE(TemporaryFilesIn(temp.String()).empty());
    ASSERT_TRUE(writer.Close());
    EXPECT_TRUE(fs::is_symlink(temp / "first.m3u"));
    EXPECT_EQ(fs::read_symlink(temp / "first.m3u"), "second.m3u");
    EXPECT_TRUE(fs::is_symlink(temp / "second.m3u"));
    EXPECT_EQ(ReadFileBytes(real), "new");
    EXPECT_EQ(Mode(real), 0640u);

    // Odd bits too, and a file the replacement makes new gets what new files get.
    fs::permissions(real, fs::perms(04751));
    ASSERT_TRUE(writer.OpenReplacement(real));
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(Mode(real), 04751u);
    const mode_t mask = ::umask(022);
    ::umask(mask);
    ASSERT_TRUE(writer.OpenReplacement(temp / "new.m3u"));
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(Mode(temp / "new.m3u"), 0666u & ~mask);

    // A link whose file is gone: the file is made where the link points.
    fs::create_symlink(temp / "real/made.m3u", temp / "dangling.m3u");
    ASSERT_TRUE(writer.OpenReplacement(temp / "dangling.m3u"));
    writer.Write("made");
    ASSERT_TRUE(writer.Close());
    EXPECT_TRUE(fs::is_symlink(temp / "dangling.m3u"));
    EXPECT_EQ(ReadFileBytes(temp / "real/made.m3u"), "made");
}

TEST(FileReplacement, WhatCannotBeReplacedFailsWithTheSystemsReason) {
    TempFolder temp;
    CFileReplacement replacement;
    EXPECT_FALSE(replacement.Begin(temp / "missing/list.m3u"));
    EXPECT_EQ(replacement.GetErrorNumber(), ENOENT);
    fs::create_directory(temp / "taken.m3u");
    EXPECT_FALSE(replacement.Begin(temp / "taken.m3u"));
    EXPECT_EQ(replacement.GetErrorNumber(), EISDIR);
    temp.File("file");
    EXPECT_FALSE(replacement.Begin(temp / "file/list.m3u"));
    EXPECT_EQ(replacement.GetErrorNumber(), ENOTDIR);
    fs::create_symlink("loop.m3u", temp / "loop.m3u");
    EXPECT_FALSE(replacement.Begin(temp / "loop.m3u"));
    EXPECT_EQ(replacement.GetErrorNumber(), ELOOP);
    EXPECT_TRUE(TemporaryFilesIn(temp.String()).empty());
}

TEST(FileReplacement, APlaylistMadeReadOnlyIsNotReplacedBehindItsBack) {
    TempFolder temp;
    CFileReplacement replacement;
    const std::string locked = temp.File("locked.m3u", "keep");
    fs::permissions(locked, fs::perms(0444));
    if (::access(locked.c_str(), W_OK) == 0) {
        GTEST_SKIP() << "running with the right to write read-only files";
    }
    EXPECT_FALSE(replacement.Begin(locked));
    EXPECT_EQ(replacement.GetErrorNumber(), EACCES);
    EXPECT_EQ(ReadFileBytes(locked), "keep");
}

TEST(FileReplacement, AFailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
    TempFolder temp;
    const std::string file = temp.File("list.m3u", "old");
    CPlaylistFileWriter writer;
    {
        const FileSizeLimit limit(16 * 1024);
        ASSERT_TRUE(writer.OpenReplacement(file));
        writer.Write(std::string(200000, 'x'));
        EXPECT_FALSE(writer.Close());
    }
    EXPECT_EQ(writer.GetErrorNumber(), EFBIG);
    EXPECT_EQ(ReadFileBytes(file), "old");
    EXPECT_TRUE(TemporaryFilesIn(temp.String()).empty());
}

TEST(FileReplacement, OnlyTemporaryFilesThatNoOneHoldsAreRemoved) {
    EXPECT_TRUE(CFileReplacement::IsTemporaryName(".a.m3u.tracklace-x7Gq2a"));
    EXPECT_TRUE(CFileReplacement::IsTemporaryName(".x.tracklace-000000"));
    for (const char* other : {"a.m3u.tracklace-x7Gq2a", ".a.m3u.tracklace-x7Gq2",
                              ".tracklace-x7Gq2a", ".a.m3u.tracklace-x7G-2a", ".a.m3u", "a.m3u"}) {
        EXPECT_FALSE(CFileReplacement::IsTemporaryName(other)) << other;
    }

    TempFolder temp;
    const std::string stale = temp.File(".list.m3u.tracklace-Ab3dE9", "left by a killed run");
    const std::string other = temp.File(".other.pls.tracklace-zzzzzz", "also left");
    const std::string notOurs = temp.File("list.m3u.tracklace-Ab3dE9", "someone's");
    // A link of that name is not followed, nor removed.
    fs::create_symlink(temp.File("target"), temp / ".link.m3u.tracklace-qqqqqq");

    CFileReplacement running;
    ASSERT_TRUE(running.Begin(temp / "running.m3u"));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_FALSE(fs::exists(other));
    EXPECT_TRUE(fs::exists(notOurs));
    EXPECT_TRUE(fs::is_symlink(temp / ".link.m3u.tracklace-qqqqqq"));
    // The next replacement in the folder leaves the running one's file alone.
    CFileReplacement::RemoveStaleTemporaryFiles(temp.String());
    EXPECT_TRUE(fs::exists(running.GetTemporaryPath()));
    ASSERT_TRUE(running.Commit());
    EXPECT_TRUE(fs::exists(temp / "running.m3u"));
}

}  // namespace
