#include "settings/store/properties.h"

#include <gtest/gtest.h>

#include <climits>
#include <thread>
#include <vector>

#include "platform/registry/registry.h"
#include "settings/file_types/file_types.h"
#include "settings/store/user_language.h"
#include "tests/platform/registry/temp_hive.h"
#include "tests/settings/store/scoped_locale.h"

namespace registry = platform::registry;

namespace {

const std::string kApp = "Software\\Wendmark\\Tracklace3";

// The property table as the installer and earlier installations know it, written out here
// on its own so that a slip in the program's table shows.
struct Expected {
    const char* name;
    bool integer;
    const char* section;
    const char* valueName;
    int integerDefault;
    const char* textDefault;
};
const Expected kTable[] = {
    {"prop_FirstTimeInitComplete", true, "", "FirstTimeInitComplete", 0, nullptr},
    {"prop_WindowPositionX", true, "GeneralSettings", "WindowPositionX", 0, nullptr},
    {"prop_WindowPositionY", true, "GeneralSettings", "WindowPositionY", 0, nullptr},
    {"prop_IsIconic", true, "GeneralSettings", "IsIconic", 0, nullptr},
    {"prop_SingleInstance", true, "GeneralSettings", "SingleInstance", 1, nullptr},
    {"prop_PlaySound", true, "GeneralSettings", "PlaySound", 1, nullptr},
    {"prop_Transparency", true, "GeneralSettings", "Transparency", 0, nullptr},
    {"prop_Language", false, "GeneralSettings", "Language", 0, "EN"},
    {"prop_ReadID3Tags", true, "MP3", "ReadID3Tags", 1, nullptr},
    {"prop_TitleMask", false, "MP3", "TitleMask", 0, "%3 - %2"},
    {"prop_AutoPlaylistName", true, "Playlist", "AutoPlaylistName", 0, nullptr},
    {"prop_AutoPlaylistFolder", true, "Playlist", "AutoPlaylistFolder", 0, nullptr},
    {"prop_AddNewEntries", false, "Playlist", "AddNewEntries", 0, "Bottom"},
    {"prop_SaveMode", false, "Playlist", "SaveMode", 0, "Relative"},
    {"prop_PlaylistType", false, "Playlist", "PlaylistType", 0, ".pls"},
    {"prop_SelectPlaylistFolder", false, "", "SelectPlaylistFolder", 0, ""},
    {"prop_SelectSongFolder", false, "", "SelectSongFolder", 0, ""},
    {"prop_SelectSongs", false, "", "SelectSongs", 0, ""},
    {"prop_PreviousFilter", false, "", "PreviousFilter", 0, ""},
    {"prop_TotalPlaylists", true, "Donations", "TotalPlaylists", 0, nullptr},
    {"prop_TotalSongs", true, "Donations", "TotalSongs", 0, nullptr},
    {"prop_WindowFrameLeft", true, "GeneralSettings", "WindowFrameLeft", 0, nullptr},
    {"prop_WindowFrameTop", true, "GeneralSettings", "WindowFrameTop", 0, nullptr},
};

std::string PathOf(const Expected& p) {
    return *p.section ? kApp + "\\" + p.section : kApp;
}

void SetInstallerLanguage(const registry::Value& value) {
    ASSERT_TRUE(registry::SetValue(kApp, "Installer Language", value));
}

}  // namespace

