#include "settings/store/hive_properties.h"

#include <cstdint>

#include "settings/store/user_language.h"

namespace registry = platform::registry;

namespace store {
namespace {

// "Installer Language" counts only as a terminated text of at most 255 characters.
std::string InstallerLanguage(const registry::Key& root) {
    const registry::Key* application =
        registry::FindKey(root, *registry::SplitKeyPath(kApplicationKey));
    const registry::NamedValue* named =
        application != nullptr ? application->FindValue("Installer Language") : nullptr;
    if (named == nullptr || !named->value.IsText() || !named->value.HasTerminatingNul()) {
        return "";
    }
    std::string text = *named->value.AsText();
    return text.size() <= 255 ? text : "";
}

}  // namespace

std::string SectionPath(std::string_view section) {
    std::string path(kApplicationKey);
    if (!section.empty()) {
        path += '\\';
        path += section;
    }
    return path;
}

registry::Key& SectionKey(registry::Key& root, std::string_view section) {
    return registry::CreateKey(root, *registry::SplitKeyPath(SectionPath(section)));
}

const registry::Value* StoredValue(const registry::Key& root, const PropertyDescriptor& property) {
    const registry::Key* key =
        registry::FindKey(root, *registry::SplitKeyPath(SectionPath(property.section)));
    const registry::NamedValue* named =
        key != nullptr ? key->FindValue(property.valueName) : nullptr;
    return named != nullptr ? &named->value : nullptr;
}

std::optional<int> StoredInt(const registry::Value* value) {
    const auto number = value != nullptr ? value->AsDword() : std::nullopt;
    if (!number) {
        return std::nullopt;
    }
    return static_cast<int>(static_cast<std::int32_t>(*number));
}

void SetPropertyIn(registry::Key& root, const PropertyDescriptor& property, registry::Value value) {
    SectionKey(root, property.section).SetValue(property.valueName, std::move(value));
}

void ChooseInitialLanguageIn(registry::Key& root) {
    const std::string installer = InstallerLanguage(root);
    bool german;
    if (installer == "1031") {
        german = true;
    } else if (installer == "1033") {
        german = false;
    } else {
        german = IsGermanLanguageId(GetUserDefaultLanguageId());
    }
    SetPropertyIn(root, property::kLanguage.descriptor,
                  registry::Value::Text(german ? "DE" : "EN"));
}

}  // namespace store
