#include "settings/store/properties.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/registry/registry.h"
#include "settings/store/hive_properties.h"
#include "settings/store/property_table.h"

namespace registry = platform::registry;

namespace {

constexpr std::string_view kProfileName = "Tracklace3";

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

// The value of a property; opening its section creates it, as the store always did, so
// that the application key exists after the first read.
std::optional<registry::Value> ReadProperty(const Property& property) {
    return registry::QueryValue(store::SectionPath(property.section), property.valueName, true);
}

}  // namespace

int GetPropertyInt(const std::string& name, int defaultValue) {
    const Property* property = FindProperty(name, PropertyType::kInteger);
    if (property == nullptr) {
        return defaultValue;
    }
    const auto value = ReadProperty(*property);
    return store::StoredInt(value ? &*value : nullptr).value_or(defaultValue);
}

bool SetPropertyInt(const std::string& name, int value) {
    const Property* property = FindProperty(name, PropertyType::kInteger);
    return property != nullptr &&
           registry::SetValue(store::SectionPath(property->section), property->valueName,
                              registry::Value::Dword(static_cast<std::uint32_t>(value)));
}

bool AddToPropertyInts(std::initializer_list<std::pair<std::string_view, int>> amounts) {
    std::vector<std::pair<const Property*, int>> additions;
    for (const auto& [name, amount] : amounts) {
        const Property* property = FindProperty(name, PropertyType::kInteger);
        if (property == nullptr) {
            return false;
        }
        additions.emplace_back(property, amount);
    }
    return registry::Update([&additions](registry::Key& root) {
        for (const auto& [property, amount] : additions) {
            const int stored = store::StoredInt(store::StoredValue(root, *property)).value_or(0);
            const std::int64_t sum =
                std::max<std::int64_t>(stored, 0) + static_cast<std::int64_t>(amount);
            const std::int64_t clamped = std::clamp<std::int64_t>(sum, 0, INT_MAX);
            store::SetPropertyIn(root, *property,
                                 registry::Value::Dword(static_cast<std::uint32_t>(clamped)));
        }
        return true;
    });
}

PropertySetting::PropertySetting(const IntProperty& property, int value)
    : m_property(&property.descriptor), m_number(value) {}

PropertySetting::PropertySetting(const TextProperty& property, std::string value)
    : m_property(&property.descriptor), m_text(std::move(value)) {}

bool SetProperties(std::initializer_list<PropertySetting> settings) {
    return registry::Update([&settings](registry::Key& root) {
        for (const PropertySetting& setting : settings) {
            const Property& property = setting.Descriptor();
            store::SetPropertyIn(
                root, property,
                property.type == PropertyType::kInteger
                    ? registry::Value::Dword(static_cast<std::uint32_t>(setting.Number()))
                    : registry::Value::Text(setting.Text()));
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
           registry::SetValue(store::SectionPath(property->section), property->valueName,
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
    return std::string(kind == 1 ? store::kApplicationKey : kProfileName);
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
