#include "platform/registry/hive.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/platform/registry/windows_export.h"

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
    // Only a file that is no hive at all is refused: no header line, or binary data. Lines
    // inside a hive that the reader does not know are kept instead (see below).
    const std::string kNoHive[] = {
        "REGEDIT5\r\n",
        "garbage",
        "\r\n  \r\n[HKEY_CURRENT_USER\\A]\r\n",
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=\"a" + std::string(1, '\0') + "b\"\r\n",
        // UTF-16 without its byte-order mark is binary data too.
        std::string("R\0E\0G\0E\0D\0I\0T\0"
                    "4\0\r\0\n\0",
                    20),
    };
    for (const std::string& text : kNoHive) {
        EXPECT_FALSE(ParseHive(text).has_value()) << text;
    }
}

TEST(HiveText, KeepsTheLinesItDoesNotUnderstandWhereTheyStood) {
    const std::string header = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"first\"=\"1\"\r\n";
    const std::string footer = "\"last\"=dword:00000002\r\n\r\n";
    const char* const kUnknownValues[] = {
        "\"v\"=\"unterminated",
        "\"v\"=\"text\" trailing",
        "\"v\"",
        "\"v\"=",
        "\"v\"=-",
        "\"\"=\"empty name\"",
        "v=\"no quotes\"",
        "\"v\"=dword:",
        "\"v\"=dword:123456789",
        "\"v\"=dword:12x4",
        "\"v\"=qword:0000000000000001",
        "\"v\"=hex:1,,2",
        "\"v\"=hex:123",
        "\"v\"=hex:zz",
        "\"v\"=hex(:00",
        "\"v\"=hex(2)00",
        "\"v\"=hex(123456789):00",
        "\"v\"=\"ends in a backslash\\",
        "\"a\rb\"=\"a carriage return in the name\"",
        "; a comment",
        "  \tindented = nonsense  ",
    };
    for (const char* line : kUnknownValues) {
        SCOPED_TRACE(line);
        const std::string text = header + line + "\r\n" + footer;
        const Key root = Parse(text);
        const Key& key = At(root, "A");
        ASSERT_EQ(key.values.size(), 2u);  // first and last, nothing of the line
        EXPECT_EQ(key.values[1].value, Value::Dword(2));
        // Written back, it is the same file.
        EXPECT_EQ(SerializeHive(root), text);
    }
    // A hex value broken off by a blank line keeps its lines with a blank line behind, so
    // that written back it does not continue into what follows.
    const std::string broken = header + "\"cut\"=hex:01,\\\r\n  02,\\\r\n\r\n" + footer;
    const Key root = Parse(broken);
    EXPECT_EQ(At(root, "A").values.size(), 2u);
    EXPECT_EQ(SerializeHive(root), broken);
    const std::string atTheEnd = header + "\"cut\"=hex:01,\\";
    EXPECT_EQ(SerializeHive(Parse(atTheEnd)), header + "\"cut\"=hex:01,\\\r\n\r\n\r\n");
}

TEST(HiveText, KeepsSectionsOfOtherHivesAndLinesBeforeTheFirstSection) {
    const std::string text =
        "REGEDIT4\r\n\r\n; exported by hand\r\n\"early\"=\"before any section\"\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\X]\r\n\"m\"=\"machine\"\r\n"
        "[HKEY_CURRENT_USER\\A]\r\n\"v\"=\"mine\"\r\n"
        "[-HKEY_CURRENT_USER\\Gone]\r\n\"g\"=\"not read\"\r\n"
        "[HKEY_CURRENT_USER\\A\\\\B]\r\n[HKEY_CURRENT_USERX\\A]\r\n[HKEY_CURRENT_USER\\A\r\n";
    const Key root = Parse(text);
    // Only the key of this hive is read; the others are kept but not read.
    ASSERT_EQ(root.subkeys.size(), 1u);
    EXPECT_EQ(At(root, "A").values.size(), 1u);
    EXPECT_TRUE(At(root, "A").subkeys.empty());
    // Written back: the early lines first, this hive's keys, then the other sections with
    // their lines, each byte for byte.
    EXPECT_EQ(SerializeHive(root),
              "REGEDIT4\r\n\r\n; exported by hand\r\n\"early\"=\"before any section\"\r\n"
              "[HKEY_CURRENT_USER\\A]\r\n\"v\"=\"mine\"\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\X]\r\n\"m\"=\"machine\"\r\n"
              "[-HKEY_CURRENT_USER\\Gone]\r\n\"g\"=\"not read\"\r\n"
              "[HKEY_CURRENT_USER\\A\\\\B]\r\n[HKEY_CURRENT_USERX\\A]\r\n"
              "[HKEY_CURRENT_USER\\A\r\n\r\n");
}

