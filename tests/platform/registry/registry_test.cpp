#include "platform/registry/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/platform/registry/temp_hive.h"
#include "tests/platform/registry/windows_export.h"

using namespace platform::registry;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> CorruptCopies(const TempHive& hive) {
    std::vector<std::string> copies;
    for (const auto& entry : fs::directory_iterator(hive.folder() + "/Wendmark")) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("HKEY_CURRENT_USER.reg.corrupt-", 0) == 0) {
            copies.push_back(entry.path().string());
        }
    }
    return copies;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(RegistryFile, LivesBelowTheUsersConfigFolder) {
    TempHive hive;
    EXPECT_EQ(HiveFilePath(), hive.folder() + "/Wendmark/HKEY_CURRENT_USER.reg");
    const std::string home = hive.folder() + "/home";
    const char* oldHome = getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(HiveFilePath(), home + "/.config/Wendmark/HKEY_CURRENT_USER.reg");
    setenv("XDG_CONFIG_HOME", "relative/config", 1);  // ignored: not an absolute path
    EXPECT_EQ(HiveFilePath(), home + "/.config/Wendmark/HKEY_CURRENT_USER.reg");
    setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(HiveFilePath(), home + "/.config/Wendmark/HKEY_CURRENT_USER.reg");
    // The folders are made on the first write.
    EXPECT_TRUE(SetValue("A", "v", Value::Dword(7)));
    EXPECT_TRUE(fs::exists(home + "/.config/Wendmark/HKEY_CURRENT_USER.reg"));
    setenv("HOME", savedHome.c_str(), 1);
    setenv("XDG_CONFIG_HOME", hive.folder().c_str(), 1);
}

TEST(RegistryFile, NothingExistsUntilItIsWritten) {
    TempHive hive;
    EXPECT_FALSE(KeyExists("Software"));
    EXPECT_FALSE(QueryValue("Software", "v").has_value());
    EXPECT_FALSE(EnumValues("Software").has_value());
    EXPECT_FALSE(DeleteKey("Software"));
    EXPECT_FALSE(hive.Exists());
    EXPECT_TRUE(CreateKey("Software\\Wendmark\\Tracklace3"));
    EXPECT_TRUE(KeyExists("software\\WENDMARK"));
    EXPECT_EQ(EnumSubkeys("Software\\Wendmark"), std::vector<std::string>{"Tracklace3"});
    EXPECT_EQ(EnumValues("Software\\Wendmark\\Tracklace3")->size(), 0u);
}

TEST(RegistryFile, EveryOperationReadsTheFileAgain) {
    TempHive hive;
    ASSERT_TRUE(SetValue("Software\\T", "Count", Value::Dword(1)));
    // A change made behind the program's back (another instance, an editor) is seen at once.
    hive.Write("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\T]\n\"Count\"=dword:00000002\n");
    EXPECT_EQ(QueryValue("Software\\T", "count")->AsDword(), 2u);
    ASSERT_TRUE(SetValue("Software\\T", "Other", Value::Text("x")));
    EXPECT_EQ(QueryValue("Software\\T", "Count")->AsDword(), 2u);
}

TEST(RegistryFile, ValuesOfTypesTheProgramDoesNotUseStayAsTheyWere) {
    TempHive hive;
    hive.Write(
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n"
        "\"List\"=hex(7):61,00,00\r\n\"Blob\"=hex:01,02,ff\r\n\"Wide\"=hex(b):01,00,00,00,00,00,"
        "00,00\r\n");
    ASSERT_TRUE(SetValue("Software\\T", "New", Value::Text("n")));
    const auto values = EnumValues("Software\\T");
    ASSERT_EQ(values->size(), 4u);
    EXPECT_EQ((*values)[0].value, (Value{7, std::string("a\0\0", 3)}));
    EXPECT_EQ((*values)[1].value, (Value{kTypeBinary, "\x01\x02\xFF"}));
    EXPECT_EQ((*values)[2].value, (Value{11, std::string("\x01\0\0\0\0\0\0\0", 8)}));
    const std::string text = hive.Read();
    EXPECT_NE(text.find("\"List\"=hex(7):61,00,00\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Wide\"=hex(b):01,00,00,00,00,00,00,00\r\n"), std::string::npos);
}

