#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/mp3/mp3_gen.h"
#include "tests/support/temp_folder.h"

// A temporary folder for generated files, removed after each test.
class Mp3FilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(m_temp.Path().empty()); }

    std::string Write(const std::string& name, const mp3gen::Bytes& bytes) {
        const std::string path = m_folder + "/" + name;
        EXPECT_TRUE(mp3gen::WriteFile(path, bytes));
        return path;
    }
    const std::string& Folder() const { return m_folder; }

private:
    TempFolder m_temp{"tracklace-mp3"};
    std::string m_folder = m_temp.String();
};
