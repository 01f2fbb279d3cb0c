#pragma once

#include <string>

// Fills the title mask variables "%1" to "%6" with artist, title, album, year, genre and
// track, in that order. Every occurrence of a variable is replaced, left to right, in the
// text as the earlier steps left it: a value inserted for "%1" that itself holds "%2" gets
// the title there, but a value is never searched again for its own variable. There is no
// escape ("%%1" is a percent sign and the artist) and nothing is trimmed; an empty text
// stands for an absent value.
std::string ExpandTitleMask(const std::string& mask, const std::string& artist,
                            const std::string& title, const std::string& album,
                            const std::string& year, const std::string& genre,
                            const std::string& track);
