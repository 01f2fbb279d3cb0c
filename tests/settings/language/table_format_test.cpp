// The two embedded language tables, byte for byte: the loader relies on their format, and
// every key that the program looks up must be in both.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "platform/resources/resources.h"

namespace fs = std::filesystem;

namespace {

std::string TableBytes(const char* name) {
    const auto bytes = platform::FindResource("TEXTSTRINGTABLE", name);
    EXPECT_TRUE(bytes.has_value()) << name;
    return bytes ? std::string(*bytes) : std::string();
}

// The lines of a table, without their CR LF.
std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::vector<std::string> Keys(const std::string& bytes) {
    const std::vector<std::string> lines = Lines(bytes);
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < lines.size(); i += 2) {
        keys.push_back(lines[i]);
    }
    return keys;
}

std::string Text(const std::string& bytes, const std::string& key) {
    const std::vector<std::string> lines = Lines(bytes);
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        if (lines[i] == key) {
            return lines[i + 1];
        }
    }
    ADD_FAILURE() << key << " missing";
    return "";
}

}  // namespace

TEST(LanguageTableFormat, BothTablesFollowTheFormatByteForByte) {
    const std::regex keyPattern("IDS_[A-Z0-9_]+");
    for (const char* name : {"LANGUAGE_EN", "LANGUAGE_DE"}) {
        SCOPED_TRACE(name);
        const std::string bytes = TableBytes(name);
        ASSERT_GE(bytes.size(), 4u);
        EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            if (byte == '\r') {
                EXPECT_EQ(bytes[i + 1], '\n') << "lone CR at " << i;
            } else if (byte == '\n') {
                EXPECT_EQ(bytes[i - 1], '\r') << "bare LF at " << i;
            } else {
                // No NUL, no other control character, none of the five bytes that
                // Windows-1252 leaves undefined.
                EXPECT_GE(byte, 0x20) << "control byte at " << i;
                EXPECT_NE(byte, 0x7F);
                for (unsigned char undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
                    EXPECT_NE(byte, undefined) << "undefined byte at " << i;
                }
            }
        }
        const std::vector<std::string> lines = Lines(bytes);
        ASSERT_EQ(lines.size() % 2, 0u);
        std::set<std::string> seen;
        for (std::size_t i = 0; i < lines.size(); i += 2) {
            EXPECT_TRUE(std::regex_match(lines[i], keyPattern)) << lines[i];
            EXPECT_TRUE(seen.insert(lines[i]).second) << lines[i] << " twice";
            EXPECT_FALSE(lines[i + 1].empty()) << lines[i] << " has no text";
        }
    }
}

TEST(LanguageTableFormat, BothTablesHoldTheSameKeysInTheSameOrder) {
    const std::vector<std::string> english = Keys(TableBytes("LANGUAGE_EN"));
    const std::vector<std::string> german = Keys(TableBytes("LANGUAGE_DE"));
    EXPECT_GT(english.size(), 100u);
    EXPECT_EQ(english, german);
}

