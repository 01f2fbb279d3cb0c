#include "core/path/path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/temp_folder.h"

namespace {

constexpr PathStyle kWin = PathStyle::Windows;
constexpr PathStyle kPosix = PathStyle::Posix;

std::string Relative(const std::string& from, const std::string& target, PathStyle style,
                     bool isFolder = true) {
    return CPath(target, isFolder, style).GetRelativePath(from);
}

struct RelativeCase {
    const char* from;
    const char* target;
    const char* expected;
};

TEST(PathWindowsTest, RelativePathsOfTheWorkedTable) {
    const RelativeCase cases[] = {
        {"C:\\Lists", "C:\\Music\\Rock\\", "..\\Music\\Rock\\"},
        {"C:\\Lists\\Party", "C:\\Lists\\Old\\", "..\\Old\\"},
        {"C:\\Lists", "C:\\Lists\\Live\\", ".\\Live\\"},
        {"C:\\Lists", "C:\\Lists\\", ".\\"},
        {"c:\\lists", "C:\\Lists\\Live\\", ".\\Live\\"},
        {"C:\\Lists", "D:\\Music\\", ""},
        {"C:\\Lists", "Music\\Rock\\", ""},
        {"D:\\", "Music\\Rock\\", ""},
    };
    for (const RelativeCase& c : cases) {
        EXPECT_EQ(Relative(c.from, c.target, kWin), c.expected) << c.from << " -> " << c.target;
    }
}

TEST(PathWindowsTest, RelativePathsBeyondTheTable) {
    // Several levels up and down, roots, UNC shares, "/" as separator.
    EXPECT_EQ(Relative("C:\\A\\B\\C", "C:\\A\\X\\Y\\", kWin), "..\\..\\X\\Y\\");
    EXPECT_EQ(Relative("C:\\Lists", "C:\\", kWin), "..\\");
    EXPECT_EQ(Relative("C:", "C:\\Music\\", kWin), ".\\Music\\");
    EXPECT_EQ(Relative("C:/Lists", "C:/Lists/Live/", kWin), ".\\Live\\");
    EXPECT_EQ(Relative("\\\\server\\share\\Lists", "\\\\server\\share\\Music\\", kWin),
              "..\\Music\\");
    EXPECT_EQ(Relative("\\\\SERVER\\Share", "\\\\server\\share\\Music\\", kWin), ".\\Music\\");
    EXPECT_EQ(Relative("\\\\server\\other\\Lists", "\\\\server\\share\\Music\\", kWin), "");
    EXPECT_EQ(Relative("\\\\server\\share\\Lists", "C:\\Music\\", kWin), "");
    // A relative fromFolder or a drive-relative one has nothing to be related to.
    EXPECT_EQ(Relative("Lists", "C:\\Music\\", kWin), "");
    EXPECT_EQ(Relative("C:Lists", "C:\\Music\\", kWin), "");
    // A component that only starts like another one is not common.
    EXPECT_EQ(Relative("C:\\List", "C:\\Lists\\", kWin), "..\\Lists\\");
    // Letter case outside ASCII counts as well.
    EXPECT_EQ(Relative("C:\\Ärger", "C:\\ärger\\Live\\", kWin), ".\\Live\\");
}

TEST(PathWindowsTest, SplitsDriveFolderNameAndExtension) {
    const CPath slashes("C:/Music/Rock/", true, kWin);
    EXPECT_EQ(slashes.GetDrive(), "C:");
    EXPECT_EQ(slashes.GetFolder(), "\\Music\\Rock\\");
    EXPECT_FALSE(slashes.IsRelative());

    const CPath quoted("\"C:\\My Music\\\"", true, kWin);
    EXPECT_EQ(quoted.GetText(), "\"C:\\My Music\\\"");
    EXPECT_EQ(quoted.GetDrive(), "C:");
    EXPECT_EQ(quoted.GetFolder(), "\\My Music\\");
    EXPECT_EQ(quoted.GetFolderPath(), "C:\\My Music\\");

    const CPath unc("\\\\server\\share\\Music\\", true, kWin);
    EXPECT_EQ(unc.GetDrive(), "");
    EXPECT_EQ(unc.GetFolder(), "\\\\server\\share\\Music\\");
    EXPECT_FALSE(unc.IsRelative());

    const CPath driveRelative("C:Music\\", true, kWin);
    EXPECT_EQ(driveRelative.GetDrive(), "C:");
    EXPECT_EQ(driveRelative.GetFolder(), "Music\\");
    EXPECT_TRUE(driveRelative.IsRelative());
    EXPECT_EQ(driveRelative.GetRelativePath("C:\\Lists"), "");

    const CPath file("c:\\Music\\song.live.MP3", false, kWin);
    EXPECT_EQ(file.GetDrive(), "c:");
    EXPECT_EQ(file.GetFolder(), "\\Music\\");
    EXPECT_EQ(file.GetName(), "song.live");
    EXPECT_EQ(file.GetExtension(), "MP3");
    EXPECT_EQ(file.GetFullPath(), "c:\\Music\\song.live.MP3");
    EXPECT_EQ(file.GetFolderPath(), "c:\\Music\\");
}

TEST(PathWindowsTest, FolderValuesAndFileValues) {
    // Built as a folder, a last component without separator belongs to the folder.
    const CPath folder("C:\\Music\\Rock", true, kWin);
    EXPECT_EQ(folder.GetFolder(), "\\Music\\Rock\\");
    EXPECT_EQ(folder.GetName(), "");
    EXPECT_EQ(folder.GetExtension(), "");
    const CPath dotted("C:\\Music\\v1.2", true, kWin);
    EXPECT_EQ(dotted.GetFullPath(), "C:\\Music\\v1.2\\");

    const CPath noExtension("C:\\Music\\README", false, kWin);
    EXPECT_EQ(noExtension.GetName(), "README");
    EXPECT_EQ(noExtension.GetExtension(), "");
    EXPECT_EQ(noExtension.GetFullPath(), "C:\\Music\\README");

    const CPath target("C:\\Lists\\Live\\a.mp3", false, kWin);
    EXPECT_EQ(target.GetRelativePath("C:\\Lists"), ".\\Live\\a.mp3");
    EXPECT_EQ(target.GetRelativePath("C:\\Other"), "..\\Lists\\Live\\a.mp3");
}

TEST(PathWindowsTest, EmptyTextsGiveAnEmptyValue) {
    for (const char* text : {"", "\"\""}) {
        const CPath path(text, true, kWin);
        EXPECT_EQ(path.GetFullPath(), "");
        EXPECT_FALSE(path.IsRelative());
        EXPECT_FALSE(path.Exists());
        EXPECT_EQ(path.GetRelativePath("C:\\Lists"), "");
    }
}

TEST(PathPosixTest, RelativePathsOfTheWorkedTable) {
    const RelativeCase cases[] = {
        {"/Lists", "/Music/Rock/", "../Music/Rock/"},
        {"/Lists/Party", "/Lists/Old/", "../Old/"},
        {"/Lists", "/Lists/Live/", "./Live/"},
        {"/Lists", "/Lists/", "./"},
        {"/Lists", "Music/Rock/", ""},
        // No drives: every absolute path shares the root.
        {"/home/a/Lists", "/media/usb/Music/", "../../../media/usb/Music/"},
        // Removing the separator from the root leaves an empty text.
        {"", "/Music/", "./Music/"},
        {"/Lists", "/", "../"},
    };
    for (const RelativeCase& c : cases) {
        EXPECT_EQ(Relative(c.from, c.target, kPosix), c.expected) << c.from << " -> " << c.target;
    }
}

TEST(PathPosixTest, ComparesExactlyAndKeepsBackslashesAndQuotes) {
    // Letter case makes different folders here.
    EXPECT_EQ(Relative("/lists", "/Lists/Live/", kPosix), "../Lists/Live/");
    // A backslash and quotes are ordinary characters of a name.
    const CPath odd("/Music/a\\b/\"x\"", true, kPosix);
    EXPECT_EQ(odd.GetFolder(), "/Music/a\\b/\"x\"/");
    EXPECT_EQ(odd.GetDrive(), "");
    // "C:" is a plain name, not a drive.
    const CPath colon("C:/Music/", true, kPosix);
    EXPECT_EQ(colon.GetDrive(), "");
    EXPECT_EQ(colon.GetFolder(), "C:/Music/");
    EXPECT_TRUE(colon.IsRelative());
    EXPECT_EQ(colon.GetRelativePath("/"), "");
    // A doubled separator is one.
    EXPECT_EQ(Relative("/Lists//", "/Lists//Live/", kPosix), "./Live/");
}

TEST(PathPosixTest, FileValues) {
    const CPath file("/Lists/Live/a.mp3", false, kPosix);
    EXPECT_EQ(file.GetFolder(), "/Lists/Live/");
    EXPECT_EQ(file.GetName(), "a");
    EXPECT_EQ(file.GetExtension(), "mp3");
    EXPECT_EQ(file.GetRelativePath("/Lists"), "./Live/a.mp3");
    // A leading dot is part of the name, so nothing of it is lost.
    const CPath hidden("/home/u/.profile", false, kPosix);
    EXPECT_EQ(hidden.GetName(), ".profile");
    EXPECT_EQ(hidden.GetExtension(), "");
    EXPECT_EQ(hidden.GetFullPath(), "/home/u/.profile");
    const CPath relativeFolder("Music", true, kPosix);
    EXPECT_EQ(relativeFolder.GetFolder(), "Music/");
    EXPECT_TRUE(relativeFolder.IsRelative());
}

TEST(PathPosixTest, ExistsAsksTheFileSystem) {
    auto temp = std::make_unique<TempFolder>("tracklace-path");
    const std::string root = temp->String();
    ASSERT_FALSE(root.empty());
    EXPECT_TRUE(CPath(root + "/", true).Exists());
    EXPECT_TRUE(CPath(root, true).Exists());
    EXPECT_FALSE(CPath(root + "/missing/", true).Exists());
    // A file value asks about its folder.
    EXPECT_TRUE(CPath(root + "/missing.mp3", false).Exists());
    EXPECT_FALSE(CPath(root + "/missing/a.mp3", false).Exists());
    temp.reset();
    EXPECT_FALSE(CPath(root + "/", true).Exists());
}

}  // namespace
