#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The pieces of the export syntax that the hive parser reads: blanks, quoted strings with
// their two escapes, hex numbers and byte lists, the code page of a file's texts, and
// names compared without regard to ASCII letter case. The small ones are inline: the
// parser calls them for every line of a file.
namespace platform::registry::syntax {

inline bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

inline std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    return s;
}

inline std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

inline std::string_view Trim(std::string_view s) {
    return TrimRight(TrimLeft(s));
}

inline char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether a and b are the same name apart from the case of ASCII letters; quick for the
// common case of the same spelling.
inline bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

bool StartsWithIgnoringCase(std::string_view s, std::string_view prefix);

// A number of 1 to 8 hex digits, the whole of s.
std::optional<std::uint32_t> ParseHexNumber(std::string_view s);

// Reads the quoted string that starts at s[pos] (a '"'), with the export syntax's two
// escapes \\ and \". pos ends behind the closing quote.
std::optional<std::string> ParseQuoted(std::string_view s, std::size_t& pos);

// Comma-separated bytes of one or two hex digits each; an empty list is no bytes.
std::optional<std::string> ParseHexBytes(std::string_view list);

// Texts from the file are UTF-8 as this program writes them; anything else comes from a
// Windows export and is Windows-1252.
std::string FromFileText(std::string s);

// Hash and equality of names without regard to ASCII letter case, for indexes of names.
struct NameHash {
    std::size_t operator()(std::string_view s, std::size_t seed = 14695981039346656037ull) const {
        std::size_t hash = seed;  // FNV-1a over the lower-case bytes
        for (char c : s) {
            hash = (hash ^ static_cast<unsigned char>(AsciiLower(c))) * 1099511628211ull;
        }
        return hash;
    }
};

struct NameEqual {
    bool operator()(std::string_view a, std::string_view b) const { return SameName(a, b); }
};

}  // namespace platform::registry::syntax
