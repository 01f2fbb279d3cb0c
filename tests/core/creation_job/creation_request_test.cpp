#include "core/creation_job/creation_request.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/playlist/playlist.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

TEST(CreationRequest, TheFirstCheckThatAppliesDecides) {
    TempFolder temp;
    const std::string lists = temp.Folder("Lists");
    const std::string existing = temp.File("Lists/Party.m3u");
    fs::create_symlink(temp / "Lists/gone.m3u", temp / "Lists/Dangling.m3u");
    CPlaylist playlist;
    CPlaylist empty;
    auto* entry = new CPlaylistElement;
    entry->SetPath("/music/a.ogg");
    playlist.AddTail(entry);

    using enum RequestOutcome;
    auto check = [](const CPlaylist& list, const std::string& folder, const std::string& name,
                    const std::string& file) {
        return CheckCreationRequest(list, {folder, name, file});
    };
    // The first check that applies decides: an empty list wins over everything.
    EXPECT_EQ(check(empty, "", "", ""), kEmptyPlaylist);
    EXPECT_EQ(check(playlist, "", "a*b", existing), kNoSaveLocation);
    EXPECT_EQ(check(playlist, lists, "", existing), kNoName);
    EXPECT_EQ(check(playlist, lists, "a*b", lists + "/a*b.m3u"), kInvalidName);
    EXPECT_EQ(check(playlist, lists, "a/b", lists + "/a/b.m3u"), kInvalidName);
    // A missing folder is asked about, the file then is not.
    EXPECT_EQ(check(playlist, lists + "/new", "Party", existing), kCreateFolder);
    EXPECT_EQ(check(playlist, existing, "x", existing + "/x.m3u"), kCreateFolder);
    EXPECT_EQ(check(playlist, lists, "Party", existing), kOverwrite);
    EXPECT_EQ(check(playlist, temp.String(), "Lists", lists), kOverwrite);
    // A link to nothing replaces nothing; a full stop is fine; the root is a folder.
    EXPECT_EQ(check(playlist, lists, "Dangling", lists + "/Dangling.m3u"), kReady);
    EXPECT_EQ(check(playlist, lists, "Vol. 1", lists + "/Vol. 1.m3u"), kReady);
    EXPECT_EQ(check(playlist, "/", "Party", temp / "none.m3u"), kReady);
}

}  // namespace