TEST(RegistryFile, DeletesKeysAndValues) {
    TempHive hive;
    ASSERT_TRUE(SetValue("S\\A\\B\\C", "v", Value::Dword(1)));
    ASSERT_TRUE(SetValue("S\\A", "w", Value::Dword(2)));
    ASSERT_TRUE(SetValue("S\\Z", "z", Value::Dword(3)));
    EXPECT_TRUE(DeleteKey("s\\a"));
    EXPECT_FALSE(KeyExists("S\\A\\B\\C"));
    EXPECT_FALSE(KeyExists("S\\A"));
    EXPECT_EQ(QueryValue("S\\Z", "z")->AsDword(), 3u);
    EXPECT_TRUE(DeleteValue("S\\Z", "Z"));
    EXPECT_FALSE(DeleteValue("S\\Z", "z"));
    EXPECT_TRUE(KeyExists("S\\Z"));
}

TEST(RegistryFile, RefusesNamesTheFileCannotHold) {
    TempHive hive;
    EXPECT_FALSE(SetValue("S", "two\nlines", Value::Dword(1)));
    EXPECT_FALSE(SetValue("S\\\\T", "v", Value::Dword(1)));
    EXPECT_FALSE(CreateKey(""));
    EXPECT_FALSE(Update([](Key& root) {
        root.AddSubkey("bad\\name");
        return true;
    }));
    EXPECT_FALSE(hive.Exists());
    // An abandoned change writes nothing.
    EXPECT_FALSE(Update([](Key& root) {
        root.AddSubkey("S");
        return false;
    }));
    EXPECT_FALSE(KeyExists("S"));
}

TEST(RegistryFile, AnUnparsableFileIsKeptAsideBeforeTheFirstWrite) {
    TempHive hive;
    // Binary data after a good start: no hive, however much of it looks like one.
    const std::string broken =
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\S]\r\n\"v\"=dword:00000001\r\n" + std::string("\0\x01", 2);
    hive.Write(broken);
    // Reads fail, so callers use their defaults; a read never sets the file aside.
    EXPECT_FALSE(QueryValue("S", "v").has_value());
    EXPECT_FALSE(KeyExists("S"));
    EXPECT_FALSE(CreateKey("S", false));
    EXPECT_FALSE(QueryValue("S", "v", true).has_value());
    EXPECT_EQ(hive.Read(), broken);
    EXPECT_TRUE(CorruptCopies(hive).empty());

    ASSERT_TRUE(SetValue("S", "w", Value::Dword(5)));
    const auto copies = CorruptCopies(hive);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(ReadFile(copies[0]), broken);
    EXPECT_FALSE(QueryValue("S", "v").has_value());
    EXPECT_EQ(QueryValue("S", "w")->AsDword(), 5u);
    ASSERT_TRUE(SetValue("S", "x", Value::Dword(6)));
    EXPECT_EQ(CorruptCopies(hive).size(), 1u);

    // A second broken file on the same second gets a copy of its own.
    hive.Write("not a hive");
    ASSERT_TRUE(SetValue("S", "y", Value::Dword(7)));
    EXPECT_EQ(CorruptCopies(hive).size(), 2u);
}

TEST(RegistryFile, AFileThatCannotBeReadIsNeverReplaced) {
    TempHive hive;
    fs::create_directories(hive.file());  // a folder where the file should be
    EXPECT_FALSE(SetValue("S", "v", Value::Dword(1)));
    EXPECT_FALSE(QueryValue("S", "v").has_value());
    EXPECT_TRUE(fs::is_directory(hive.file()));
}

TEST(RegistryFile, AHiveFileThatIsALinkStaysALink) {
    TempHive hive;
    const std::string target = hive.folder() + "/dotfiles.reg";
    { std::ofstream(target) << "REGEDIT4\n"; }
    fs::create_directories(hive.folder() + "/Wendmark");
    fs::create_symlink(target, hive.file());
    ASSERT_TRUE(SetValue("S", "v", Value::Dword(9)));
    EXPECT_TRUE(fs::is_symlink(hive.file()));
    EXPECT_NE(ReadFile(target).find("\"v\"=dword:00000009"), std::string::npos);
}

TEST(RegistryFile, WritesLeaveNoTemporaryFileBehind) {
    TempHive hive;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(SetValue("S", "v" + std::to_string(i), Value::Dword(i)));
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(hive.folder() + "/Wendmark")) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER.reg.lock"}));
}

