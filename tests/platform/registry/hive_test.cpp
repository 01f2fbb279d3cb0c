#include "platform/registry/hive.h"

#include <gtest/gtest.h>

#include <string>

using namespace platform::registry;

namespace {

Key Parse(std::string_view text) {
    auto root = ParseHive(text);
    EXPECT_TRUE(root.has_value()) << text;
    return root ? *root : Key{};
}

const Key& At(const Key& root, std::string_view path) {
    static const Key kMissing;
    const Key* key = FindKey(root, *SplitKeyPath(path));
    EXPECT_NE(key, nullptr) << path;
    return key ? *key : kMissing;
}

}  // namespace

TEST(HiveText, WritesTheRegistryEditorExportSyntax) {
    Key root{"HKEY_CURRENT_USER", {}, {}};
    Key& mp3 = CreateKey(root, *SplitKeyPath("Software\\Wendmark\\Tracklace3\\MP3"));
    mp3.SetValue("TitleMask", Value::Text("%3 - %2"));
    mp3.SetValue("ReadID3Tags", Value::Dword(1));
    EXPECT_EQ(SerializeHive(root),
              "REGEDIT4\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Wendmark]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Wendmark\\Tracklace3]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Wendmark\\Tracklace3\\MP3]\r\n"
              "\"TitleMask\"=\"%3 - %2\"\r\n"
              "\"ReadID3Tags\"=dword:00000001\r\n\r\n");
}

TEST(HiveText, EveryKindOfValueSurvivesAWriteAndARead) {
    Key root{"HKEY_CURRENT_USER", {}, {}};
    Key& key = CreateKey(root, {"A"});
    key.SetValue("quote and backslash", Value::Text("say \"C:\\x\\\" \\n"));
    key.SetValue("line break", Value::Text("one\r\ntwo\nthree"));
    key.SetValue("utf8", Value::Text("Müller – 日本"));
    key.SetValue("negative", Value::Dword(0xFFFFFFFB));
    key.SetValue("expand", Value::Text("%HOME%/x", kTypeExpandSz));
    key.SetValue("", Value::Text("default value"));
    key.SetValue("empty text", Value::Text(""));
    key.SetValue("short dword", Value{kTypeDword, std::string("\x01\x02", 2)});
    key.SetValue("multi", Value{7, std::string("a\0b\0\0", 5)});
    key.SetValue("big type", Value{0xFFFF0011, std::string(60, '\x7F')});
    key.SetValue("binary", Value{kTypeBinary, std::string("\0\xFF", 2)});
    key.SetValue("no nul", Value{kTypeSz, "unterminated"});
    key.SetValue("inner nul", Value{kTypeSz, std::string("a\0b\0", 4)});
    key.SetValue("not utf8", Value{kTypeSz, std::string("\xE4\0", 2)});
    key.SetValue("none", Value{kTypeNone, ""});
    const std::string text = SerializeHive(root);
    const Key reread = Parse(text);
    ASSERT_EQ(reread.subkeys.size(), 1u);
    const Key& back = reread.subkeys[0];
    ASSERT_EQ(back.values.size(), key.values.size());
    for (std::size_t i = 0; i < key.values.size(); ++i) {
        EXPECT_EQ(back.values[i].name, key.values[i].name);
        EXPECT_EQ(back.values[i].value, key.values[i].value) << key.values[i].name;
    }
    // The readable forms where the syntax has them.
    EXPECT_NE(text.find("\"utf8\"=\"Müller – 日本\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("@=\"default value\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"multi\"=hex(7):61,00,62,00,00\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"negative\"=dword:fffffffb\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"quote and backslash\"=\"say \\\"C:\\\\x\\\\\\\" \\\\n\"\r\n"),
              std::string::npos);
    // A long value continues on further lines; none is longer than the editor's 80 columns.
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
        start = end + 2;
    }
}

