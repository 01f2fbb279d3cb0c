#include "platform/registry/hive_syntax.h"

#include "platform/code_page/code_page.h"

namespace platform::registry::syntax {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

bool StartsWithIgnoringCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsIgnoringAsciiCase(s.substr(0, prefix.size()), prefix);
}

std::optional<std::uint32_t> ParseHexNumber(std::string_view s) {
    if (s.empty() || s.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t number = 0;
    for (char c : s) {
        const int digit = HexDigit(c);
        if (digit < 0) {
            return std::nullopt;
        }
        number = number * 16 + static_cast<std::uint32_t>(digit);
    }
    return number;
}

std::optional<std::string> ParseQuoted(std::string_view s, std::size_t& pos) {
    if (pos >= s.size() || s[pos] != '"') {
        return std::nullopt;
    }
    std::string out;
    ++pos;
    while (true) {
        // Copy the plain run up to the next quote or backslash in one go (found by hand:
        // find_first_of searches its set once for every byte).
        std::size_t special = pos;
        while (special < s.size() && s[special] != '"' && s[special] != '\\') {
            ++special;
        }
        if (special == s.size()) {
            return std::nullopt;
        }
        out.append(s.data() + pos, special - pos);
        pos = special;
        if (s[pos] == '"') {
            ++pos;
            return out;
        }
        if (pos + 1 >= s.size()) {
            return std::nullopt;
        }
        const char next = s[pos + 1];
        if (next == '\\' || next == '"') {
            out += next;
            pos += 2;
        } else {
            // Any other backslash is an ordinary character, as the registry editor reads it.
            out += '\\';
            ++pos;
        }
    }
}

std::optional<std::string> ParseHexBytes(std::string_view list) {
    std::string out;
    list = Trim(list);
    if (list.empty()) {
        return out;
    }
    out.reserve(list.size() / 3 + 1);
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view token = Trim(list.substr(0, comma));
        if (token.empty() || token.size() > 2) {
            return std::nullopt;
        }
        const auto number = ParseHexNumber(token);
        if (!number) {
            return std::nullopt;
        }
        out += static_cast<char>(*number);
        if (comma == std::string_view::npos) {
            return out;
        }
        list.remove_prefix(comma + 1);
    }
}

std::string FromFileText(std::string s) {
    return IsWellFormedUtf8(s) ? std::move(s) : Windows1252ToUtf8(s);
}

}  // namespace platform::registry::syntax