TEST(HiveText, ReadsTheExportsOfWindowsRegistryEditor) {
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Wendmark\\Tracklace3]\r\n"
        "\"Ordner\"=\"C:\\\\Users\\\\Jürgen\"\r\n"
        "\"Home\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,00,00\r\n"
        "\"List\"=hex(7):61,00,00,00,e4,00,00,00,00,00\r\n"
        "\"Blob\"=hex:e4,00\r\n"
        "\"Count\"=dword:00000007\r\n";
    for (const std::string& file : {Utf16LeFile(text), "\xEF\xBB\xBF" + text, text}) {
        const auto parsed = ParseHiveFile(file);
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(parsed->format, HiveFormat::kUnicodeExport);
        const Key& app = At(parsed->root, "Software\\Wendmark\\Tracklace3");
        EXPECT_EQ(app.FindValue("Ordner")->value, Value::Text("C:\\Users\\Jürgen"));
        // Its texts in hex are UTF-16LE; in memory they are UTF-8 like every text.
        EXPECT_EQ(app.FindValue("Home")->value, Value::Text("%HOME%", kTypeExpandSz));
        EXPECT_EQ(app.FindValue("List")->value, (Value{7, std::string("a\0ä\0\0", 6)}));
        EXPECT_EQ(app.FindValue("Blob")->value, (Value{kTypeBinary, std::string("\xE4\0", 2)}));
        EXPECT_EQ(app.FindValue("Count")->value, Value::Dword(7));
        // Written in this program's form, it reads back as the same values.
        const std::string written = SerializeHive(parsed->root);
        EXPECT_EQ(written.rfind("REGEDIT4\r\n", 0), 0u);
        EXPECT_EQ(Parse(written).subkeys[0].subkeys[0].subkeys[0].values, app.values);
    }
}

TEST(HiveText, FilesBeyondTheRegistrysLimitsAreNoHives) {
    const auto hiveWithKey = [](std::size_t depth, std::size_t nameLength) {
        std::string text = "REGEDIT4\r\n[HKEY_CURRENT_USER";
        for (std::size_t level = 0; level < depth; ++level) {
            text += "\\" + std::string(level == 0 ? nameLength : 1, 'k');
        }
        return text + "]\r\n";
    };
    EXPECT_TRUE(ParseHive(hiveWithKey(kMaxKeyDepth, kMaxKeyNameCharacters)).has_value());
    EXPECT_FALSE(ParseHive(hiveWithKey(kMaxKeyDepth + 1, 1)).has_value());
    EXPECT_FALSE(ParseHive(hiveWithKey(1, kMaxKeyNameCharacters + 1)).has_value());
    // Characters count, not bytes: 255 umlauts are 510 bytes of UTF-8.
    std::string umlauts;
    for (std::size_t i = 0; i < kMaxKeyNameCharacters; ++i) {
        umlauts += "ä";
    }
    EXPECT_TRUE(ParseHive("REGEDIT4\r\n[HKEY_CURRENT_USER\\" + umlauts + "]\r\n").has_value());
    EXPECT_FALSE(ParseHive("REGEDIT4\r\n[HKEY_CURRENT_USER\\" + umlauts + "ä]\r\n").has_value());
    const auto hiveWithValueName = [](std::size_t length) {
        return "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"" + std::string(length, 'v') +
               "\"=dword:00000001\r\n";
    };
    EXPECT_TRUE(ParseHive(hiveWithValueName(kMaxValueNameCharacters)).has_value());
    EXPECT_FALSE(ParseHive(hiveWithValueName(kMaxValueNameCharacters + 1)).has_value());

    // A tree that goes beyond them cannot be written either.
    Key root{"HKEY_CURRENT_USER", {}, {}};
    CreateKey(root, std::vector<std::string>(kMaxKeyDepth, "d"));
    EXPECT_TRUE(HasWritableNames(root));
    CreateKey(root, std::vector<std::string>(kMaxKeyDepth + 1, "d"));
    EXPECT_FALSE(HasWritableNames(root));
    Key named{"HKEY_CURRENT_USER", {}, {}};
    CreateKey(named, {"A"})
        .SetValue(std::string(kMaxValueNameCharacters + 1, 'v'), Value::Dword(1));
    EXPECT_FALSE(HasWritableNames(named));
}

