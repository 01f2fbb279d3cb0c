#pragma once

#include <string>
#include <string_view>

// The rules for the texts that go into a line of a playlist file: a CR or LF would end the
// line early and make the rest look like another entry to a player.

// Whether the text holds a CR or an LF.
bool HasLineBreak(std::string_view text);

// The text with each CR shown as "\r" and each LF as "\n", for naming a path on one line of
// a message.
std::string ShowLineBreaks(std::string_view text);

// Turns CR, LF and the other C0 control characters (0x00 to 0x1F) of a title into one blank
// each. Titles come from tags that anyone may have written; a path is never changed so,
// since it would then name another file.
void BlankControlCharacters(std::string& title);
