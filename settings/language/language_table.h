#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

// A language table in memory: key to text, both UTF-8, keys compared exactly.
using LanguageTable = std::unordered_map<std::string, std::string>;

// Reads the bytes of a language table (Windows-1252, a key line and a value line per text,
// every line ended by CR LF). In a value the two characters "\n" become a line break; nothing
// else is touched. A key that occurs twice keeps its later text. A last line that lacks its
// CR LF is not read: its bytes are taken up in pairs as empty lines, so a value without its
// final CR LF is lost and its key looks up as itself.
LanguageTable ParseLanguageTable(std::string_view bytes);
