#include "settings/language/language.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "settings/store/properties.h"
#include "tests/platform/registry/temp_hive.h"

namespace {

// Each test starts from a fresh store with the English table loaded.
class Texts : public ::testing::Test {
protected:
    void SetUp() override { ReloadTexts(); }
    TempHive m_hive;
};

}  // namespace

TEST_F(Texts, LooksUpTheCurrentTable) {
    EXPECT_EQ(GetText("IDS_TL_FILES"), "Files");
    EXPECT_EQ(GetText("IDS_TL_TOOLBAR_MAIN_DIALOG_SETTINGS"), " &Settings  ");
    EXPECT_EQ(GetText("IDS_TL_SETTINGS_PLAYLIST_SAVE_MODE_ABSOLUTE"),
              "Save playlist entries absolute (e.g. \"/home/user/Music/Song1.mp3\")");
    EXPECT_EQ(GetText("IDS_TL_MB_DELETE_ALL_ITEMS"),
              "Do you really want to remove all items from the playlist?\n\nAttention: This "
              "operation cannot be undone!");
}

TEST_F(Texts, AMissingKeyIsItsOwnText) {
    EXPECT_EQ(GetText("IDS_NO_SUCH_KEY"), "IDS_NO_SUCH_KEY");
    EXPECT_EQ(GetText("ids_tl_files"), "ids_tl_files");  // keys are case-sensitive
    EXPECT_EQ(GetText(""), "");
}

TEST_F(Texts, TheTableChangesOnlyWhenItIsReloaded) {
    SetLanguageCode(false);
    EXPECT_EQ(GetText("IDS_TL_FILES"), "Files");
    EXPECT_EQ(GetText("IDS_TL_FILES", true), "Dateien");
    EXPECT_EQ(GetText("IDS_BACK"), "< &Zurück");
    EXPECT_EQ(GetText("IDS_TL_SETTINGS_MP3_VARIABLE_TRACK"), "Lied #");
    SetLanguageCode(true);
    EXPECT_EQ(GetText("IDS_TL_FILES"), "Dateien");
    ReloadTexts();
    EXPECT_EQ(GetText("IDS_TL_FILES"), "Files");
}

TEST_F(Texts, ACodeWithoutATableFallsBackToEnglish) {
    SetPropertyString("prop_Language", "FR");
    ReloadTexts();
    EXPECT_EQ(GetText("IDS_TL_ALL_FILES"), "All files");
    SetPropertyString("prop_Language", "");
    ReloadTexts();
    EXPECT_EQ(GetText("IDS_TL_ALL_FILES"), "All files");
    // Resource names ignore letter case, so "de" finds the German table even though the
    // settings page counts it as English.
    SetPropertyString("prop_Language", "de");
    ReloadTexts();
    EXPECT_EQ(GetText("IDS_TL_ALL_FILES"), "Alle Dateien");
}

TEST_F(Texts, MessageCaptionIsTheNameAndTheMajorVersion) {
    EXPECT_EQ(GetMessageCaption(), "Tracklace 3");
    SetLanguageCode(false);
    ReloadTexts();
    EXPECT_EQ(GetMessageCaption(), "Tracklace 3");
}

TEST_F(Texts, LookupsFromSeveralThreadsWhileTheTableIsReplaced) {
    // The creation worker looks texts up while the user interface thread may do the same;
    // even a reload meanwhile must leave every lookup with a whole text of one table.
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&] {
            for (int i = 0; i < 2000 || !stop; ++i) {
                const std::string text = GetText("IDS_TL_ALL_FILES");
                if (text != "All files" && text != "Alle Dateien") {
                    ++wrong;
                }
                if (i > 100000) {
                    break;
                }
            }
        });
    }
    for (int i = 0; i < 20; ++i) {
        SetLanguageCode(i % 2 == 0);
        ReloadTexts();
    }
    stop = true;
    for (std::thread& reader : readers) {
        reader.join();
    }
    EXPECT_EQ(wrong, 0);
}