TEST(HiveText, ReadsWhatTheRegistryEditorExports) {
    const Key root = Parse(
        "\xEF\xBB\xBFREGEDIT4\r\n"
        "\r\n"
        "; exported on Windows\r\n"
        "[HKEY_CURRENT_USER\\Software\\Wendmark\\Tracklace3]\r\n"
        "\"Installer Language\"=\"1031\"\r\n"
        "\"Path\"=hex(2):25,00,\\\r\n"
        "  41,00\r\n"
        "\"Caf\xE9\"=\"M\xFCller \x80\"\r\n"
        "\r\n"
        "[hkey_current_user\\SOFTWARE\\wendmark\\Tracklace3\\Empty]\n"
        "[HKEY_CURRENT_USER\\Software\\Wendmark\\Tracklace3\\MP3]\n"
        "\"ReadID3Tags\"=DWORD:1\n"
        "  \"Padded\" = \"x\"  \n");
    const Key& app = At(root, "Software\\Wendmark\\Tracklace3");
    EXPECT_EQ(app.FindValue("installer language")->value.AsText(), "1031");
    EXPECT_EQ(app.FindValue("Path")->value, (Value{kTypeExpandSz, std::string("%\0A\0", 4)}));
    // Bytes that are not UTF-8 are Windows-1252, as an export from Windows holds them.
    EXPECT_EQ(app.FindValue("Caf\xE9"), nullptr);
    ASSERT_NE(app.FindValue("Café"), nullptr);
    EXPECT_EQ(app.FindValue("Café")->value.AsText(), "Müller €");
    // A section whose path differs only in case is the same key, first spelling kept.
    EXPECT_EQ(At(root, "Software").name, "Software");
    EXPECT_EQ(At(root, "software\\WENDMARK").name, "Wendmark");
    ASSERT_EQ(app.subkeys.size(), 2u);
    EXPECT_EQ(app.subkeys[0].name, "Empty");
    EXPECT_EQ(At(root, "Software\\Wendmark\\Tracklace3\\MP3").FindValue("ReadID3Tags")->value,
              Value::Dword(1));
    EXPECT_EQ(At(root, "Software\\Wendmark\\Tracklace3\\MP3").FindValue("Padded")->value,
              Value::Text("x"));
}

TEST(HiveText, RefusesWhatIsNotAWellFormedExport) {
    const std::string header = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n";
    const char* const kBroken[] = {
        "REGEDIT5\r\n",
        "Windows Registry Editor Version 5.00\r\n",
        "garbage",
        "REGEDIT4\r\n\"v\"=\"value before any section\"\r\n",
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n",
        "REGEDIT4\r\n[-HKEY_CURRENT_USER\\A]\r\n",
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\A\r\n",
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\A\\\\B]\r\n",
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\]\r\n",
        "REGEDIT4\r\n[HKEY_CURRENT_USERX\\A]\r\n",
    };
    for (const char* text : kBroken) {
        EXPECT_FALSE(ParseHive(text).has_value()) << text;
    }
    const char* const kBrokenValues[] = {
        "\"v\"=\"unterminated\r\n",
        "\"v\"=\"text\" trailing\r\n",
        "\"v\"\r\n",
        "\"v\"=\r\n",
        "\"v\"=-\r\n",
        "\"\"=\"empty name\"\r\n",
        "v=\"no quotes\"\r\n",
        "\"v\"=dword:\r\n",
        "\"v\"=dword:123456789\r\n",
        "\"v\"=dword:12x4\r\n",
        "\"v\"=hex:1,,2\r\n",
        "\"v\"=hex:123\r\n",
        "\"v\"=hex:zz\r\n",
        "\"v\"=hex(:00\r\n",
        "\"v\"=hex(2)00\r\n",
        "\"v\"=hex(123456789):00\r\n",
        "\"v\"=hex:00,\\\r\n",
        "\"v\"=\"ends in a backslash\\",
    };
    for (const char* line : kBrokenValues) {
        EXPECT_FALSE(ParseHive(header + line).has_value()) << line;
    }
}

TEST(HiveText, AValueNamedTwiceKeepsItsFirstPlaceAndItsLastData) {
    const Key root = Parse(
        "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"One\"=\"1\"\n\"Two\"=\"2\"\n\"ONE\"=dword:00000005\n"
        "[HKEY_CURRENT_USER\\B]\n[HKEY_CURRENT_USER\\a]\n\"two\"=\"22\"\n\"Three\"=\"3\"\n");
    const Key& a = At(root, "A");
    ASSERT_EQ(a.values.size(), 3u);
    EXPECT_EQ(a.values[0].name, "One");
    EXPECT_EQ(a.values[0].value, Value::Dword(5));
    EXPECT_EQ(a.values[1].name, "Two");
    EXPECT_EQ(a.values[1].value, Value::Text("22"));
    EXPECT_EQ(a.values[2].name, "Three");
    EXPECT_EQ(root.subkeys.size(), 2u);
}