TEST(HiveText, AKeyFiftyThousandLevelsDeepIsRefusedWithoutHarm) {
    // 100 KB that once overflowed the stack of every reader, and written back grew to
    // gigabytes: refused as a whole, at the cost of reading it.
    std::string text = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER";
    for (int level = 0; level < 50000; ++level) {
        text += "\\a";
    }
    text += "]\r\n\"v\"=\"deep\"\r\n";
    EXPECT_FALSE(ParseHiveFile(text).has_value());
    EXPECT_FALSE(ParseHiveFileFor(text, {"a"}).has_value());
    // Deeper one section after the other, as an export of such a tree would be.
    std::string stairs = "REGEDIT4\r\n\r\n";
    std::string path = "[HKEY_CURRENT_USER";
    for (std::size_t level = 0; level <= kMaxKeyDepth; ++level) {
        path += "\\a";
        stairs += path + "]\r\n";
    }
    EXPECT_FALSE(ParseHiveFile(stairs).has_value());
}

TEST(HiveText, ThirtyThousandSiblingsAreReadInTheirOrder) {
    std::string text = "REGEDIT4\r\n\r\n";
    constexpr int kSiblings = 30000;
    for (int i = 0; i < kSiblings; ++i) {
        text += "[HKEY_CURRENT_USER\\Software\\Wide\\Sibling" + std::to_string(i) +
                "]\r\n\"n\"=dword:" + std::string(8 - std::to_string(i % 10).size(), '0') +
                std::to_string(i % 10) + "\r\n\r\n";
    }
    // A sibling named again in other letters is the same key.
    text += "[HKEY_CURRENT_USER\\SOFTWARE\\wide\\sibling29999]\r\n\"again\"=\"yes\"\r\n";
    const Key root = Parse(text);
    const Key& wide = At(root, "Software\\Wide");
    ASSERT_EQ(wide.subkeys.size(), static_cast<std::size_t>(kSiblings));
    EXPECT_EQ(wide.subkeys[12345].name, "Sibling12345");
    EXPECT_EQ(wide.subkeys.back().name, "Sibling29999");
    EXPECT_EQ(wide.subkeys.back().values.size(), 2u);
    // A read of one of them finds it without the others.
    const auto one = ParseHiveFileFor(text, {"software", "wide", "SIBLING29999"});
    ASSERT_TRUE(one.has_value());
    const Key* key = FindKey(one->root, {"Software", "Wide", "Sibling29999"});
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->FindValue("again")->value, Value::Text("yes"));
    EXPECT_EQ(FindKey(one->root, {"Software", "Wide"})->subkeys.size(), 1u);
    EXPECT_EQ(SerializeHive(Parse(SerializeHive(root))), SerializeHive(root));
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