TEST(PropertyTable, EveryPropertyHasItsSectionValueNameTypeAndDefault) {
    TempHive hive;
    for (const Expected& p : kTable) {
        SCOPED_TRACE(p.name);
        const std::string path = PathOf(p);
        if (p.integer) {
            EXPECT_EQ(GetPropertyInt(p.name, p.integerDefault), p.integerDefault);
            EXPECT_EQ(GetPropertyInt(p.name, -77), -77);  // the caller's default, not the table's
            ASSERT_TRUE(SetPropertyInt(p.name, 4242));
            EXPECT_EQ(registry::QueryValue(path, p.valueName), registry::Value::Dword(4242));
            EXPECT_EQ(GetPropertyInt(p.name, p.integerDefault), 4242);
            // The other kind of access does not reach an integer property.
            EXPECT_EQ(GetPropertyString(p.name, "dflt"), "dflt");
            EXPECT_FALSE(SetPropertyString(p.name, "text"));
            EXPECT_EQ(registry::QueryValue(path, p.valueName), registry::Value::Dword(4242));
        } else {
            EXPECT_EQ(GetPropertyString(p.name, p.textDefault), p.textDefault);
            EXPECT_EQ(GetPropertyString(p.name, "caller"), "caller");
            ASSERT_TRUE(SetPropertyString(p.name, "stored text"));
            EXPECT_EQ(registry::QueryValue(path, p.valueName),
                      registry::Value::Text("stored text"));
            EXPECT_EQ(GetPropertyString(p.name, p.textDefault), "stored text");
            EXPECT_EQ(GetPropertyInt(p.name, 31), 31);
            EXPECT_FALSE(SetPropertyInt(p.name, 1));
            EXPECT_EQ(registry::QueryValue(path, p.valueName),
                      registry::Value::Text("stored text"));
        }
    }
    // Nothing else was written: each section holds exactly the values of its properties.
    std::size_t written = 0;
    for (const char* section : {"", "GeneralSettings", "MP3", "Playlist", "Donations"}) {
        const auto values = registry::EnumValues(*section ? kApp + "\\" + section : kApp)
                                .value_or(std::vector<registry::NamedValue>{});
        written += values.size();
    }
    EXPECT_EQ(written, std::size(kTable));
}

TEST(PropertyTable, TheNamedConstantsAreTheTableAndReadWithItsDefaults) {
    TempHive hive;
    ASSERT_EQ(std::size(property::kAll), std::size(kTable));
    for (std::size_t i = 0; i < std::size(kTable); ++i) {
        const Expected& expected = kTable[i];
        const PropertyDescriptor& actual = *property::kAll[i];
        SCOPED_TRACE(expected.name);
        EXPECT_EQ(actual.name, expected.name);
        EXPECT_EQ(actual.name, "prop_" + std::string(actual.valueName));
        EXPECT_EQ(actual.type == PropertyType::kInteger, expected.integer);
        EXPECT_EQ(actual.section, expected.section);
        EXPECT_EQ(actual.valueName, expected.valueName);
        if (expected.integer) {
            EXPECT_EQ(actual.integerDefault, expected.integerDefault);
        } else {
            EXPECT_EQ(actual.textDefault, expected.textDefault);
        }
    }
    EXPECT_EQ(GetPropertyInt(property::kPlaySound), 1);
    EXPECT_EQ(GetPropertyString(property::kTitleMask), "%3 - %2");
    ASSERT_TRUE(SetPropertyInt(property::kPlaySound, 0));
    ASSERT_TRUE(SetPropertyString(property::kTitleMask, "%1"));
    EXPECT_EQ(GetPropertyInt("prop_PlaySound", 7), 0);
    EXPECT_EQ(GetPropertyString("prop_TitleMask", "x"), "%1");
}

TEST(PropertyTable, NamesOutsideTheTableAreNoProperties) {
    TempHive hive;
    for (const char* name :
         {"prop_Unknown", "PROP_TITLEMASK", "prop_titlemask", "TitleMask", "", "prop_TitleMask "}) {
        EXPECT_EQ(GetPropertyString(name, "d"), "d") << name;
        EXPECT_EQ(GetPropertyInt(name, 5), 5) << name;
        EXPECT_FALSE(SetPropertyString(name, "x")) << name;
        EXPECT_FALSE(SetPropertyInt(name, 1)) << name;
    }
    EXPECT_FALSE(hive.Exists());
}