TEST(HiveText, AnEmptyFileIsAnEmptyHive) {
    for (const char* text : {"", "\r\n", "REGEDIT4", "REGEDIT4\r\n\r\n"}) {
        const auto root = ParseHive(text);
        ASSERT_TRUE(root.has_value()) << text;
        EXPECT_TRUE(root->subkeys.empty());
        EXPECT_TRUE(root->values.empty());
    }
}

TEST(HiveTree, NamesIgnoreLetterCaseAndKeepTheirFirstSpelling) {
    Key root{"HKEY_CURRENT_USER", {}, {}};
    Key& key = CreateKey(root, {"FileTypes"});
    key.SetValue("MP3", Value::Text("1"));
    key.SetValue("ogg", Value::Text("1"));
    key.SetValue("mp3", Value::Text("0"));
    ASSERT_EQ(key.values.size(), 2u);
    EXPECT_EQ(key.values[0].name, "MP3");  // kept its place and its spelling
    EXPECT_EQ(key.values[0].value.AsText(), "0");
    EXPECT_EQ(&CreateKey(root, {"FILETYPES"}), &key);
    EXPECT_TRUE(key.RemoveValue("Ogg"));
    EXPECT_FALSE(key.RemoveValue("ogg"));
    // Case-insensitive only for ASCII: Ä and ä are different names, as in the registry.
    key.SetValue("Ä", Value::Text("1"));
    key.SetValue("ä", Value::Text("1"));
    EXPECT_EQ(key.values.size(), 3u);
}

TEST(HiveTree, KeepsTheOrderOfCreation) {
    Key root{"HKEY_CURRENT_USER", {}, {}};
    for (const char* name : {"zeta", "alpha", "Mid", "beta"}) {
        CreateKey(root, {"K", name});
        CreateKey(root, {"K"}).SetValue(name, Value::Dword(1));
    }
    const Key reread = Parse(SerializeHive(root));
    const Key& key = At(reread, "K");
    std::vector<std::string> subkeys, values;
    for (const Key& subkey : key.subkeys) {
        subkeys.push_back(subkey.name);
    }
    for (const NamedValue& value : key.values) {
        values.push_back(value.name);
    }
    const std::vector<std::string> expected = {"zeta", "alpha", "Mid", "beta"};
    EXPECT_EQ(subkeys, expected);
    EXPECT_EQ(values, expected);
}

TEST(HiveTree, DeletesAKeyWithEverythingBelowIt) {
    Key root{"HKEY_CURRENT_USER", {}, {}};
    CreateKey(root, {"A", "B", "C", "D"}).SetValue("v", Value::Dword(1));
    CreateKey(root, {"A", "B2"});
    EXPECT_TRUE(DeleteKey(root, {"a", "b"}));
    EXPECT_EQ(FindKey(root, {"A", "B", "C"}), nullptr);
    EXPECT_NE(FindKey(root, {"A", "B2"}), nullptr);
    EXPECT_FALSE(DeleteKey(root, {"A", "B"}));
    EXPECT_FALSE(DeleteKey(root, {}));
    EXPECT_EQ(SerializeHive(root).find("\\B]"), std::string::npos);
}

TEST(HiveTree, KeyPathsAndNamesThatTheFileCannotHold) {
    EXPECT_EQ(SplitKeyPath("Software\\Wendmark"),
              (std::vector<std::string>{"Software", "Wendmark"}));
    for (const char* path : {"", "\\A", "A\\", "A\\\\B"}) {
        EXPECT_FALSE(SplitKeyPath(path).has_value()) << path;
    }
    EXPECT_FALSE(SplitKeyPath("A\nB").has_value());
    EXPECT_FALSE(IsValidValueName("two\nlines"));
    EXPECT_FALSE(IsValidValueName(std::string("nul\0", 4)));
    EXPECT_TRUE(IsValidValueName("\"quoted\" [x] = \\"));
    Key root{"HKEY_CURRENT_USER", {}, {}};
    CreateKey(root, {"A"}).SetValue("odd \"] = \\ name", Value::Text("x"));
    EXPECT_TRUE(HasWritableNames(root));
    EXPECT_EQ(Parse(SerializeHive(root)).subkeys[0].values[0].name, "odd \"] = \\ name");
    root.subkeys[0].subkeys.push_back(Key{"back\\slash", {}, {}});
    EXPECT_FALSE(HasWritableNames(root));
}
