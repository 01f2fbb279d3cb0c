#include "platform/registry/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/platform/registry/temp_hive.h"

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
    const std::string broken = "REGEDIT4\r\n[HKEY_CURRENT_USER\\S]\r\n\"v\"=dword:zz\r\n";
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
