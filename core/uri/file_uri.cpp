#include "core/uri/file_uri.h"

#include <uriparser/Uri.h>

#include <cctype>
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
bool NeedsEncoding(std::string_view text, std::size_t i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '%') {
        return !(i + 2 < text.size() && IsHexDigit(text[i + 1]) && IsHexDigit(text[i + 2]));
    }
    return byte <= 0x20 || byte >= 0x7F || byte == '"' || byte == '<' || byte == '>' ||
           byte == '\\' || byte == '^' || byte == '`' || byte == '{' || byte == '|' || byte == '}';
}

bool NeedsEncoding(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (NeedsEncoding(text, i)) {
            return true;
        }
    }
    return false;
}

std::string EncodeBytesNoUriMayHold(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() + 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (NeedsEncoding(text, i)) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

// A parsed URI that frees its members. It points into text, or into an encoded copy of it
// where text needs one, so text must outlive it.
class ParsedUri {
public:
    explicit ParsedUri(std::string_view text) {
        if (text.find('\0') != std::string_view::npos) {
            return;
        }
        // Most URIs need no encoding, and a playlist may hold many thousands of them.
        if (NeedsEncoding(text)) {
            m_encoded = EncodeBytesNoUriMayHold(text);
            text = m_encoded;
        }
        const char* errorPos = nullptr;
        m_ok = uriParseSingleUriExA(&m_uri, text.data(), text.data() + text.size(), &errorPos) ==
               URI_SUCCESS;
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
    std::string m_encoded;  // the parsed URI points into it when it is not empty
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
    // Each segment decoded where it lands in the path.
    std::string path;
    path.reserve(text.size());
    for (const UriPathSegmentA* segment = value.pathHead; segment != nullptr;
         segment = segment->next) {
        path += '/';
        const std::size_t start = path.size();
        path.append(segment->text.first, segment->text.afterLast);
        const char* end = uriUnescapeInPlaceExA(path.data() + start, URI_FALSE, URI_BR_DONT_TOUCH);
        path.resize(static_cast<std::size_t>(end - path.data()));
        if (path.find_first_of(std::string_view("/\0", 2), start) != std::string::npos) {
            return std::nullopt;
        }
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
