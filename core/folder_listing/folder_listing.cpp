#include "core/folder_listing/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "platform/code_page/code_page.h"
#include "platform/path_style/path_style.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Compares two texts already folded to lower case, digit runs by value.
int CompareFolded(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            size_t startA = i;
            size_t startB = j;
            while (startA < a.size() && a[startA] == '0') {
                ++startA;
            }
            while (startB < b.size() && b[startB] == '0') {
                ++startB;
            }
            size_t endA = startA;
            size_t endB = startB;
            while (endA < a.size() && IsDigit(a[endA])) {
                ++endA;
            }
            while (endB < b.size() && IsDigit(b[endB])) {
                ++endB;
            }
            // The longer run without leading zeros is the larger number.
            if (endA - startA != endB - startB) {
                return endA - startA < endB - startB ? -1 : 1;
            }
            const int digits =
                a.substr(startA, endA - startA).compare(b.substr(startB, endB - startB));
            if (digits != 0) {
                return digits < 0 ? -1 : 1;
            }
            i = endA;
            j = endB;
            continue;
        }
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
        ++i;
        ++j;
    }
    if (i < a.size()) {
        return 1;
    }
    if (j < b.size()) {
        return -1;
    }
    return 0;
}

}  // namespace

int CompareFileNames(std::string_view a, std::string_view b) {
    const int folded = CompareFolded(platform::Utf8ToLower(a), platform::Utf8ToLower(b));
    if (folded != 0) {
        return folded;
    }
    const int exact = a.compare(b);
    return exact < 0 ? -1 : (exact > 0 ? 1 : 0);
}

bool ListFolderFiles(const std::string& folder, std::vector<std::string>& list) {
    list.clear();
    DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
    if (directory == nullptr) {
        return false;
    }
    const int directoryFd = dirfd(directory);
    // Sorting compares folded keys made once per name, not once per comparison.
    std::vector<std::pair<std::string, std::string>> names;
    while (const dirent* entry = readdir(directory)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        bool isFile = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat status {};
            isFile =
                fstatat(directoryFd, entry->d_name, &status, 0) == 0 && !S_ISDIR(status.st_mode);
        } else if (entry->d_type == DT_DIR) {
            isFile = false;
        } else {
            // Devices, pipes and sockets are not directories either; like any other
            // non-directory they are listed and the file type rules decide about them.
            isFile = true;
        }
        if (isFile) {
            names.emplace_back(platform::Utf8ToLower(name), std::string(name));
        }
    }
    closedir(directory);
    std::sort(names.begin(), names.end(), [](const auto& left, const auto& right) {
        const int folded = CompareFolded(left.first, right.first);
        return folded != 0 ? folded < 0 : left.second < right.second;
    });
    const std::string prefix = AddSeparator(folder);
    list.reserve(names.size());
    for (const auto& [key, name] : names) {
        list.push_back(prefix + name);
    }
    return !list.empty();
}

bool ExpandFolder(const std::string& folder, const FileTypeList& activeTypes,
                  std::vector<std::string>& list) {
    ListFolderFiles(folder, list);
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&activeTypes](const std::string& path) {
                                  return !IsActiveFileType(GetFileExtension(path), activeTypes);
                              }),
               list.end());
    return !list.empty();
}
