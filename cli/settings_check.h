#pragma once

#include <string>

// Prepares the settings as every start of the program does (StartSettings) and tells the
// user, in one line on stderr, what the start found wrong with the settings file. False
// when the file cannot be read at all, with the text that says so in unreadable: the
// command then ends with it, naming the file, rather than failing later over file types
// that only seem to be missing.
bool StartSettingsForCommandLine(const char* program, std::string* unreadable);
