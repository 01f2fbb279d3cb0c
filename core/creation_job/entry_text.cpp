#include "core/creation_job/entry_text.h"

#include <cstdint>
#include <cstring>

bool HasLineBreak(std::string_view text) {
    // Eight bytes at a time: this runs for the name and extension of every entry, and most
    // are shorter than a call of memchr is worth.
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    // A word has a zero byte exactly when (w - ones) & ~w & highs is non-zero.
    auto hasByte = [](std::uint64_t word, unsigned char byte) {
        const std::uint64_t x = word ^ (kOnes * byte);
        return ((x - kOnes) & ~x & kHighs) != 0;
    };
    const char* data = text.data();
    std::size_t left = text.size();
    for (; left >= 8; data += 8, left -= 8) {
        std::uint64_t word;
        std::memcpy(&word, data, 8);
        if (hasByte(word, '\n') || hasByte(word, '\r')) {
            return true;
        }
    }
    for (; left > 0; ++data, --left) {
        if (*data == '\n' || *data == '\r') {
            return true;
        }
    }
    return false;
}

std::string ShowLineBreaks(std::string_view text) {
    std::string shown;
    shown.reserve(text.size() + 2);
    for (const char c : text) {
        if (c == '\n') {
            shown += "\\n";
        } else if (c == '\r') {
            shown += "\\r";
        } else {
            shown += c;
        }
    }
    return shown;
}

void BlankControlCharacters(std::string& title) {
    for (char& c : title) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = ' ';
        }
    }
}
