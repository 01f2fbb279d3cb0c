#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/mp3/mp3_gen.h"

// A temporary folder for generated files, removed after each test.
class Mp3FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tracklace_mp3_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::string Write(const std::string& name, const mp3gen::Bytes& bytes) {
        const std::string path = m_folder + "/" + name;
        EXPECT_TRUE(mp3gen::WriteFile(path, bytes));
        return path;
    }
    const std::string& Folder() const { return m_folder; }

private:
    std::string m_folder;
};
