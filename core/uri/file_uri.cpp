#include "core/uri/file_uri.h"

#include <uriparser/Uri.h>

#include <cctype>
#include <cstring>
#include <vector>

namespace uri {

namespace {

bool EqualsIgnoringCase(const char* first, const char* afterLast, std::string_view text) {
    if (first == nullptr || static_cast<std::size_t>(afterLast - first) != text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(first[i])) !=
            std::tolower(static_cast<unsigned char>(text[i]))) {
            return false;
        }
    }
    return true;
}

bool IsHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// Playlists written by hand or by other programs often hold URIs with raw blanks, non-ASCII
// letters or a lone "%". Such bytes can never be part of a valid URI, so encoding them
// changes the meaning of no valid URI and lets the sloppy ones parse.
std::string EncodeBytesNoUriMayHold(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool lonePercent = byte == '%' && !(i + 2 < text.size() && IsHexDigit(text[i + 1]) &&
                                                  IsHexDigit(text[i + 2]));
        const bool never =
            byte <= 0x20 || byte >= 0x7F || std::strchr("\"<>\\^`{|}", byte) != nullptr;
        if (lonePercent || never) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

// A parsed URI that frees its members.
class ParsedUri {
public:
    explicit ParsedUri(std::string_view text) : m_text(EncodeBytesNoUriMayHold(text)) {
        if (text.find('\0') != std::string_view::npos) {
            return;
        }
        const char* errorPos = nullptr;
        m_ok = uriParseSingleUriExA(&m_uri, m_text.data(), m_text.data() + m_text.size(),
                                    &errorPos) == URI_SUCCESS;
    }
    ~ParsedUri() {
        if (m_ok) {
            uriFreeUriMembersA(&m_uri);
        }
    }
    ParsedUri(const ParsedUri&) = delete;
    ParsedUri& operator=(const ParsedUri&) = delete;

    bool Ok() const { return m_ok; }
    const UriUriA& Get() const { return m_uri; }
    bool HasScheme() const { return m_ok && m_uri.scheme.first != nullptr; }

private:
    std::string m_text;  // the parsed URI points into it
    UriUriA m_uri{};
    bool m_ok = false;
};

std::optional<std::string> ToString(const UriUriA& value) {
    int required = 0;
    if (uriToStringCharsRequiredA(&value, &required) != URI_SUCCESS) {
        return std::nullopt;
    }
    std::vector<char> buffer(static_cast<std::size_t>(required) + 1);
    int written = 0;
    if (uriToStringA(buffer.data(), &value, required + 1, &written) != URI_SUCCESS) {
        return std::nullopt;
    }
    return std::string(buffer.data());
}

void AppendEscaped(std::string& out, std::string_view segment) {
    std::vector<char> buffer(segment.size() * 3 + 1);
    const char* end = uriEscapeExA(segment.data(), segment.data() + segment.size(), buffer.data(),
                                   URI_FALSE, URI_FALSE);
    out.append(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
}

// Every "/"-separated segment escaped, the separators kept.
std::string EscapeSegments(std::string_view path) {
    std::string out;
    out.reserve(path.size() + path.size() / 4);
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = path.find('/', start);
        AppendEscaped(out, path.substr(start, slash - start));
        if (slash == std::string_view::npos) {
            return out;
        }
        out += '/';
        start = slash + 1;
    }
}

}  // namespace

std::string FileUriFromPath(std::string_view absolutePath) {
    if (absolutePath.empty() || absolutePath.front() != '/' ||
        absolutePath.find('\0') != std::string_view::npos) {
        return "";
    }
    return "file://" + EscapeSegments(absolutePath);
}

std::string UriReferenceFromRelativePath(std::string_view relativePath) {
    if (relativePath.empty() || relativePath.front() == '/' ||
        relativePath.find('\0') != std::string_view::npos) {
        return "";
    }
    return EscapeSegments(relativePath);
}

std::optional<std::string> PercentDecode(std::string_view text) {
    std::string buffer(text);
    const char* end = uriUnescapeInPlaceExA(buffer.data(), URI_FALSE, URI_BR_DONT_TOUCH);
    buffer.resize(static_cast<std::size_t>(end - buffer.data()));
    if (buffer.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return buffer;
}

std::optional<std::string> PathFromFileUri(std::string_view text) {
    const ParsedUri parsed(text);
    if (!parsed.HasScheme()) {
        return std::nullopt;
    }
    const UriUriA& value = parsed.Get();
    if (!EqualsIgnoringCase(value.scheme.first, value.scheme.afterLast, "file")) {
        return std::nullopt;
    }
    const bool hasHost =
        value.hostText.first != nullptr && value.hostText.afterLast != value.hostText.first;
    if (hasHost &&
        !EqualsIgnoringCase(value.hostText.first, value.hostText.afterLast, "localhost")) {
        return std::nullopt;
    }
    if (value.hostData.ip4 != nullptr || value.hostData.ip6 != nullptr ||
        value.hostData.ipFuture.first != nullptr) {
        return std::nullopt;
    }
    // "file:a.mp3" has neither an authority nor a path from the root: it names no file, and
    // certainly not "/a.mp3".
    if (value.hostText.first == nullptr && value.absolutePath == URI_FALSE) {
        return std::nullopt;
    }
    std::string path;
    for (const UriPathSegmentA* segment = value.pathHead; segment != nullptr;
         segment = segment->next) {
        const auto decoded = PercentDecode(std::string_view(
            segment->text.first,
            static_cast<std::size_t>(segment->text.afterLast - segment->text.first)));
        if (!decoded || decoded->find('/') != std::string::npos) {
            return std::nullopt;
        }
        path += '/';
        path += *decoded;
    }
    return path.empty() ? "/" : path;
}

std::optional<std::string> ResolveReference(std::string_view reference, std::string_view base) {
    const ParsedUri parsedReference(reference);
    const ParsedUri parsedBase(base);
    if (!parsedReference.Ok() || !parsedBase.HasScheme()) {
        return std::nullopt;
    }
    UriUriA resolved{};
    if (uriAddBaseUriExA(&resolved, &parsedReference.Get(), &parsedBase.Get(),
                         URI_RESOLVE_STRICTLY) != URI_SUCCESS) {
        return std::nullopt;
    }
    auto text = ToString(resolved);
    uriFreeUriMembersA(&resolved);
    return text;
}

std::string SchemeOf(std::string_view text) {
    const ParsedUri parsed(text);
    if (!parsed.HasScheme()) {
        return "";
    }
    const UriTextRangeA& scheme = parsed.Get().scheme;
    std::string lower(scheme.first, scheme.afterLast);
    if (lower.size() == 1) {
        return "";  // "C:" is a drive, not a scheme
    }
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

}  // namespace uri
