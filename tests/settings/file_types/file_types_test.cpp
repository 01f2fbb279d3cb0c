#include "settings/file_types/file_types.h"

#include <gtest/gtest.h>

#include "platform/registry/registry.h"
#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "tests/platform/registry/temp_hive.h"

namespace registry = platform::registry;

namespace {

const std::string kFileTypes = "Software\\Wendmark\\Tracklace3\\FileTypes";

const FileTypeList kActive = {"cda", "mp3", "ogg", "wav", "wma", "avi", "mpeg", "mpg", "wmv"};
const FileTypeList kInactive = {"669", "aac", "aif", "aiff", "amf",  "asf", "au",  "far", "it",
                                "itz", "kar", "m4a", "mid",  "midi", "miz", "mod", "mp1", "mp2",
                                "mtm", "nst", "okt", "rmi",  "s3m",  "s3z", "snd", "stz", "ult",
                                "voc", "xm",  "xmz", "m2v",  "mp4",  "nsv"};

class FileTypes : public ::testing::Test {
protected:
    void SetUp() override { ReloadTexts(); }
    TempHive m_hive;
};

void Store(const std::string& name, const registry::Value& value) {
    ASSERT_TRUE(registry::SetValue(kFileTypes, name, value));
}

}  // namespace

TEST_F(FileTypes, DefaultListsInTheirFixedOrder) {
    FileTypeList active = {"keep"}, inactive;
    GetDefaultActiveFileTypes(active);
    GetDefaultInactiveFileTypes(inactive);
    FileTypeList expected = {"keep"};
    expected.insert(expected.end(), kActive.begin(), kActive.end());
    EXPECT_EQ(active, expected);  // appended, not replaced
    EXPECT_EQ(inactive, kInactive);
}

TEST_F(FileTypes, DefaultsAreWrittenActiveFirstAndLoadedInStoreOrder) {
    WriteDefaultFileTypes();
    const auto values = registry::EnumValues(kFileTypes);
    ASSERT_EQ(values->size(), 42u);
    EXPECT_EQ((*values)[0].name, "cda");
    EXPECT_EQ((*values)[0].value, registry::Value::Text("1"));
    EXPECT_EQ((*values)[9].name, "669");
    EXPECT_EQ((*values)[9].value, registry::Value::Text("0"));
    FileTypeList active = {"stale"}, inactive = {"stale"};
    LoadFileTypeLists(active, inactive);
    EXPECT_EQ(active, kActive);
    EXPECT_EQ(inactive, kInactive);
    FileTypeList onlyActive = {"stale"};
    LoadActiveFileTypes(onlyActive);
    EXPECT_EQ(onlyActive, kActive);
}

TEST_F(FileTypes, WritingTheDefaultsKeepsOtherTypesAndOverwritesDefaultOnes) {
    Store("flac", registry::Value::Text("1"));
    Store("MP3", registry::Value::Text("0"));
    WriteDefaultFileTypes();
    FileTypeList active, inactive;
    LoadFileTypeLists(active, inactive);
    EXPECT_EQ(active.front(), "flac");
    EXPECT_EQ(active[1], "MP3");  // same value, its stored spelling, now active
    EXPECT_EQ(active.size(), 10u);
    EXPECT_EQ(inactive, kInactive);
}

TEST_F(FileTypes, NoKeyMeansEmptyLists) {
    FileTypeList active = {"x"}, inactive = {"y"};
    LoadFileTypeLists(active, inactive);
    EXPECT_TRUE(active.empty());
    EXPECT_TRUE(inactive.empty());
    EXPECT_FALSE(registry::KeyExists(kFileTypes));  // reading does not create it
}