TEST(PropertyStore, AFreshStoreReadsDefaultsAndCreatesTheKeyOnTheFirstRead) {
    TempHive hive;
    EXPECT_FALSE(registry::KeyExists(kApp));
    EXPECT_EQ(GetPropertyInt("prop_FirstTimeInitComplete", 0), 0);
    EXPECT_TRUE(registry::KeyExists(kApp));
    EXPECT_FALSE(registry::KeyExists(kApp + "\\MP3"));
    EXPECT_EQ(GetPropertyString("prop_TitleMask", "%3 - %2"), "%3 - %2");
    EXPECT_TRUE(registry::KeyExists(kApp + "\\MP3"));
    EXPECT_EQ(registry::EnumValues(kApp + "\\MP3")->size(), 0u);  // read, not written
}

TEST(PropertyStore, IntegersAreSigned32BitAndTextsAreUtf8) {
    TempHive hive;
    for (int value : {0, -1, INT_MIN, INT_MAX, 123456}) {
        ASSERT_TRUE(SetPropertyInt("prop_WindowPositionX", value));
        EXPECT_EQ(GetPropertyInt("prop_WindowPositionX", 99), value);
    }
    const std::string texts[] = {"",
                                 "  spaced  ",
                                 "C:\\Music\\\"quoted\"",
                                 "Müller – 日本",
                                 "two\nlines\r\n",
                                 std::string("\xFF\xFE not UTF-8")};
    for (const std::string& text : texts) {
        ASSERT_TRUE(SetPropertyString("prop_SelectSongFolder", text));
        EXPECT_EQ(GetPropertyString("prop_SelectSongFolder", "d"), text);
    }
    ASSERT_TRUE(SetPropertyString("prop_TitleMask", "Müller"));
    EXPECT_NE(hive.Read().find("\"TitleMask\"=\"Müller\"\r\n"), std::string::npos);
}

TEST(PropertyStore, AValueOfAnotherTypeReadsAsTheDefaultUntilItIsWritten) {
    TempHive hive;
    ASSERT_TRUE(
        registry::SetValue(kApp + "\\GeneralSettings", "PlaySound", registry::Value::Text("0")));
    ASSERT_TRUE(registry::SetValue(kApp + "\\MP3", "TitleMask", registry::Value::Dword(3)));
    ASSERT_TRUE(registry::SetValue(kApp + "\\Playlist", "SaveMode",
                                   registry::Value::Text("Absolute", registry::kTypeExpandSz)));
    ASSERT_TRUE(registry::SetValue(kApp + "\\GeneralSettings", "Transparency",
                                   registry::Value{registry::kTypeDword, "\x01\x00"}));
    EXPECT_EQ(GetPropertyInt("prop_PlaySound", 1), 1);
    EXPECT_EQ(GetPropertyString("prop_TitleMask", "%3 - %2"), "%3 - %2");
    EXPECT_EQ(GetPropertyString("prop_SaveMode", "Relative"), "Relative");
    EXPECT_EQ(GetPropertyInt("prop_Transparency", 0), 0);
    // A read does not repair the value; the next write replaces it.
    EXPECT_EQ(registry::QueryValue(kApp + "\\MP3", "TitleMask"), registry::Value::Dword(3));
    ASSERT_TRUE(SetPropertyString("prop_TitleMask", "%1"));
    EXPECT_EQ(GetPropertyString("prop_TitleMask", ""), "%1");
}

TEST(PropertyStore, AddingToCountersIsOneWriteThatClampsAndRefusesWholesale) {
    TempHive hive;
    EXPECT_TRUE(AddToPropertyInts({{"prop_TotalPlaylists", 1}, {"prop_TotalSongs", 40}}));
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", -9), 1);
    EXPECT_EQ(GetPropertyInt("prop_TotalSongs", -9), 40);
    SetPropertyInt("prop_TotalPlaylists", -5);
    SetPropertyInt("prop_TotalSongs", INT_MAX - 1);
    EXPECT_TRUE(AddToPropertyInts({{"prop_TotalPlaylists", 2}, {"prop_TotalSongs", 5}}));
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", -9), 2);  // a negative one counts as 0
    EXPECT_EQ(GetPropertyInt("prop_TotalSongs", -9), INT_MAX);
    // A text where a number belongs counts as 0 and becomes a number.
    registry::SetValue(kApp + "\\Donations", "TotalSongs", registry::Value::Text("7"));
    EXPECT_TRUE(AddToPropertyInts({{"prop_TotalSongs", 3}}));
    EXPECT_EQ(GetPropertyInt("prop_TotalSongs", -9), 3);
    // One name that is no integer property, and nothing is added.
    EXPECT_FALSE(AddToPropertyInts({{"prop_TotalPlaylists", 1}, {"prop_TitleMask", 1}}));
    EXPECT_FALSE(AddToPropertyInts({{"prop_TotalPlaylists", 1}, {"prop_Nothing", 1}}));
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", -9), 2);
}

