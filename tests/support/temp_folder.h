#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

// A folder of its own below the temporary folder (TMPDIR, else /tmp), removed with
// everything in it, also where a test took away the owner's rights to a folder.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "tracklace-test") {
        std::error_code error;
        const auto base = std::filesystem::temp_directory_path(error);
        std::string pattern = ((error ? "/tmp" : base) / (prefix + "-XXXXXX")).string();
        if (mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        }
    }
    ~TempFolder() {
        if (m_path.empty()) {
            return;
        }
        std::error_code ignored;
        namespace fs = std::filesystem;
        fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ignored);
        for (auto it = fs::recursive_directory_iterator(m_path, ignored);
             it != fs::recursive_directory_iterator(); it.increment(ignored)) {
            if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
            }
        }
        fs::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Empty when no folder could be made.
    const std::filesystem::path& Path() const { return m_path; }
    std::string String() const { return m_path.string(); }
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
