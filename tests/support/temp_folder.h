#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

// A folder of its own below the temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tracklace-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

    // Writes a small file (parents made as needed) and returns its path.
    std::string File(const std::string& name, const std::string& content = "x") const {
        const auto path = m_path / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }
    std::string Folder(const std::string& name) const {
        std::filesystem::create_directories(m_path / name);
        return (m_path / name).string();
    }

private:
    std::filesystem::path m_path;
};
