#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/hive.h"
#include "settings/store/property_table.h"

// Properties in a hive held in memory, for the operations of the store that change several
// values in one write (platform::registry::Update): a reset, the first run, a batch of
// settings. One write is one rename of the file, so such an operation is seen, and left by
// a crash, either whole or not at all.
namespace store {

// "Software\Wendmark\Tracklace3", the application key below the hive.
inline constexpr std::string_view kApplicationKey = "Software\\Wendmark\\Tracklace3";

// The key path of a section; the empty section is the application key itself.
std::string SectionPath(std::string_view section);

// The key of a section, made when missing.
platform::registry::Key& SectionKey(platform::registry::Key& root, std::string_view section);

// The stored value of a property, or nullptr.
const platform::registry::Value* StoredValue(const platform::registry::Key& root,
                                             const PropertyDescriptor& property);

// An integer as the store keeps it (a REG_DWORD, signed), or nullopt for another value.
std::optional<int> StoredInt(const platform::registry::Value* value);

void SetPropertyIn(platform::registry::Key& root, const PropertyDescriptor& property,
                   platform::registry::Value value);

// Chooses the language from "Installer Language", else from the user's locale, and stores
// its code.
void ChooseInitialLanguageIn(platform::registry::Key& root);

// The default file types: every active one with "1", then every inactive one with "0".
void WriteDefaultFileTypesIn(platform::registry::Key& root);

}  // namespace store