TEST(RegistryFile, ALineTheReaderDoesNotKnowStaysInItsPlaceThroughWritesElsewhere) {
    TempHive hive;
    const std::string before =
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wendmark\\Tracklace3\\MP3]\r\n"
        "\"TitleMask\"=\"%1\"\r\n";
    const std::string unknown = "\"Later\"=qword:0123456789abcdef  ; from a newer version";
    const std::string after = "\"ReadID3Tags\"=dword:00000000\r\n\r\n";
    hive.Write(before + unknown + "\r\n" + after);
    EXPECT_EQ(QueryValue("Software\\Wendmark\\Tracklace3\\MP3", "ReadID3Tags"), Value::Dword(0));
    ASSERT_TRUE(
        SetValue("Software\\Wendmark\\Tracklace3\\GeneralSettings", "PlaySound", Value::Dword(0)));
    ASSERT_TRUE(SetValue("Software\\Wendmark\\Tracklace3\\MP3", "TitleMask", Value::Text("%2")));
    const std::string text = hive.Read();
    EXPECT_NE(text.find("\"TitleMask\"=\"%2\"\r\n" + unknown + "\r\n" + after), std::string::npos)
        << text;
    EXPECT_TRUE(CorruptCopies(hive).empty());
}

TEST(RegistryFile, AWindowsExportIsReadAndConvertedAtTheFirstWriteKeepingTheOriginalOnce) {
    TempHive hive;
    const std::string original = Utf16LeFile(WindowsExportText());
    hive.Write(original);
    const std::string app = "Software\\Wendmark\\Tracklace3";
    EXPECT_EQ(QueryValue(app + "\\MP3", "TitleMask"), Value::Text("%1 – %2 (%4)"));
    EXPECT_EQ(QueryValue(app, "Home"), Value::Text("%USERPROFILE%", kTypeExpandSz));
    EXPECT_EQ(hive.Read(), original);  // a read changes nothing

    ASSERT_TRUE(SetValue(app + "\\MP3", "ReadID3Tags", Value::Dword(1)));
    const std::string converted = hive.Read();
    EXPECT_EQ(converted.rfind("REGEDIT4\r\n", 0), 0u);
    EXPECT_NE(converted.find("\"SelectPlaylistFolder\"=\"C:\\\\Users\\\\Jürgen\\\\Playlists\"\r\n"),
              std::string::npos);
    EXPECT_EQ(QueryValue(app + "\\MP3", "TitleMask"), Value::Text("%1 – %2 (%4)"));
    EXPECT_EQ(QueryValue(app + "\\Donations", "TotalSongs"), Value::Dword(1337));
    std::vector<std::string> copies;
    for (const auto& entry : fs::directory_iterator(hive.folder() + "/Wendmark")) {
        if (entry.path().filename().string().find(".windows-export-") != std::string::npos) {
            copies.push_back(entry.path().string());
        }
    }
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(ReadFile(copies[0]), original);
    ASSERT_TRUE(SetValue(app + "\\MP3", "ReadID3Tags", Value::Dword(0)));
    EXPECT_TRUE(CorruptCopies(hive).empty());
}

TEST(RegistryFile, NothingAtThePathThatIsNoRegularFileIsOpenedOrReplaced) {
    TempHive hive;
    fs::create_directories(hive.folder() + "/Wendmark");
    // A FIFO would block an open for reading until a writer comes, which never happens.
    ASSERT_EQ(mkfifo(hive.file().c_str(), 0600), 0);
    EXPECT_FALSE(QueryValue("S", "v").has_value());
    EXPECT_FALSE(KeyExists("S"));
    EXPECT_FALSE(SetValue("S", "v", Value::Dword(1)));
    EXPECT_EQ(CheckHiveFile().finding, HiveCheck::Finding::kUnreadable);
    EXPECT_EQ(fs::status(hive.file()).type(), fs::file_type::fifo);
    fs::remove(hive.file());
    fs::create_directories(hive.file());
    EXPECT_EQ(CheckHiveFile().finding, HiveCheck::Finding::kUnreadable);
    EXPECT_FALSE(CreateKey("S"));
    EXPECT_TRUE(fs::is_directory(hive.file()));
}

