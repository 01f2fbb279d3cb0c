// The operations on the store as a whole: the start of a program, the reset and writing
// several properties at once, each one write that a crash leaves whole or not at all, and a
// user's settings exported from Windows.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <random>
#include <variant>

#include "platform/registry/registry.h"
#include "settings/file_types/file_types.h"
#include "settings/store/properties.h"
#include "tests/platform/registry/temp_hive.h"
#include "tests/platform/registry/windows_export.h"
#include "tests/settings/store/scoped_locale.h"

namespace registry = platform::registry;
namespace fs = std::filesystem;

namespace {

const std::string kApp = "Software\\Wendmark\\Tracklace3";

// The file types as stored, in store order, each with its data.
std::vector<std::pair<std::string, std::string>> StoredTypes() {
    std::vector<std::pair<std::string, std::string>> types;
    for (const auto& named :
         registry::EnumValues(kApp + "\\FileTypes").value_or(std::vector<registry::NamedValue>{})) {
        types.emplace_back(named.name, named.value.AsText().value_or("?"));
    }
    return types;
}

std::vector<std::pair<std::string, std::string>> DefaultTypes() {
    FileTypeList active, inactive;
    GetDefaultActiveFileTypes(active);
    GetDefaultInactiveFileTypes(inactive);
    std::vector<std::pair<std::string, std::string>> types;
    for (const std::string& type : active) {
        types.emplace_back(type, "1");
    }
    for (const std::string& type : inactive) {
        types.emplace_back(type, "0");
    }
    return types;
}

}  // namespace

TEST(WholeStore, AWindowsExportOfEveryPropertyIsReadWithEveryValue) {
    TempHive hive;
    hive.Write(Utf16LeFile(WindowsExportText()));
    using Expected = std::variant<int, std::string>;
    const std::map<std::string, Expected> expected = {
        {"prop_FirstTimeInitComplete", 1},
        {"prop_WindowPositionX", 300},
        {"prop_WindowPositionY", -100},
        {"prop_IsIconic", 1},
        {"prop_SingleInstance", 0},
        {"prop_PlaySound", 0},
        {"prop_Transparency", 1},
        {"prop_Language", "DE"},
        {"prop_ReadID3Tags", 0},
        {"prop_TitleMask", "%1 – %2 (%4)"},
        {"prop_AutoPlaylistName", 1},
        {"prop_AutoPlaylistFolder", 1},
        {"prop_AddNewEntries", "Top"},
        {"prop_SaveMode", "Absolute"},
        {"prop_PlaylistType", ".m3u"},
        {"prop_SelectPlaylistFolder", "C:\\Users\\Jürgen\\Playlists"},
        {"prop_SelectSongFolder", "D:\\Musik\\Café – Live"},
        {"prop_SelectSongs", "D:\\Musik"},
        {"prop_PreviousFilter", "mp3"},
        {"prop_TotalPlaylists", 42},
        {"prop_TotalSongs", 1337},
    };
    // Settings that only this program's later versions know cannot be in such an export.
    const std::set<std::string> newer = {"prop_WindowFrameLeft", "prop_WindowFrameTop"};
    ASSERT_EQ(expected.size() + newer.size(), std::size(property::kAll));
    for (const PropertyDescriptor* property : property::kAll) {
        const std::string name(property->name);
        SCOPED_TRACE(name);
        if (newer.count(name)) {
            continue;
        }
        ASSERT_TRUE(expected.count(name));
        const Expected& value = expected.at(name);
        if (property->type == PropertyType::kInteger) {
            // Each differs from its default, so a value read as the default shows.
            EXPECT_NE(std::get<int>(value), property->integerDefault);
            EXPECT_EQ(GetPropertyInt(name, property->integerDefault), std::get<int>(value));
        } else {
            EXPECT_NE(std::get<std::string>(value), property->textDefault);
            EXPECT_EQ(GetPropertyString(name, std::string(property->textDefault)),
                      std::get<std::string>(value));
        }
    }
    EXPECT_EQ(StoredTypes(), (std::vector<std::pair<std::string, std::string>>{
                                 {"mp3", "1"}, {"ogg", "1"}, {"flac", "0"}}));
    EXPECT_EQ(registry::QueryValue(kApp, "Installer Language"), registry::Value::Text("1031"));
}

TEST(WholeStore, TheStartOfAProgramRunsTheFirstRunOnceInOneWrite) {
    TempHive hive;
    ScopedLocale locale(nullptr, nullptr, "de_CH.UTF-8");
    const registry::HiveCheck check = StartSettings();
    EXPECT_EQ(check.finding, registry::HiveCheck::Finding::kUsable);
    EXPECT_EQ(check.file, hive.file());
    EXPECT_EQ(GetPropertyInt(property::kFirstTimeInitComplete), 1);
    EXPECT_EQ(GetLanguageCode(), "DE");
    EXPECT_EQ(StoredTypes(), DefaultTypes());
    // Not again: the user's changes survive the next start.
    ASSERT_TRUE(registry::DeleteKey(kApp + "\\FileTypes"));
    SetLanguageCode(true);
    StartSettings();
    EXPECT_TRUE(StoredTypes().empty());
    EXPECT_EQ(GetLanguageCode(), "EN");
}

