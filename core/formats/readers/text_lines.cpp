#include "core/formats/readers/text_lines.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/code_page/code_page.h"

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The length of the UTF-8 character that a lead byte starts; 0 for a byte no character
// starts with.
std::size_t Utf8Length(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

}  // namespace

bool IsUtf8Text(std::string_view text) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    const char* data = text.data();
    const std::size_t size = text.size();
    std::size_t pos = 0;
    while (pos < size) {
        if (pos + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, data + pos, 8);
            if ((word & kHighBits) == 0) {
                pos += 8;
                continue;
            }
        }
        const auto byte = static_cast<unsigned char>(data[pos]);
        if (byte < 0x80) {
            ++pos;
            continue;
        }
        // The platform's check knows the overlong forms, surrogates and the upper limit.
        const std::size_t length = Utf8Length(byte);
        if (length == 0 || pos + length > size ||
            !platform::IsWellFormedUtf8(text.substr(pos, length))) {
            return false;
        }
        pos += length;
    }
    return true;
}

std::string_view TrimLeadingBlanks(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) {
        ++start;
    }
    return text.substr(start);
}

std::string_view TrimBlanks(std::string_view text) {
    text = TrimLeadingBlanks(text);
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(0, end);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           platform::EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

std::int64_t ParseSeconds(std::string_view text) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    // from_chars, unlike strtod, does not follow the locale's decimal separator.
    double seconds = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), seconds, std::chars_format::fixed);
    // A hundred years is more than any recording; beyond it the number is garbage.
    constexpr double kLongest = 100.0 * 365 * 24 * 3600;
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(seconds) ||
        seconds < 0 || seconds > kLongest) {
        return kUnknownLength;
    }
    return static_cast<std::int64_t>(std::llround(seconds * 1000.0));
}

CPlaylistLines::CPlaylistLines(std::string_view bytes, bool utf8ByName, PlaylistSource& source)
    : m_utf8ByName(utf8ByName), m_source(source) {
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        bytes.remove_prefix(kUtf8Bom.size());
    }
    if (std::memchr(bytes.data(), '\0', bytes.size()) != nullptr) {
        m_failed = true;
        source.Fail(PlaylistReadError::kWrongContent);
        return;
    }
    m_rest = bytes;
    if (!m_utf8ByName && !IsUtf8Text(bytes)) {
        m_windows1252 = true;
        source.Warn(PlaylistReadWarningKind::kWindows1252, 0);
    }
}

bool CPlaylistLines::Next(std::string_view& line) {
    if (m_failed || m_rest.empty()) {
        return false;
    }
    ++m_number;
    std::size_t end = 0;
    while (end < m_rest.size() && m_rest[end] != '\n' && m_rest[end] != '\r') {
        // The search for the line end goes byte by byte only within a word that has one.
        if (end + 8 <= m_rest.size()) {
            std::uint64_t word;
            std::memcpy(&word, m_rest.data() + end, 8);
            constexpr std::uint64_t kOnes = 0x0101010101010101u;
            constexpr std::uint64_t kHighs = 0x8080808080808080u;
            const std::uint64_t lf = word ^ (kOnes * '\n');
            const std::uint64_t cr = word ^ (kOnes * '\r');
            if ((((lf - kOnes) & ~lf) | ((cr - kOnes) & ~cr)) & kHighs) {
                while (end < m_rest.size() && m_rest[end] != '\n' && m_rest[end] != '\r') {
                    ++end;
                }
                break;
            }
            end += 8;
            continue;
        }
        ++end;
    }
    if (end > kMaxPlaylistLineBytes) {
        m_failed = true;
        m_source.Fail(PlaylistReadError::kLineTooLong, m_number);
        return false;
    }
    line = m_rest.substr(0, end);
    std::size_t next = end;
    if (next < m_rest.size()) {
        next +=
            (m_rest[next] == '\r' && next + 1 < m_rest.size() && m_rest[next + 1] == '\n') ? 2 : 1;
    }
    m_rest.remove_prefix(next);

    if (m_windows1252) {
        m_converted = platform::Windows1252ToUtf8(line);
        line = m_converted;
    } else if (m_utf8ByName && !IsUtf8Text(line)) {
        m_source.Warn(PlaylistReadWarningKind::kInvalidUtf8, m_number);
    }
    return true;
}
