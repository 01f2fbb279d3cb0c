#include "core/folder_listing/folder_listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

class FolderListingTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(m_root.empty()); }

    void Touch(const std::string& name) { std::ofstream(m_root / name) << "x"; }

    TempFolder m_temp{"tracklace-listing"};
    fs::path m_root = m_temp.Path();
};

TEST_F(FolderListingTest, ListsOnlyFilesDirectlyInsideIncludingHiddenOnesAndFileLinks) {
    Touch("b.mp3");
    Touch(".hidden.mp3");
    fs::create_directory(m_root / "sub");
    std::ofstream(m_root / "sub" / "inner.mp3") << "x";
    fs::create_directory_symlink(m_root / "sub", m_root / "link-to-sub");
    fs::create_symlink(m_root / "b.mp3", m_root / "link-to-b.mp3");
    fs::create_symlink(m_root / "gone.mp3", m_root / "dead-link.mp3");

    std::vector<std::string> list{"left over from before"};
    ASSERT_TRUE(ListFolderFiles(m_root.string(), list));
    const std::string prefix = m_root.string() + "/";
    EXPECT_EQ(list, (std::vector<std::string>{prefix + ".hidden.mp3", prefix + "b.mp3",
                                              prefix + "link-to-b.mp3"}));
}

TEST_F(FolderListingTest, TrailingSeparatorIsNotDoubled) {
    Touch("a.wav");
    std::vector<std::string> list;
    ASSERT_TRUE(ListFolderFiles(m_root.string() + "/", list));
    EXPECT_EQ(list, std::vector<std::string>{m_root.string() + "/a.wav"});
}

TEST_F(FolderListingTest, EmptyMissingAndFileArgumentsGiveFalseAndAnEmptyList) {
    fs::create_directory(m_root / "only-folders");
    fs::create_directory(m_root / "only-folders" / "x");
    std::vector<std::string> list{"stale"};
    EXPECT_FALSE(ListFolderFiles((m_root / "only-folders").string(), list));
    EXPECT_TRUE(list.empty());
    list = {"stale"};
    EXPECT_FALSE(ListFolderFiles((m_root / "missing").string(), list));
    EXPECT_TRUE(list.empty());
    Touch("plain.mp3");
    EXPECT_FALSE(ListFolderFiles((m_root / "plain.mp3").string(), list));
}

TEST_F(FolderListingTest, SortsLikeAFileManager) {
    for (const char* name :
         {"Track10.mp3", "track2.mp3", "track1.mp3", "Album.mp3", "zeta.mp3", "track02b.mp3"}) {
        Touch(name);
    }
    std::vector<std::string> list;
    ASSERT_TRUE(ListFolderFiles(m_root.string(), list));
    std::vector<std::string> names;
    for (const auto& path : list) {
        names.push_back(fs::path(path).filename().string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Album.mp3", "track1.mp3", "track2.mp3",
                                               "track02b.mp3", "Track10.mp3", "zeta.mp3"}));
}

TEST(CompareFileNamesTest, DigitRunsByValueCaseIgnoredAndTotalOrder) {
    EXPECT_LT(CompareFileNames("track2", "track10"), 0);
    EXPECT_GT(CompareFileNames("track10", "track9"), 0);
    EXPECT_LT(CompareFileNames("a", "B"), 0);
    EXPECT_LT(CompareFileNames("B", "c"), 0);
    // Numbers longer than any machine integer still compare by value.
    EXPECT_LT(CompareFileNames("x99999999999999999999999", "x100000000000000000000000"), 0);
    // Equal values: leading zeros and letter case only break the tie, never reorder values.
    EXPECT_NE(CompareFileNames("t01", "t1"), 0);
    EXPECT_EQ(CompareFileNames("t01", "t1"), -CompareFileNames("t1", "t01"));
    EXPECT_LT(CompareFileNames("t01", "t2"), 0);
    EXPECT_NE(CompareFileNames("Song", "song"), 0);
    EXPECT_EQ(CompareFileNames("same", "same"), 0);
    EXPECT_LT(CompareFileNames("abc", "abcd"), 0);
    // Letter case of non-ASCII letters is ignored too: the number decides here.
    EXPECT_LT(CompareFileNames("\xC3\x84rger 2", "\xC3\xA4rger 10"), 0);
    EXPECT_GT(CompareFileNames("\xC3\xA4rger 2", "\xC3\x84rger 1"), 0);
}

TEST_F(FolderListingTest, ExpandingAFolderKeepsTheFilesOfActiveTypesInListOrder) {
    Touch("b10.MP3");
    Touch("b2.ogg");
    Touch("cover.jpg");
    Touch("notes");
    Touch("a.ogg.txt");
    fs::create_directory(m_root / "sub.mp3");
    std::vector<std::string> list{"left over"};
    ASSERT_TRUE(ExpandFolder(m_root.string(), {"ogg", "mp3"}, list));
    const std::string prefix = m_root.string() + "/";
    EXPECT_EQ(list, (std::vector<std::string>{prefix + "b2.ogg", prefix + "b10.MP3"}));
    EXPECT_FALSE(ExpandFolder(m_root.string(), {"flac"}, list));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(ExpandFolder((m_root / "missing").string(), {"ogg"}, list));
}

}  // namespace