TEST(PropertyStore, CountersAddedFromSeveralThreadsLoseNothing) {
    TempHive hive;
    registry::SetSyncWrites(false);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 25; ++i) {
                AddToPropertyInts({{"prop_TotalPlaylists", 1}, {"prop_TotalSongs", 3}});
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    registry::SetSyncWrites(true);
    EXPECT_EQ(GetPropertyInt("prop_TotalPlaylists", 0), 100);
    EXPECT_EQ(GetPropertyInt("prop_TotalSongs", 0), 300);
}

TEST(PropertyStore, ValueNamesIgnoreLetterCaseAndKeepTheirStoredSpelling) {
    TempHive hive;
    ASSERT_TRUE(registry::SetValue(kApp + "\\mp3", "TITLEMASK", registry::Value::Text("%2")));
    EXPECT_EQ(GetPropertyString("prop_TitleMask", ""), "%2");
    ASSERT_TRUE(SetPropertyString("prop_TitleMask", "%1 - %2"));
    const auto values = registry::EnumValues(kApp + "\\MP3");
    ASSERT_EQ(values->size(), 1u);
    EXPECT_EQ((*values)[0].name, "TITLEMASK");
    EXPECT_EQ(registry::EnumSubkeys(kApp), std::vector<std::string>{"mp3"});
}

TEST(PropertyStore, AnUnreadableStoreGivesDefaultsAndKeepsTheFile) {
    TempHive hive;
    const std::string broken =
        "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Wendmark\\Tracklace3\\MP3]\n\"TitleMask\"=";
    hive.Write(broken);
    EXPECT_EQ(GetPropertyString("prop_TitleMask", "%3 - %2"), "%3 - %2");
    EXPECT_EQ(GetPropertyInt("prop_ReadID3Tags", 1), 1);
    EXPECT_EQ(hive.Read(), broken);
    EXPECT_TRUE(SetPropertyString("prop_TitleMask", "%2"));
    EXPECT_EQ(GetPropertyString("prop_TitleMask", ""), "%2");
}

TEST(Language, CodeAndEnglishTest) {
    TempHive hive;
    EXPECT_EQ(GetLanguageCode(), "EN");
    EXPECT_TRUE(IsLanguageEnglish());
    SetLanguageCode(false);
    EXPECT_EQ(GetLanguageCode(), "DE");
    EXPECT_FALSE(IsLanguageEnglish());
    for (const char* other : {"de", "De", "DE ", "FR", ""}) {
        SetPropertyString("prop_Language", other);
        EXPECT_TRUE(IsLanguageEnglish()) << other;
    }
    SetLanguageCode(true);
    EXPECT_EQ(GetPropertyString("prop_Language", ""), "EN");
}

