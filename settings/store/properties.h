#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "platform/registry/registry.h"
#include "settings/store/property_table.h"

// The settings store. Every persistent setting is a property named "prop_" + value name
// ("prop_TitleMask"); each read goes to the per-user store at once and falls back to the
// caller's default, each write goes there at once. Nothing is kept in memory.

// The stored integer, or defaultValue when the name is no property, the value is missing,
// has another type, or the store cannot be read.
int GetPropertyInt(const std::string& name, int defaultValue);
// Stores value; false (and nothing written) for a name that is no integer property.
bool SetPropertyInt(const std::string& name, int value);

// Adds each amount to its integer property, all in one write of the store made under its
// lock, so that two programs counting at the same time lose nothing. A missing, negative or
// non-integer stored value counts as 0; a sum stops at the largest int. False, and nothing
// written, when a name is no integer property or the store cannot be written.
bool AddToPropertyInts(std::initializer_list<std::pair<std::string_view, int>> amounts);

// One property and the value to store in it, for SetProperties.
class PropertySetting {
public:
    PropertySetting(const IntProperty& property, int value);
    PropertySetting(const TextProperty& property, std::string value);
    const PropertyDescriptor& Descriptor() const { return *m_property; }
    int Number() const { return m_number; }
    const std::string& Text() const { return m_text; }

private:
    const PropertyDescriptor* m_property;
    int m_number = 0;
    std::string m_text;
};

// Stores several properties in one write of the store: a crash, or another program
// reading at the same time, sees all of them or none. False, and nothing written, when
// the store cannot be written.
bool SetProperties(std::initializer_list<PropertySetting> settings);

// The stored text (UTF-8), or defaultValue under the same conditions as GetPropertyInt.
std::string GetPropertyString(const std::string& name, const std::string& defaultValue);
// Stores value; false (and nothing written) for a name that is no text property.
bool SetPropertyString(const std::string& name, const std::string& value);

// The same four, for a property of the table, read with the table's default.
int GetPropertyInt(const IntProperty& property);
bool SetPropertyInt(const IntProperty& property, int value);
std::string GetPropertyString(const TextProperty& property);
bool SetPropertyString(const TextProperty& property, const std::string& value);

// The language code, "EN" when none is stored.
std::string GetLanguageCode();
// Writes "EN" when english is true, else "DE".
void SetLanguageCode(bool english);
// False only when the language code is exactly "DE".
bool IsLanguageEnglish();

// "Software\Wendmark\Tracklace3" for kind 1, the profile name "Tracklace3" otherwise.
std::string GetRegistryRoot(int kind);
// The version 3.0.1.0: form 0 "3.0", form 1 "3.0.1", form 3 "3", any other "3.0.1.0".
std::string GetVersionText(int form);

// The operations on the store as a whole are each one write: a crash in the middle leaves
// the settings as they were before or as they are after, never half of it.

// Chooses "EN" or "DE" from "Installer Language", else from the user's locale, and stores it.
void ChooseInitialLanguage();
// ChooseInitialLanguage, then the default file type lists.
void InitializeFirstRun();
// Deletes the sections GeneralSettings, Playlist, FileTypes and MP3, chooses the language
// anew and writes the default file types.
void ResetSettings();

// What every program of the suite does first, before it looks up its first text: checks
// the settings file (one that cannot be used as it is, damaged or a Windows export, is
// kept aside now), and on the first run for this user does what InitializeFirstRun does
// and marks the first run done, in one write. What was found goes back to the caller, to
// tell the user.
platform::registry::HiveCheck StartSettings();
