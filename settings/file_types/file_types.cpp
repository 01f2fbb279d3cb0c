#include "settings/file_types/file_types.h"

#include "platform/code_page/code_page.h"
#include "platform/registry/registry.h"
#include "settings/language/language.h"
#include "settings/store/properties.h"

namespace registry = platform::registry;

namespace {

// Longest value name the list reads; a longer one ends the list, as a name buffer of 256
// characters always did.
constexpr std::size_t kMaxNameCharacters = 255;

std::string FileTypesPath() {
    return GetRegistryRoot(1) + "\\FileTypes";
}

std::size_t CharacterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (char c : utf8) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    return count;
}

// Fills the lists that are given (either may be null) in store order.
void LoadLists(FileTypeList* active, FileTypeList* inactive) {
    const auto values = registry::EnumValues(FileTypesPath());
    if (!values) {
        return;
    }
    for (const registry::NamedValue& named : *values) {
        if (CharacterCount(named.name) > kMaxNameCharacters) {
            break;
        }
        std::string data;
        if (auto text = named.value.AsText(); text && CharacterCount(*text) <= kMaxNameCharacters) {
            data = std::move(*text);
        }
        if (data == "1" && active != nullptr) {
            active->push_back(named.name);
        } else if (data == "0" && inactive != nullptr) {
            inactive->push_back(named.name);
        }
    }
}

}  // namespace

void LoadActiveFileTypes(FileTypeList& list) {
    list.clear();
    LoadLists(&list, nullptr);
}

void LoadFileTypeLists(FileTypeList& active, FileTypeList& inactive) {
    active.clear();
    inactive.clear();
    LoadLists(&active, &inactive);
}

void SaveFileTypeLists(const FileTypeList& active, const FileTypeList& inactive) {
    const auto names = registry::SplitKeyPath(FileTypesPath());
    // Deleting the key and writing it anew is one write, so the lists are never seen (or
    // left by a crash) half saved. Values under other names, and data other than "1" and
    // "0", go with the old key.
    registry::Update([&](registry::Key& root) {
        registry::DeleteKey(root, *names);
        registry::Key& key = registry::CreateKey(root, *names);
        const auto write = [&key](const FileTypeList& list, std::string_view data) {
            for (const std::string& type : list) {
                // A name the store cannot hold is skipped; the others are still written.
                if (!type.empty() && registry::IsValidValueName(type)) {
                    key.SetValue(type, registry::Value::Text(data));
                }
            }
        };
        write(active, "1");
        write(inactive, "0");
        return true;
    });
}

std::string GetFileExtension(const std::string& path, PathStyle style) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos) {
        return "";
    }
    for (std::size_t i = dot + 1; i < path.size(); ++i) {
        if (IsSeparator(path[i], style)) {
            return "";  // the dot belongs to a folder name
        }
    }
    return path.substr(dot + 1);
}

bool IsActiveFileType(const std::string& extension, const FileTypeList& activeList) {
    const std::string lower = platform::Utf8ToLower(extension);
    for (const std::string& type : activeList) {
        if (platform::Utf8ToLower(type) == lower) {
            return true;
        }
    }
    return false;
}

FileDialogFilter BuildFileDialogFilter(const FileTypeList& activeList,
                                       const std::string& previousFilter) {
    FileDialogFilter filter;
    const std::string files = GetText("IDS_TL_FILES");
    for (std::size_t i = 0; i < activeList.size(); ++i) {
        const std::string& type = activeList[i];
        const std::string lower = platform::Utf8ToLower(type);
        filter.text +=
            platform::Utf8ToUpper(type) + " " + files + " (*." + lower + ")|*." + lower + "|";
        if (type == previousFilter) {
            filter.selectedIndex = static_cast<int>(i) + 1;
        }
    }
    filter.text += GetText("IDS_TL_ALL_FILES") + " (*.*)|*.*|";
    filter.text += "|";
    if (previousFilter == "*.*") {
        filter.selectedIndex = static_cast<int>(activeList.size()) + 1;
    }
    return filter;
}

std::string PreviousFilterFor(const FileTypeList& activeList, int chosenIndex) {
    if (chosenIndex > static_cast<int>(activeList.size())) {
        return "*.*";
    }
    if (chosenIndex < 1) {
        return "";  // no filter chosen: the first one is selected next time
    }
    return activeList[static_cast<std::size_t>(chosenIndex) - 1];
}
