#pragma once

#include <string>

// The texts of the current language. The table is loaded on the first lookup and stays
// until it is reloaded; texts are UTF-8.

// The text of key, or the key itself when the table has no text for it.
// With reload set, the table is read again first (for the language now stored).
std::string GetText(const std::string& key, bool reload = false);

// Reads the table again for the language now stored in "prop_Language".
void ReloadTexts();

// "Tracklace 3": the caption of every message box.
std::string GetMessageCaption();