TEST(RegistryFile, AFileWithoutReadPermissionIsLeftAlone) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "the superuser reads every file";
    }
    TempHive hive;
    const std::string text = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\S]\r\n\"v\"=dword:00000001\r\n";
    hive.Write(text);
    fs::permissions(hive.file(), fs::perms::none);
    EXPECT_FALSE(QueryValue("S", "v").has_value());
    EXPECT_FALSE(SetValue("S", "v", Value::Dword(2)));
    EXPECT_EQ(CheckHiveFile().finding, HiveCheck::Finding::kUnreadable);
    EXPECT_EQ(fs::status(hive.file()).permissions(), fs::perms::none);
    fs::permissions(hive.file(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(hive.Read(), text);
}

TEST(RegistryFile, AReadOnlyFileIsReadButNeverReplaced) {
    TempHive hive;
    const std::string text = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\S]\r\n\"v\"=dword:00000001\r\n";
    hive.Write(text);
    chmod(hive.file().c_str(), 0444);
    EXPECT_EQ(QueryValue("S", "v"), Value::Dword(1));
    EXPECT_FALSE(SetValue("S", "v", Value::Dword(2)));
    EXPECT_FALSE(DeleteKey("S"));
    EXPECT_TRUE(CreateKey("S"));  // there already: nothing to write
    EXPECT_FALSE(CreateKey("T"));
    EXPECT_EQ(CheckHiveFile().finding, HiveCheck::Finding::kUsable);
    EXPECT_EQ(hive.Read(), text);
    EXPECT_EQ(fs::status(hive.file()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // A damaged file that may not be replaced is not set aside either.
    chmod(hive.file().c_str(), 0644);
    hive.Write(std::string("\0\0", 2));
    chmod(hive.file().c_str(), 0444);
    EXPECT_EQ(CheckHiveFile().finding, HiveCheck::Finding::kUnreadable);
    EXPECT_TRUE(CorruptCopies(hive).empty());
}

TEST(RegistryFile, ADanglingLinkComesToPointAtTheNewFile) {
    TempHive hive;
    fs::create_directories(hive.folder() + "/Wendmark");
    fs::create_directories(hive.folder() + "/dotfiles");
    // A relative link, resolved from the link's own folder, through a second link.
    fs::create_symlink("../dotfiles/hop.reg", hive.file());
    fs::create_symlink("settings.reg", hive.folder() + "/dotfiles/hop.reg");
    EXPECT_FALSE(QueryValue("S", "v").has_value());
    EXPECT_EQ(CheckHiveFile().finding, HiveCheck::Finding::kUsable);
    ASSERT_TRUE(SetValue("S", "v", Value::Dword(3)));
    EXPECT_TRUE(fs::is_symlink(hive.file()));
    EXPECT_TRUE(fs::is_symlink(hive.folder() + "/dotfiles/hop.reg"));
    EXPECT_NE(ReadFile(hive.folder() + "/dotfiles/settings.reg").find("\"v\"=dword:00000003"),
              std::string::npos);
    EXPECT_EQ(QueryValue("S", "v"), Value::Dword(3));
}

TEST(RegistryFile, TheStartCheckKeepsAsideWhatIsNoHiveAndConvertsAnExport) {
    TempHive hive;
    EXPECT_EQ(CheckHiveFile().finding, HiveCheck::Finding::kUsable);
    EXPECT_FALSE(hive.Exists());  // nothing there, nothing written
    const std::string damaged = "\x89PNG\r\n\x1A\n";
    hive.Write(damaged);
    HiveCheck check = CheckHiveFile();
    EXPECT_EQ(check.finding, HiveCheck::Finding::kDamagedKeptAside);
    EXPECT_EQ(check.file, hive.file());
    EXPECT_EQ(check.copy.rfind(hive.file() + ".corrupt-", 0), 0u) << check.copy;
    EXPECT_EQ(ReadFile(check.copy), damaged);
    EXPECT_EQ(hive.Read(), "REGEDIT4\r\n\r\n");
    EXPECT_EQ(CheckHiveFile().finding, HiveCheck::Finding::kUsable);

    hive.Write(Utf16LeFile(WindowsExportText()));
    check = CheckHiveFile();
    EXPECT_EQ(check.finding, HiveCheck::Finding::kExportConverted);
    EXPECT_EQ(check.copy.rfind(hive.file() + ".windows-export-", 0), 0u) << check.copy;
    EXPECT_EQ(QueryValue("Software\\Wendmark\\Tracklace3\\Playlist", "SaveMode"),
              Value::Text("Absolute"));
    EXPECT_EQ(hive.Read().rfind("REGEDIT4\r\n", 0), 0u);
}