TEST_F(FileTypes, DataOtherThanOneAndZeroBelongsToNeitherListUntilTheNextSave) {
    Store("mp3", registry::Value::Text("1"));
    Store("odd", registry::Value::Text("2"));
    Store("spaced", registry::Value::Text("1 "));
    Store("number", registry::Value::Dword(1));
    Store("unterminated", registry::Value{registry::kTypeSz, "1"});
    Store("expand", registry::Value::Text("0", registry::kTypeExpandSz));
    Store("long", registry::Value::Text(std::string(256, '1')));
    Store("ogg", registry::Value::Text("0"));
    FileTypeList active, inactive;
    LoadFileTypeLists(active, inactive);
    EXPECT_EQ(active, (FileTypeList{"mp3", "unterminated"}));
    EXPECT_EQ(inactive, (FileTypeList{"expand", "ogg"}));
    EXPECT_TRUE(registry::QueryValue(kFileTypes, "odd").has_value());
    SaveFileTypeLists(active, inactive);
    EXPECT_FALSE(registry::QueryValue(kFileTypes, "odd").has_value());
    EXPECT_EQ(registry::EnumValues(kFileTypes)->size(), 4u);
}

TEST_F(FileTypes, ANameLongerThan255CharactersEndsTheList) {
    Store("mp3", registry::Value::Text("1"));
    Store(std::string(255, 'a'), registry::Value::Text("1"));
    Store(std::string(256, 'b'), registry::Value::Text("1"));
    Store("ogg", registry::Value::Text("1"));
    FileTypeList active;
    LoadActiveFileTypes(active);
    EXPECT_EQ(active, (FileTypeList{"mp3", std::string(255, 'a')}));
}

TEST_F(FileTypes, SavingReplacesBothListsInTheirOrder) {
    WriteDefaultFileTypes();
    registry::SetValue(kFileTypes + "\\Sub", "x", registry::Value::Dword(1));
    SaveFileTypeLists({"ogg", "Mp3", "", "bad\nname", "flac"}, {"wav", "669"});
    FileTypeList active, inactive;
    LoadFileTypeLists(active, inactive);
    EXPECT_EQ(active, (FileTypeList{"ogg", "Mp3", "flac"}));  // unstorable names skipped
    EXPECT_EQ(inactive, (FileTypeList{"wav", "669"}));
    EXPECT_FALSE(registry::KeyExists(kFileTypes + "\\Sub"));
    SaveFileTypeLists({}, {});
    LoadFileTypeLists(active, inactive);
    EXPECT_TRUE(active.empty());
    EXPECT_TRUE(inactive.empty());
    EXPECT_TRUE(registry::KeyExists(kFileTypes));
}

TEST_F(FileTypes, ResetBringsBackExactlyTheDefaults) {
    SaveFileTypeLists({"flac", "mp3"}, {"ogg"});
    ResetSettings();
    FileTypeList active, inactive;
    LoadFileTypeLists(active, inactive);
    EXPECT_EQ(active, kActive);
    EXPECT_EQ(inactive, kInactive);
}

TEST(FileExtension, WindowsStylePaths) {
    const PathStyle w = PathStyle::Windows;
    EXPECT_EQ(GetFileExtension("C:\\Music\\Song.MP3", w), "MP3");
    EXPECT_EQ(GetFileExtension("C:\\Music.old\\Song", w), "");
    EXPECT_EQ(GetFileExtension("C:\\Music\\Song.", w), "");
    EXPECT_EQ(GetFileExtension("C:\\Music\\a.tar.gz", w), "gz");
    EXPECT_EQ(GetFileExtension("C:/Music.old/Song", w), "");  // "/" separates as well
    EXPECT_EQ(GetFileExtension("Song.ogg", w), "ogg");
    EXPECT_EQ(GetFileExtension("", w), "");
    EXPECT_EQ(GetFileExtension(".", w), "");
}

TEST(FileExtension, PosixStylePaths) {
    EXPECT_EQ(GetFileExtension("/home/u/Music/Song.MP3"), "MP3");
    EXPECT_EQ(GetFileExtension("/home/u/Music.old/Song"), "");
    EXPECT_EQ(GetFileExtension("/home/u/Music/Song."), "");
    // A backslash is an ordinary character in a POSIX file name.
    EXPECT_EQ(GetFileExtension("/home/u/odd.dir\\Song", PathStyle::Posix), "dir\\Song");
    EXPECT_EQ(GetFileExtension("/home/u/Müsik.flac", PathStyle::Posix), "flac");
}