TEST(Language, InstallerLanguageWinsOverTheLocale) {
    TempHive hive;
    {
        ScopedLocale locale(nullptr, nullptr, "en_US.UTF-8");
        SetInstallerLanguage(registry::Value::Text("1031"));
        ChooseInitialLanguage();
        EXPECT_EQ(GetLanguageCode(), "DE");
    }
    {
        ScopedLocale locale("de_DE.UTF-8", nullptr, nullptr);
        SetInstallerLanguage(registry::Value::Text("1033"));
        ChooseInitialLanguage();
        EXPECT_EQ(GetLanguageCode(), "EN");
        // An expandable text counts as well.
        SetInstallerLanguage(registry::Value::Text("1033", registry::kTypeExpandSz));
        ChooseInitialLanguage();
        EXPECT_EQ(GetLanguageCode(), "EN");
        // These do not count, so the German locale decides.
        const registry::Value ignored[] = {
            registry::Value::Dword(1033),
            registry::Value{registry::kTypeSz, "1033"},  // no terminating NUL
            registry::Value::Text("1033 "),
            registry::Value::Text(std::string(256, '1')),
            registry::Value{registry::kTypeBinary, std::string("1033\0", 5)},
        };
        for (const registry::Value& value : ignored) {
            SetPropertyString("prop_Language", "EN");
            SetInstallerLanguage(value);
            ChooseInitialLanguage();
            EXPECT_EQ(GetLanguageCode(), "DE") << value.data;
        }
    }
}

TEST(Language, WithoutInstallerLanguageTheLocaleDecides) {
    TempHive hive;
    struct Case {
        const char* all;
        const char* messages;
        const char* lang;
        const char* code;
    };
    const Case cases[] = {
        {nullptr, nullptr, "de_DE.UTF-8", "DE"},
        {nullptr, nullptr, "de_CH.UTF-8", "DE"},  // Swiss German, 2055
        {nullptr, nullptr, "de_AT", "DE"},
        {nullptr, nullptr, "de_LU.ISO-8859-1", "DE"},
        {nullptr, nullptr, "de_LI.UTF-8", "DE"},
        {nullptr, nullptr, "de_DE@euro", "DE"},
        {nullptr, nullptr, "de", "DE"},
        {nullptr, nullptr, "fr_FR.UTF-8", "EN"},  // French, 1036
        {nullptr, nullptr, "de_BE.UTF-8", "EN"},  // no German identifier of its own
        {nullptr, nullptr, "C", "EN"},
        {nullptr, nullptr, nullptr, "EN"},
        {"fr_FR.UTF-8", "de_DE.UTF-8", "de_DE.UTF-8", "EN"},  // LC_ALL first
        {nullptr, "de_CH.UTF-8", "en_GB.UTF-8", "DE"},        // then LC_MESSAGES
        {"", "", "de_AT.UTF-8", "DE"},                        // empty ones are skipped
    };
    for (const Case& c : cases) {
        ScopedLocale locale(c.all, c.messages, c.lang);
        SetPropertyString("prop_Language", "XX");
        ChooseInitialLanguage();
        EXPECT_EQ(GetLanguageCode(), c.code)
            << (c.all ? c.all : "-") << " " << (c.messages ? c.messages : "-") << " "
            << (c.lang ? c.lang : "-");
    }
    SetInstallerLanguage(registry::Value::Text("2055"));  // neither 1031 nor 1033
    ScopedLocale locale(nullptr, nullptr, "de_CH.UTF-8");
    SetPropertyString("prop_Language", "EN");
    ChooseInitialLanguage();
    EXPECT_EQ(GetLanguageCode(), "DE");
}

TEST(Language, LocaleNamesAsWindowsLanguageIdentifiers) {
    EXPECT_EQ(LanguageIdFromLocale("de_DE.UTF-8"), 1031);
    EXPECT_EQ(LanguageIdFromLocale("de_CH"), 2055);
    EXPECT_EQ(LanguageIdFromLocale("de_AT.utf8"), 3079);
    EXPECT_EQ(LanguageIdFromLocale("de_LU"), 4103);
    EXPECT_EQ(LanguageIdFromLocale("de_LI"), 5127);
    EXPECT_EQ(LanguageIdFromLocale("fr_FR"), 1036);
    EXPECT_EQ(LanguageIdFromLocale("en_US.UTF-8"), 1033);
    EXPECT_EQ(LanguageIdFromLocale("POSIX"), 0);
    EXPECT_EQ(LanguageIdFromLocale(""), 0);
    for (int id : {1031, 2055, 3079, 4103, 5127}) {
        EXPECT_TRUE(IsGermanLanguageId(id)) << id;
    }
    for (int id : {0, 1033, 1036, 2057, 1032}) {
        EXPECT_FALSE(IsGermanLanguageId(id)) << id;
    }
}

