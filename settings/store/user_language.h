#pragma once

#include <string_view>

// The user's default language as a Windows language identifier (1031 German, 2055 Swiss
// German, 1033 US English, ...), taken from the locale the way the C library chooses the
// language of messages: LC_ALL, then LC_MESSAGES, then LANG, the first that is set and not
// empty.

// The identifier of a locale name such as "de_CH.UTF-8" or "fr_FR@euro"; 0 for a locale
// without one ("C", "POSIX", an unknown language).
int LanguageIdFromLocale(std::string_view locale);

// LanguageIdFromLocale of the user's locale.
int GetUserDefaultLanguageId();

// Whether the identifier is one of the German ones (Germany, Switzerland, Austria,
// Luxembourg, Liechtenstein).
bool IsGermanLanguageId(int languageId);
