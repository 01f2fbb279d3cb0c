#include "settings/store/properties.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/registry/registry.h"
#include "settings/file_types/file_types.h"
#include "settings/store/property_table.h"
#include "settings/store/user_language.h"

namespace registry = platform::registry;

namespace {

constexpr std::string_view kApplicationKey = "Software\\Wendmark\\Tracklace3";
constexpr std::string_view kProfileName = "Tracklace3";

// The sections that a reset deletes, in this order; the values directly in the application
// key and the usage counters of "Donations" stay.
constexpr std::string_view kResetSections[] = {"GeneralSettings", "Playlist", "FileTypes", "MP3"};

using Property = PropertyDescriptor;

// Names are compared exactly: they are constants of the program, not user input.
const Property* FindProperty(std::string_view name, PropertyType type) {
    for (const Property* property : property::kAll) {
        if (property->name == name) {
            return property->type == type ? property : nullptr;
        }
    }
    return nullptr;
}

std::string SectionPath(std::string_view section) {
    std::string path(kApplicationKey);
    if (!section.empty()) {
        path += '\\';
        path += section;
    }
    return path;
}

// The value of a property; opening its section creates it, as the store always did, so
// that the application key exists after the first read.
std::optional<registry::Value> ReadProperty(const Property& property) {
    return registry::QueryValue(SectionPath(property.section), property.valueName, true);
}

}  // namespace

int GetPropertyInt(const std::string& name, int defaultValue) {
    const Property* property = FindProperty(name, PropertyType::kInteger);
    if (property == nullptr) {
        return defaultValue;
    }
    const auto value = ReadProperty(*property);
    const auto number = value ? value->AsDword() : std::nullopt;
    return number ? static_cast<int>(static_cast<std::int32_t>(*number)) : defaultValue;
}

bool SetPropertyInt(const std::string& name, int value) {
    const Property* property = FindProperty(name, PropertyType::kInteger);
    return property != nullptr &&
           registry::SetValue(SectionPath(property->section), property->valueName,
                              registry::Value::Dword(static_cast<std::uint32_t>(value)));
}

bool AddToPropertyInts(std::initializer_list<std::pair<std::string_view, int>> amounts) {
    struct Addition {
        const Property* property;
        std::vector<std::string> keyNames;
        int amount;
    };
    std::vector<Addition> additions;
    for (const auto& [name, amount] : amounts) {
        const Property* property = FindProperty(name, PropertyType::kInteger);
        auto keyNames =
            property ? registry::SplitKeyPath(SectionPath(property->section)) : std::nullopt;
        if (!keyNames) {
            return false;
        }
        additions.push_back({property, std::move(*keyNames), amount});
    }
    return registry::Update([&additions](registry::Key& root) {
        for (const Addition& addition : additions) {
            registry::Key& key = registry::CreateKey(root, addition.keyNames);
            const registry::NamedValue* stored = key.FindValue(addition.property->valueName);
            const auto number = stored ? stored->value.AsDword() : std::nullopt;
            const auto value = number ? static_cast<std::int32_t>(*number) : 0;
            const std::int64_t sum =
                std::max<std::int64_t>(value, 0) + static_cast<std::int64_t>(addition.amount);
            const std::int64_t clamped = std::clamp<std::int64_t>(sum, 0, INT_MAX);
            key.SetValue(addition.property->valueName,
                         registry::Value::Dword(static_cast<std::uint32_t>(clamped)));
        }
        return true;
    });
}

std::string GetPropertyString(const std::string& name, const std::string& defaultValue) {
    const Property* property = FindProperty(name, PropertyType::kText);
    if (property == nullptr) {
        return defaultValue;
    }
    // Only a plain text counts: an expandable text or a number in a text property reads as
    // the default, and the next write of the property replaces it.
    const auto value = ReadProperty(*property);
    if (!value || value->type != registry::kTypeSz) {
        return defaultValue;
    }
    return *value->AsText();
}

bool SetPropertyString(const std::string& name, const std::string& value) {
    const Property* property = FindProperty(name, PropertyType::kText);
    return property != nullptr &&
           registry::SetValue(SectionPath(property->section), property->valueName,
                              registry::Value::Text(value));
}

int GetPropertyInt(const IntProperty& property) {
    return GetPropertyInt(std::string(property.Name()), property.Default());
}

bool SetPropertyInt(const IntProperty& property, int value) {
    return SetPropertyInt(std::string(property.Name()), value);
}

std::string GetPropertyString(const TextProperty& property) {
    return GetPropertyString(std::string(property.Name()), std::string(property.Default()));
}

bool SetPropertyString(const TextProperty& property, const std::string& value) {
    return SetPropertyString(std::string(property.Name()), value);
}

std::string GetLanguageCode() {
    return GetPropertyString(property::kLanguage);
}

void SetLanguageCode(bool english) {
    SetPropertyString(property::kLanguage, english ? "EN" : "DE");
}

bool IsLanguageEnglish() {
    return GetLanguageCode() != "DE";
}

std::string GetRegistryRoot(int kind) {
    return std::string(kind == 1 ? kApplicationKey : kProfileName);
}

std::string GetVersionText(int form) {
    switch (form) {
        case 0:
            return "3.0";
        case 1:
            return "3.0.1";
        case 3:
            return "3";
        default:
            return "3.0.1.0";
    }
}

namespace {

// "Installer Language" counts only as a terminated text of at most 255 characters.
std::string GetInstallerLanguage() {
    const auto value = registry::QueryValue(kApplicationKey, "Installer Language");
    if (!value || !value->IsText() || !value->HasTerminatingNul()) {
        return "";
    }
    std::string text = *value->AsText();
    return text.size() <= 255 ? text : "";
}

}  // namespace

void ChooseInitialLanguage() {
    const std::string installer = GetInstallerLanguage();
    bool german;
    if (installer == "1031") {
        german = true;
    } else if (installer == "1033") {
        german = false;
    } else {
        german = IsGermanLanguageId(GetUserDefaultLanguageId());
    }
    SetLanguageCode(!german);
}

void InitializeFirstRun() {
    ChooseInitialLanguage();
    WriteDefaultFileTypes();
}

void ResetSettings() {
    // One write for all four sections, so that a crash cannot leave half a reset.
    registry::Update([](registry::Key& root) {
        const auto application = registry::SplitKeyPath(kApplicationKey);
        if (registry::Key* key = registry::FindKey(root, *application)) {
            for (std::string_view section : kResetSections) {
                key->RemoveSubkey(section);
            }
        }
        return true;
    });
    ChooseInitialLanguage();
    WriteDefaultFileTypes();
}
