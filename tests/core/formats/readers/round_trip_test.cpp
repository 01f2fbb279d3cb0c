#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/formats/readers/playlist_reader.h"
#include "tests/support/run_creation_job.h"
#include "tests/support/temp_folder.h"

// What the program writes, it reads back: for every format and path mode, a playlist made
// by the creation job (with the options the command line passes it) gives, read again, the
// same paths in the same order. The names are drawn at random from what makes paths hard:
// non-ASCII letters, blanks (also at the ends), "#", "%", "=", quotes, backslashes, leading
// dots; the files lie in the playlist's folder, below it, above it and in sibling trees, so
// that relative paths climb long ".." chains.
namespace {

namespace fs = std::filesystem;

class NameMaker {
public:
    explicit NameMaker(std::uint32_t seed) : m_random(seed) {}

    std::string Name() {
        static const char* const kPieces[] = {
            "a", "Z", "7", " ", "#",    "%", "%20", "%2F", "=",  "\"", "'", "\\", ";", "&", "?",
            "[", "]", "ä", "ß", "日本", "€", "😀",   ".",   "..", "-",  "_", "~",  "+", ",", "!"};
        std::string name;
        while (name.empty() || name == "." || name == "..") {
            name.clear();
            const int pieces = 1 + Below(8);
            for (int i = 0; i < pieces; ++i) {
                name += kPieces[Below(sizeof kPieces / sizeof kPieces[0])];
            }
            // Names often have an extension; some also a leading dot.
            if (Below(3) != 0) {
                name += Below(2) == 0 ? ".mp3" : ".ogg";
            }
            if (Below(6) == 0) {
                name = "." + name;
            }
        }
        return name;
    }
    int Below(int n) { return static_cast<int>(m_random() % static_cast<std::uint32_t>(n)); }

private:
    std::mt19937 m_random;
};

class RoundTripTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_hive.Path().empty());
        setenv("XDG_CONFIG_HOME", m_hive.Path().c_str(), 1);
    }
    void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }

    // One tree of folders and files below a fresh root, and the playlist folder in it.
    struct Tree {
        std::string playlistFolder;
        std::vector<std::string> files;
    };
    Tree MakeTree(const std::string& root, NameMaker& names) {
        Tree tree;
        // The playlist several levels down, so that entries elsewhere climb.
        std::string folder = root;
        const int depth = 1 + names.Below(4);
        std::vector<std::string> chain{root};
        for (int i = 0; i < depth; ++i) {
            folder += "/" + names.Name();
            chain.push_back(folder);
        }
        tree.playlistFolder = folder;
        fs::create_directories(folder);
        // Folders for the files: the playlist's own, every folder above it, a child of it,
        // and sibling trees beside any of them.
        std::vector<std::string> folders = chain;
        folders.push_back(folder + "/" + names.Name());
        for (int i = 0; i < 3; ++i) {
            std::string sibling = chain[static_cast<std::size_t>(names.Below(depth + 1))];
            for (int level = names.Below(3); level >= 0; --level) {
                sibling += "/" + names.Name();
            }
            folders.push_back(sibling);
        }
        const int count = 4 + names.Below(10);
        for (int i = 0; i < count; ++i) {
            const std::string& in =
                folders[static_cast<std::size_t>(names.Below(static_cast<int>(folders.size())))];
            const std::string path = in + "/" + names.Name();
            std::error_code error;
            fs::create_directories(in, error);
            // A name already taken by a folder cannot be a file as well.
            if (error || fs::is_directory(path)) {
                continue;
            }
            std::ofstream(path) << "x";
            if (fs::is_regular_file(path)) {
                tree.files.push_back(path);
            }
        }
        return tree;
    }

    // Writes the files as the command line does and returns the playlist's path.
    std::string Write(const Tree& tree, const char* extension, bool relative) {
        CPlaylist playlist;
        for (const std::string& file : tree.files) {
            auto* entry = new CPlaylistElement;
            entry->SetPath(file);
            EXPECT_GT(playlist.AddTail(entry), 0);
        }
        playlist.SetFolder(tree.playlistFolder);
        playlist.SetName("list");
        playlist.SetTypeFromExtension(extension);
        CCreationJob::Overrides overrides;
        overrides.relative = relative;
        overrides.readTags = false;
        std::string error;
        EXPECT_EQ(RunCreationJob(playlist, overrides, &error), CCreationJob::kContinue) << error;
        return playlist.GetFilePath();
    }

    TempFolder m_hive{"tracklace-round-trip-config"};
};

TEST_F(RoundTripTest, WhatIsWrittenReadsBackAsTheSamePathsInTheSameOrder) {
    std::size_t entries = 0;
    std::size_t climbing = 0;
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        TempFolder temp("tracklace-round-trip");
        const std::string root = fs::canonical(temp.Path()).string();
        NameMaker names(seed);
        const Tree tree = MakeTree(root, names);
        if (tree.files.empty()) {
            continue;
        }
        for (const char* extension : {".m3u", ".pls"}) {
            for (const bool relative : {true, false}) {
                SCOPED_TRACE(testing::Message() << "seed " << seed << ", " << extension
                                                << (relative ? " relative" : " absolute"));
                const std::string path = Write(tree, extension, relative);
                const PlaylistReadResult result = ReadPlaylistFile(path);
                ASSERT_TRUE(result.Ok()) << static_cast<int>(result.error);
                std::vector<std::string> read;
                for (const PlaylistFileEntry& entry : result.entries) {
                    read.push_back(entry.path);
                    EXPECT_TRUE(entry.exists) << entry.path;
                }
                ASSERT_EQ(read, tree.files);
                EXPECT_TRUE(result.warnings.empty());
                entries += read.size();
                if (relative && extension == std::string(".m3u")) {
                    // The relative form really was written, not the absolute fallback.
                    std::ifstream in(path);
                    std::string line;
                    while (std::getline(in, line)) {
                        climbing += line.rfind("../", 0) == 0 ? 1 : 0;
                        EXPECT_NE(line.front(), '/') << line;
                    }
                }
            }
        }
    }
    // The random trees must have given the property something to bite on.
    EXPECT_GT(entries, 600u);
    EXPECT_GT(climbing, 50u);
}

}  // namespace