TEST(WholeStore, TheStartKeepsADamagedFileAsideAndBeginsAnew) {
    TempHive hive;
    ScopedLocale locale(nullptr, nullptr, "en_GB.UTF-8");
    const std::string damaged = std::string("REGEDIT4\r\n\0\0\0\0", 14);
    hive.Write(damaged);
    const registry::HiveCheck check = StartSettings();
    EXPECT_EQ(check.finding, registry::HiveCheck::Finding::kDamagedKeptAside);
    std::ifstream copy(check.copy, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copy), {}), damaged);
    EXPECT_EQ(GetPropertyInt(property::kFirstTimeInitComplete), 1);
    EXPECT_EQ(StoredTypes(), DefaultTypes());
    EXPECT_EQ(StartSettings().finding, registry::HiveCheck::Finding::kUsable);
}

TEST(WholeStore, TheStartConvertsAWindowsExportAndKeepsItsSettings) {
    TempHive hive;
    hive.Write(Utf16LeFile(WindowsExportText()));
    const registry::HiveCheck check = StartSettings();
    EXPECT_EQ(check.finding, registry::HiveCheck::Finding::kExportConverted);
    EXPECT_TRUE(fs::exists(check.copy));
    // The export says the first run is done: its file types stay.
    EXPECT_EQ(StoredTypes(), (std::vector<std::pair<std::string, std::string>>{
                                 {"mp3", "1"}, {"ogg", "1"}, {"flac", "0"}}));
    EXPECT_EQ(GetPropertyString(property::kTitleMask), "%1 – %2 (%4)");
}

TEST(WholeStore, TheStartOfAProgramWithAnUnreadableFileChangesNothing) {
    TempHive hive;
    fs::create_directories(hive.file());
    const registry::HiveCheck check = StartSettings();
    EXPECT_EQ(check.finding, registry::HiveCheck::Finding::kUnreadable);
    EXPECT_TRUE(check.copy.empty());
    EXPECT_TRUE(fs::is_directory(hive.file()));
    EXPECT_EQ(GetPropertyInt(property::kFirstTimeInitComplete), 0);
}

TEST(WholeStore, SeveralPropertiesAreStoredInOneWriteOrNotAtAll) {
    TempHive hive;
    EXPECT_TRUE(SetProperties({{property::kWindowPositionX, -20},
                               {property::kIsIconic, 1},
                               {property::kPlaylistType, ".m3u"}}));
    EXPECT_EQ(GetPropertyInt(property::kWindowPositionX), -20);
    EXPECT_EQ(GetPropertyInt(property::kIsIconic), 1);
    EXPECT_EQ(GetPropertyString(property::kPlaylistType), ".m3u");
    chmod(hive.file().c_str(), 0444);
    EXPECT_FALSE(SetProperties({{property::kWindowPositionX, 5}, {property::kIsIconic, 0}}));
    EXPECT_EQ(GetPropertyInt(property::kWindowPositionX), -20);
    EXPECT_EQ(GetPropertyInt(property::kIsIconic), 1);
}

TEST(WholeStore, AResetKilledAtAnyMomentLeavesTheOldSettingsOrAllTheDefaults) {
    TempHive hive;
    ScopedLocale locale(nullptr, nullptr, "en_US.UTF-8");
    // The user's settings, written in one write as well, so that each state is whole.
    const auto writeOld = [] {
        return registry::Update([](registry::Key& root) {
            const auto types = *registry::SplitKeyPath(kApp + "\\FileTypes");
            registry::DeleteKey(root, types);
            registry::Key& key = registry::CreateKey(root, types);
            key.SetValue("flac", registry::Value::Text("1"));
            key.SetValue("xyz", registry::Value::Text("0"));
            registry::CreateKey(root, *registry::SplitKeyPath(kApp + "\\GeneralSettings"))
                .SetValue("Language", registry::Value::Text("DE"));
            registry::CreateKey(root, *registry::SplitKeyPath(kApp + "\\MP3"))
                .SetValue("TitleMask", registry::Value::Text("%1"));
            return true;
        });
    };
    ASSERT_TRUE(writeOld());
    ASSERT_TRUE(SetProperties({{property::kFirstTimeInitComplete, 1}, {property::kTotalSongs, 5}}));
    const std::vector<std::pair<std::string, std::string>> oldTypes = {{"flac", "1"}, {"xyz", "0"}};
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> delayMicroseconds(0, 6000);
    int oldStates = 0, defaultStates = 0;
    constexpr int kKills = 200;
    for (int round = 0; round < kKills; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Half the children flush as the program does; without the flush a write is
            // short and more kills land in the middle of writing and renaming.
            registry::SetSyncWrites(round % 2 == 0);
            while (true) {
                ResetSettings();
                writeOld();
            }
        }
        usleep(static_cast<useconds_t>(delayMicroseconds(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);

        SCOPED_TRACE("round " + std::to_string(round));
        const auto types = StoredTypes();
        ASSERT_FALSE(types.empty());
        if (types == oldTypes) {
            ++oldStates;
            EXPECT_EQ(GetLanguageCode(), "DE");
            EXPECT_EQ(GetPropertyString("prop_TitleMask", "none"), "%1");
        } else {
            ++defaultStates;
            ASSERT_EQ(types, DefaultTypes());
            EXPECT_EQ(GetLanguageCode(), "EN");
            EXPECT_EQ(GetPropertyString("prop_TitleMask", "none"), "none");
        }
        // What a reset keeps is always there.
        EXPECT_EQ(GetPropertyInt(property::kFirstTimeInitComplete), 1);
        EXPECT_EQ(GetPropertyInt(property::kTotalSongs), 5);
    }
    RecordProperty("old_states", oldStates);
    RecordProperty("default_states", defaultStates);
    std::printf("%d kills: %d left the old settings, %d the defaults\n", kKills, oldStates,
                defaultStates);
    // The kills fell on both sides of the reset's one write.
    EXPECT_GT(oldStates, 0);
    EXPECT_GT(defaultStates, 0);
}
