#include "core/mp3_info/title_mask.h"

#include <array>

namespace {

// Replaces every occurrence of variable in text by value, continuing after each inserted
// value so that the value is never searched for the same variable.
void ReplaceVariable(std::string& text, const std::string& variable, const std::string& value) {
    std::string::size_type position = 0;
    while ((position = text.find(variable, position)) != std::string::npos) {
        text.replace(position, variable.size(), value);
        position += value.size();
    }
}

}  // namespace

std::string ExpandTitleMask(const std::string& mask, const std::string& artist,
                            const std::string& title, const std::string& album,
                            const std::string& year, const std::string& genre,
                            const std::string& track) {
    // UTF-8 never puts a '%' byte inside a multi-byte character, so a byte search cannot
    // match half a character.
    const std::array<const std::string*, 6> values = {&artist, &title, &album,
                                                      &year,   &genre, &track};
    std::string text = mask;
    for (std::size_t i = 0; i < values.size(); ++i) {
        ReplaceVariable(text, "%" + std::to_string(i + 1), *values[i]);
    }
    return text;
}
