#pragma once

#include <string>

// The genre names of ID3v1 genre bytes 0 to 147: the original list (0 to 79) and its
// common extension (80 to 147), spelled as the players of the time spell them.
inline constexpr int kGenreCount = 148;

// The name of genre number index, or an empty text when index is outside 0..147.
std::string GetGenreName(int index);