TEST(ActiveFileType, IgnoresLetterCase) {
    EXPECT_TRUE(IsActiveFileType("MP3", {"ogg", "mp3"}));
    EXPECT_TRUE(IsActiveFileType("mp3", {"MP3"}));
    EXPECT_TRUE(IsActiveFileType("ÄAC", {"äac"}));
    EXPECT_FALSE(IsActiveFileType("mp", {"mp3"}));
    EXPECT_FALSE(IsActiveFileType("mp3 ", {"mp3"}));
    EXPECT_FALSE(IsActiveFileType("", {"mp3"}));
    EXPECT_FALSE(IsActiveFileType("mp3", {}));
}

TEST_F(FileTypes, FilterOfTheDefaultListsInEnglish) {
    const FileDialogFilter filter = BuildFileDialogFilter(kActive, "");
    EXPECT_EQ(filter.text,
              "CDA Files (*.cda)|*.cda|MP3 Files (*.mp3)|*.mp3|OGG Files (*.ogg)|*.ogg|"
              "WAV Files (*.wav)|*.wav|WMA Files (*.wma)|*.wma|AVI Files (*.avi)|*.avi|"
              "MPEG Files (*.mpeg)|*.mpeg|MPG Files (*.mpg)|*.mpg|WMV Files (*.wmv)|*.wmv|"
              "All files (*.*)|*.*||");
    EXPECT_EQ(filter.selectedIndex, 1);
}

TEST_F(FileTypes, FilterTextsComeFromTheCurrentTable) {
    SetLanguageCode(false);
    ReloadTexts();
    EXPECT_EQ(BuildFileDialogFilter({"mp3"}, "").text,
              "MP3 Dateien (*.mp3)|*.mp3|Alle Dateien (*.*)|*.*||");
    EXPECT_EQ(BuildFileDialogFilter({}, "").text, "Alle Dateien (*.*)|*.*||");
}

TEST_F(FileTypes, TheRememberedFilterIsSelected) {
    EXPECT_EQ(BuildFileDialogFilter(kActive, "mp3").selectedIndex, 2);
    EXPECT_EQ(BuildFileDialogFilter(kActive, "wmv").selectedIndex, 9);
    EXPECT_EQ(BuildFileDialogFilter(kActive, "*.*").selectedIndex, 10);
    EXPECT_EQ(BuildFileDialogFilter(kActive, "flac").selectedIndex, 1);  // no longer active
    EXPECT_EQ(BuildFileDialogFilter(kActive, "MP3").selectedIndex, 1);   // case counts
    EXPECT_EQ(BuildFileDialogFilter({}, "*.*").selectedIndex, 1);
    // A type stored in upper case shows like its lower-case form but is selected only by
    // the same spelling.
    const FileDialogFilter upper = BuildFileDialogFilter({"ogg", "MP3"}, "MP3");
    EXPECT_EQ(upper.text, "OGG Files (*.ogg)|*.ogg|MP3 Files (*.mp3)|*.mp3|All files (*.*)|*.*||");
    EXPECT_EQ(upper.selectedIndex, 2);
    EXPECT_EQ(BuildFileDialogFilter({"ogg", "MP3"}, "mp3").selectedIndex, 1);
}

TEST(PreviousFilter, TheChosenFilterIsRemembered) {
    const FileTypeList active = {"mp3", "ogg"};
    EXPECT_EQ(PreviousFilterFor(active, 1), "mp3");
    EXPECT_EQ(PreviousFilterFor(active, 2), "ogg");
    EXPECT_EQ(PreviousFilterFor(active, 3), "*.*");
    EXPECT_EQ(PreviousFilterFor(active, 99), "*.*");
    EXPECT_EQ(PreviousFilterFor(active, 0), "");
    EXPECT_EQ(PreviousFilterFor({}, 1), "*.*");
    // What is remembered selects the same filter the next time.
    for (int chosen = 1; chosen <= 3; ++chosen) {
        EXPECT_EQ(BuildFileDialogFilter(active, PreviousFilterFor(active, chosen)).selectedIndex,
                  chosen);
    }
}
