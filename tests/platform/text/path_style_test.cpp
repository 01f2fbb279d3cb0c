#include "platform/path_style/path_style.h"

#include <gtest/gtest.h>

TEST(PathStyle, AddSeparatorAppendsOnlyWhenMissing) {
    EXPECT_EQ(AddSeparator("C:\\Music", PathStyle::Windows), "C:\\Music\\");
    EXPECT_EQ(AddSeparator("C:\\Music\\", PathStyle::Windows), "C:\\Music\\");
    EXPECT_EQ(AddSeparator("", PathStyle::Windows), "\\");
    // A forward slash at the end is not a backslash: the Windows helper still appends one.
    EXPECT_EQ(AddSeparator("C:/Music/", PathStyle::Windows), "C:/Music/\\");
    EXPECT_EQ(AddSeparator("/music"), "/music/");
    EXPECT_EQ(AddSeparator("/music/"), "/music/");
    EXPECT_EQ(AddSeparator(""), "/");
    EXPECT_EQ(AddSeparator("/"), "/");
}

TEST(PathStyle, RemoveSeparatorRemovesExactlyOne) {
    EXPECT_EQ(RemoveSeparator("C:\\Music\\", PathStyle::Windows), "C:\\Music");
    EXPECT_EQ(RemoveSeparator("C:\\Music\\\\", PathStyle::Windows), "C:\\Music\\");
    EXPECT_EQ(RemoveSeparator("C:\\Music", PathStyle::Windows), "C:\\Music");
    EXPECT_EQ(RemoveSeparator("", PathStyle::Windows), "");
    EXPECT_EQ(RemoveSeparator("\\", PathStyle::Windows), "");
    EXPECT_EQ(RemoveSeparator("/music/"), "/music");
    EXPECT_EQ(RemoveSeparator("/"), "");
    EXPECT_EQ(RemoveSeparator("a\\", PathStyle::Posix), "a\\");
}

TEST(PathStyle, SeparatorsAndCaseRules) {
    EXPECT_TRUE(IsSeparator('\\', PathStyle::Windows));
    EXPECT_TRUE(IsSeparator('/', PathStyle::Windows));
    EXPECT_FALSE(IsSeparator('\\', PathStyle::Posix));
    EXPECT_TRUE(IsSeparator('/', PathStyle::Posix));
    EXPECT_TRUE(IsCaseInsensitive(PathStyle::Windows));
    EXPECT_FALSE(IsCaseInsensitive(PathStyle::Posix));
    EXPECT_EQ(kNativePathStyle, PathStyle::Posix);
}
