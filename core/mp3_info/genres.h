#pragma once

#include <string>

// The genre names of ID3v1 genre bytes 0 to 147: the original list (0 to 79) and its
// common extension (80 to 147), spelled as the players of the time spell them.
inline constexpr int kGenreCount = 148;

// The name of genre number index, or an empty text when index is outside 0..147.
std::string GetGenreName(int index);

// The genre of a file without an ID3v2 tag, from the text the old tag presents ("(17)",
// "(17)Rock", "Rock"): a text that starts with "(" and an integer of 0..147 is that
// genre's name, whatever follows the integer; any other text is kept as it is.
std::string ResolveBracketedGenre(const std::string& text);

// The genre of an ID3v2 frame whose text is a bare number ("17"): the name of 0..147;
// any other text is kept as it is.
std::string ResolveNumericGenre(const std::string& text);