TEST(LanguageTableFormat, TheEmbeddedTablesAreTheFilesOfTheResourceFolder) {
    for (const char* name : {"LANGUAGE_EN", "LANGUAGE_DE"}) {
        std::ifstream in(
            std::string(TRACKLACE_SOURCE_DIR) + "/resources/TEXTSTRINGTABLE/" + name + ".tbl",
            std::ios::binary);
        const std::string file((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(file, TableBytes(name)) << name;
    }
}

TEST(LanguageTableFormat, CommonTextsAndWindows1252Letters) {
    const std::string english = TableBytes("LANGUAGE_EN");
    const std::string german = TableBytes("LANGUAGE_DE");
    for (const char* key : {"IDS_APPNAME_FULL", "IDS_APPNAME_SHORT", "IDS_APPNAME_TINY"}) {
        EXPECT_EQ(Text(english, key), "Tracklace");
        EXPECT_EQ(Text(german, key), "Tracklace");
    }
    EXPECT_EQ(Text(english, "IDS_COMPANY"), "Wendmark");
    EXPECT_EQ(Text(german, "IDS_COMPANY"), "Wendmark");
    EXPECT_EQ(Text(english, "IDS_COPYRIGHT"), Text(german, "IDS_COPYRIGHT"));
    EXPECT_NE(Text(english, "IDS_COPYRIGHT").find('\xA9'), std::string::npos);
    EXPECT_EQ(Text(german, "IDS_BACK"),
              "< &Zur\xFC"
              "ck");
    EXPECT_EQ(Text(german, "IDS_DELETE"),
              "&L\xF6"
              "schen...");
    EXPECT_NE(Text(german, "IDS_TL_MB_ERR_CREATE_PLAYLIST_FOLDER")
                  .find("schlie\xDF"
                        "en"),
              std::string::npos);
    // Line breaks are the two characters backslash and n.
    EXPECT_EQ(Text(english, "IDS_TL_MB_EMPTY_PLAYLIST"),
              "The playlist is currently empty.\\n\\nPlease add at least one entry to the "
              "playlist.");
}

TEST(LanguageTableFormat, EveryKeyFamilyIsComplete) {
    const std::vector<std::string> keys = Keys(TableBytes("LANGUAGE_EN"));
    const auto count = [&](const std::string& prefix) {
        return std::count_if(keys.begin(), keys.end(),
                             [&](const std::string& key) { return key.rfind(prefix, 0) == 0; });
    };
    EXPECT_EQ(count("IDS_TL_SETTINGS_GENERAL_"), 11);
    EXPECT_EQ(count("IDS_TL_SETTINGS_PLAYLIST_"), 12);
    EXPECT_EQ(count("IDS_TL_SETTINGS_FILE_TYPES_"), 6);
    EXPECT_EQ(count("IDS_TL_SETTINGS_MP3_"), 16);
    EXPECT_EQ(count("IDS_TL_CREATE_PLAYLIST_"), 11);
    EXPECT_GE(count("IDS_TL_MB_"), 21);
    EXPECT_EQ(count("IDS_LANGUAGE_"), 2);
}

TEST(LanguageTableFormat, EveryKeyThatTheProgramUsesIsInTheTables) {
    const std::vector<std::string> keys = Keys(TableBytes("LANGUAGE_EN"));
    const std::set<std::string> known(keys.begin(), keys.end());
    // A quoted key in the program's sources; a key that ends in "_" is a prefix to which the
    // code appends the rest ("IDS_LANGUAGE_" + code).
    const std::regex quotedKey("\"(IDS_[A-Z0-9_]*[A-Z0-9])\"");
    std::size_t files = 0;
    std::set<std::string> used;
    for (const char* folder : {"core", "settings", "platform", "ui", "cli"}) {
        const fs::path root = fs::path(TRACKLACE_SOURCE_DIR) / folder;
        if (!fs::exists(root)) {
            continue;
        }
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) {
                continue;
            }
            ++files;
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string source((std::istreambuf_iterator<char>(in)), {});
            for (std::sregex_iterator it(source.begin(), source.end(), quotedKey), end; it != end;
                 ++it) {
                used.insert((*it)[1]);
                EXPECT_TRUE(known.count((*it)[1]))
                    << (*it)[1] << " used in " << entry.path()
                    << " is in no table; add it to resources/tools/language_tables.py";
            }
        }
    }
    EXPECT_GT(files, 0u);
    // At least the keys that the settings code itself looks up were found.
    EXPECT_TRUE(used.count("IDS_TL_FILES"));
    EXPECT_TRUE(used.count("IDS_APPNAME_FULL"));
}

TEST(LanguageTableFormat, TheTablesAreThoseOfTheirReadableSource) {
    // The tables are generated from resources/tools/language_tables.py; a table edited by
    // hand would be lost at the next generation.
    if (std::system("command -v python3 > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "python3 is not installed";
    }
    const std::string command = std::string("python3 \"") + TRACKLACE_SOURCE_DIR +
                                "/resources/tools/language_tables.py\" --check";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}
