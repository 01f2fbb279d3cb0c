#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/formats/readers/playlist_reader.h"
#include "tests/support/temp_folder.h"

// A folder with a playlist folder "lists" and a music folder "music" beside it. Texts of a
// playlist may write the folder's absolute path as "{root}".
class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_temp.Path().empty());
        m_root = std::filesystem::canonical(m_temp.Path()).string();
        std::filesystem::create_directories(m_root + "/lists");
    }

    // root + "/" + relative.
    std::string At(const std::string& relative) const { return m_root + "/" + relative; }
    // A file below the root, made with its folders.
    std::string Touch(const std::string& relative) { return m_temp.File(relative, "x"); }

    std::string WithRoot(std::string text) const {
        for (std::size_t at; (at = text.find("{root}")) != std::string::npos;) {
            text.replace(at, 6, m_root);
        }
        return text;
    }
    // Writes the bytes as lists/<name> and reads them back.
    PlaylistReadResult Read(const std::string& name, const std::string& bytes) {
        const std::string path = m_temp.File("lists/" + name, WithRoot(bytes));
        return ReadPlaylistFile(path);
    }

    static std::vector<std::string> Paths(const PlaylistReadResult& result) {
        std::vector<std::string> paths;
        for (const PlaylistFileEntry& entry : result.entries) {
            paths.push_back(entry.path);
        }
        return paths;
    }
    // Each warning as "kind@line", to compare a whole list at once.
    static std::vector<std::string> Warnings(const PlaylistReadResult& result) {
        std::vector<std::string> out;
        for (const PlaylistReadWarning& warning : result.warnings) {
            out.push_back(std::to_string(static_cast<int>(warning.kind)) + "@" +
                          std::to_string(warning.line));
        }
        return out;
    }
    static std::string W(PlaylistReadWarningKind kind, int line) {
        return std::to_string(static_cast<int>(kind)) + "@" + std::to_string(line);
    }

    TempFolder m_temp{"tracklace-readers"};
    std::string m_root;
};
