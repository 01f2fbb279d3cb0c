#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/formats/file_replacement.h"

// The names in a folder that replacements give their temporary files, in no order.
inline std::vector<std::string> TemporaryFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = item.path().filename().string();
        if (CFileReplacement::IsTemporaryName(name)) {
            names.push_back(name);
        }
    }
    return names;
}