TEST(WholeStore, FirstRunChoosesTheLanguageAndWritesTheDefaultFileTypes) {
    TempHive hive;
    ScopedLocale locale(nullptr, nullptr, "de_AT.UTF-8");
    InitializeFirstRun();
    EXPECT_EQ(GetLanguageCode(), "DE");
    const auto values = registry::EnumValues(kApp + "\\FileTypes");
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ(values->size(), 42u);
    // The main dialog, not the initialisation, marks the first run done.
    EXPECT_EQ(GetPropertyInt("prop_FirstTimeInitComplete", 0), 0);
}

TEST(WholeStore, ResetKeepsCountersFoldersAndTheFirstRunMark) {
    TempHive hive;
    ScopedLocale locale(nullptr, nullptr, "en_US.UTF-8");
    for (const Expected& p : kTable) {
        if (p.integer) {
            SetPropertyInt(p.name, 77);
        } else {
            SetPropertyString(p.name, "kept?");
        }
    }
    SetPropertyString("prop_Language", "DE");
    registry::SetValue(kApp + "\\FileTypes", "flac", registry::Value::Text("1"));
    registry::SetValue(kApp + "\\MP3\\Deep\\Deeper", "x", registry::Value::Dword(1));
    registry::SetValue(kApp, "Installer Language", registry::Value::Text("1031"));

    ResetSettings();

    for (const Expected& p : kTable) {
        SCOPED_TRACE(p.name);
        const std::string section = p.section;
        const bool kept = section.empty() || section == "Donations";
        if (std::string(p.name) == "prop_Language") {
            EXPECT_EQ(GetLanguageCode(), "DE");  // chosen anew, from "Installer Language"
        } else if (p.integer) {
            EXPECT_EQ(GetPropertyInt(p.name, -1), kept ? 77 : -1);
        } else {
            EXPECT_EQ(GetPropertyString(p.name, "default"), kept ? "kept?" : "default");
        }
    }
    EXPECT_FALSE(registry::KeyExists(kApp + "\\MP3\\Deep"));
    EXPECT_EQ(registry::QueryValue(kApp, "Installer Language"), registry::Value::Text("1031"));
    FileTypeList active, inactive, defaultActive, defaultInactive;
    GetDefaultActiveFileTypes(defaultActive);
    GetDefaultInactiveFileTypes(defaultInactive);
    const auto types = registry::EnumValues(kApp + "\\FileTypes");
    ASSERT_TRUE(types.has_value());
    for (const auto& named : *types) {
        (named.value.AsText() == "1" ? active : inactive).push_back(named.name);
    }
    EXPECT_EQ(active, defaultActive);  // flac is gone
    EXPECT_EQ(inactive, defaultInactive);
}

TEST(WholeStore, ResetOnAnEmptyStore) {
    TempHive hive;
    ScopedLocale locale(nullptr, nullptr, "fr_FR.UTF-8");
    ResetSettings();
    EXPECT_EQ(GetLanguageCode(), "EN");
    EXPECT_EQ(registry::EnumValues(kApp + "\\FileTypes")->size(), 42u);
}

TEST(Texts, RegistryRootAndVersion) {
    EXPECT_EQ(GetRegistryRoot(1), "Software\\Wendmark\\Tracklace3");
    EXPECT_EQ(GetRegistryRoot(0), "Tracklace3");
    EXPECT_EQ(GetRegistryRoot(2), "Tracklace3");
    EXPECT_EQ(GetVersionText(0), "3.0");
    EXPECT_EQ(GetVersionText(1), "3.0.1");
    EXPECT_EQ(GetVersionText(3), "3");
    EXPECT_EQ(GetVersionText(2), "3.0.1.0");
    EXPECT_EQ(GetVersionText(-1), "3.0.1.0");
}
