#include "core/formats/readers/entry_path_resolver.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using Kind = CEntryPathResolver::Kind;

TEST(EntryPathResolver, NormalisesByTheTextWhereNoFolderIsThere) {
    CEntryPathResolver resolver("/nowhere/lists");
    const std::pair<const char*, const char*> cases[] = {
        {"/", "/"},
        {"/a/./b//c/", "/a/b/c"},
        {"/nowhere/a/b/../c", "/nowhere/a/c"},
        {"/nowhere/a/b/../../../../x", "/x"},
        {"/a/.../b", "/a/.../b"},
        {"/a/..b/c..", "/a/..b/c.."},
        {"/a/.hidden/./.", "/a/.hidden"},
    };
    for (const auto& [text, normal] : cases) {
        EXPECT_EQ(resolver.Normalise(text), normal) << text;
    }
}

TEST(EntryPathResolver, ClimbsTheFolderTheFileSystemReaches) {
    TempFolder temp;
    const std::string root = fs::canonical(temp.Path()).string();
    fs::create_directories(root + "/real/deep");
    fs::create_symlink(root + "/real/deep", root + "/link");
    CEntryPathResolver resolver(root + "/link");
    // Through the link, ".." is real/, not the folder that holds the link.
    EXPECT_EQ(resolver.Normalise(root + "/link/../x.mp3"), root + "/real/x.mp3");
    EXPECT_EQ(resolver.FromText("../x.mp3").path, root + "/real/x.mp3");
    EXPECT_EQ(resolver.FromText("./a/../b.mp3").path, root + "/link/b.mp3");
    EXPECT_EQ(resolver.FromText("sub/x.mp3").path, root + "/link/sub/x.mp3");
}

TEST(EntryPathResolver, KindsOfEntries) {
    CEntryPathResolver resolver("/m/lists");
    const std::pair<const char*, Kind> cases[] = {
        {"http://x.example/a.mp3", Kind::kUrl},
        {"mms://x.example/a", Kind::kUrl},
        {"C:\\a.mp3", Kind::kWindowsPath},
        {"c:/a.mp3", Kind::kWindowsPath},
        {"\\\\server\\share\\a.mp3", Kind::kWindowsPath},
        {"file://other/a.mp3", Kind::kInvalidFileUri},
        {"file:///a%2Fb.mp3", Kind::kInvalidFileUri},
        {"file:///C|/a.mp3", Kind::kWindowsPath},
        {"file:relative.mp3", Kind::kInvalidFileUri},
        {"Live: 1999.mp3", Kind::kFile},
        {"http:no-address.mp3", Kind::kFile},
        {"C:name.mp3", Kind::kFile},
        {"//double/slash.mp3", Kind::kFile},
    };
    for (const auto& [text, kind] : cases) {
        EXPECT_EQ(resolver.FromText(text).kind, kind) << text;
    }
    EXPECT_EQ(resolver.FromText("//double/slash.mp3").path, "/double/slash.mp3");
    EXPECT_EQ(resolver.FromText("C:name.mp3").path, "/m/lists/C:name.mp3");
    EXPECT_EQ(resolver.FromReference("../a%20b.mp3", "file:///m/lists/x.xspf").path, "/m/a b.mp3");
    EXPECT_EQ(resolver.FromReference("a.mp3", "http://x.example/list.xspf").kind, Kind::kUrl);
    EXPECT_EQ(resolver.FromReference("D:\\a.mp3", "file:///m/x.xspf").kind, Kind::kWindowsPath);
}

TEST(EntryPathResolver, AbsolutePathOfARelativeOne) {
    TempFolder temp;
    const std::string root = fs::canonical(temp.Path()).string();
    fs::create_directories(root + "/a/b");
    const fs::path before = fs::current_path();
    fs::current_path(root + "/a/b");
    EXPECT_EQ(AbsolutePathOf("x.m3u"), root + "/a/b/x.m3u");
    EXPECT_EQ(AbsolutePathOf("./../x.m3u"), root + "/a/x.m3u");
    EXPECT_EQ(AbsolutePathOf("/y//z.m3u"), "/y/z.m3u");
    fs::current_path(before);
}

}  // namespace
