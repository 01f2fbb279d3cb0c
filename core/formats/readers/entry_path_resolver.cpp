#include "core/formats/readers/entry_path_resolver.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <utility>

#include "core/formats/readers/text_lines.h"
#include "core/uri/file_uri.h"

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// "C:\Music", "C:/Music" and "\\server\share\Music": nothing on this system is there.
bool IsWindowsPath(std::string_view text) {
    const bool drive = text.size() >= 3 && IsAsciiLetter(text[0]) && text[1] == ':' &&
                       (text[2] == '\\' || text[2] == '/');
    return drive || text.substr(0, 2) == "\\\\";
}

// The path of file:///C:/Music/a.mp3 (or the old file:///C|/Music) is "/C:/Music/a.mp3".
bool IsWindowsDriveInUri(std::string_view path) {
    return path.size() >= 3 && path[0] == '/' && IsAsciiLetter(path[1]) &&
           (path[2] == ':' || path[2] == '|') && (path.size() == 3 || path[3] == '/');
}

// Whether the text may start with a URI scheme ("http:", "file:"): a letter, then letters,
// digits, "+", "-" or ".", then a colon, at least two characters before it so that a
// drive letter is none. Most entries are paths, and this spares them the URI parser.
bool MayStartWithScheme(std::string_view text) {
    if (text.empty() || !IsAsciiLetter(text[0])) {
        return false;
    }
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':') {
            return i >= 2;
        }
        if (!IsAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return false;
}

bool IsFileThere(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

// The path with "." components and empty ones left out and each ".." taking the component
// before it away, as text alone says. Keeps the leading "/".
std::string LexicallyNormal(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    std::size_t pos = 0;
    while (pos < path.size()) {
        std::size_t end = path.find('/', pos);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        const std::string_view part = path.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            const std::size_t slash = out.rfind('/');
            out.resize(slash == std::string::npos ? 0 : slash);
            continue;
        }
        out += '/';
        out += part;
    }
    return out.empty() ? "/" : out;
}

// Where the last ".." component of path ends; 0 when it has none.
std::size_t EndOfLastClimb(std::string_view path) {
    std::size_t end = path.size();
    while (true) {
        const std::size_t found = path.rfind("..", end);
        if (found == std::string_view::npos) {
            return 0;
        }
        const bool startsComponent = found == 0 || path[found - 1] == '/';
        const bool endsComponent = found + 2 == path.size() || path[found + 2] == '/';
        if (startsComponent && endsComponent) {
            return found + 2;
        }
        if (found == 0) {
            return 0;
        }
        end = found - 1;
    }
}

}  // namespace

CEntryPathResolver::CEntryPathResolver(std::string playlistFolder)
    : m_folder(std::move(playlistFolder)) {
    if (m_folder.empty() || m_folder.back() != '/') {
        m_folder += '/';
    }
}

std::string CEntryPathResolver::Normalise(std::string_view absolutePath) {
    const std::size_t climb = EndOfLastClimb(absolutePath);
    if (climb == 0) {
        return LexicallyNormal(absolutePath);
    }
    std::string prefix(absolutePath.substr(0, climb));
    auto known = m_climbed.find(prefix);
    if (known == m_climbed.end()) {
        std::string reached;
        if (char* real = realpath(prefix.c_str(), nullptr)) {
            reached = real;
            free(real);
        } else {
            reached = LexicallyNormal(prefix);
        }
        known = m_climbed.emplace(std::move(prefix), std::move(reached)).first;
    }
    std::string joined = known->second;
    joined += absolutePath.substr(climb);
    return LexicallyNormal(joined);
}

CEntryPathResolver::Result CEntryPathResolver::Found(std::string path) {
    Result result;
    result.exists = IsFileThere(path);
    result.path = std::move(path);
    return result;
}

CEntryPathResolver::Result CEntryPathResolver::FromPathText(std::string_view text) {
    if (!text.empty() && text.front() == '/') {
        return Found(Normalise(text));
    }
    std::string joined = m_folder;
    joined += text;
    return Found(Normalise(joined));
}

CEntryPathResolver::Result CEntryPathResolver::FromText(std::string_view text) {
    if (IsWindowsPath(text)) {
        return {Kind::kWindowsPath, {}, false};
    }
    if (MayStartWithScheme(text)) {
        if (StartsWithIgnoringCase(text, "file:")) {
            return FromFileUri(text);
        }
        const std::string scheme = uri::SchemeOf(text);
        // "Intro: live.mp3" has a scheme by the syntax alone; an address has "//" after it.
        if (!scheme.empty() && text.substr(scheme.size() + 1, 2) == "//") {
            return {Kind::kUrl, {}, false};
        }
    }
    Result result = FromPathText(text);
    if (result.exists) {
        return result;
    }
    std::string slashes;
    if (text.find('\\') != std::string_view::npos) {
        slashes = text;
        for (char& c : slashes) {
            if (c == '\\') {
                c = '/';
            }
        }
    }
    const std::string_view alternatives[] = {slashes, TrimBlanks(text), TrimBlanks(slashes)};
    for (const std::string_view alternative : alternatives) {
        if (!alternative.empty() && alternative != text) {
            Result other = FromPathText(alternative);
            if (other.exists) {
                return other;
            }
        }
    }
    return result;
}

CEntryPathResolver::Result CEntryPathResolver::FromUri(std::string_view text) {
    // An absolute URI starts with its scheme.
    if (!StartsWithIgnoringCase(text, "file:")) {
        return {Kind::kUrl, {}, false};
    }
    return FromFileUri(text);
}

// One parse of the URI per entry: a playlist of file URIs is as common as one of paths.
CEntryPathResolver::Result CEntryPathResolver::FromFileUri(std::string_view text) {
    const std::optional<std::string> path = uri::PathFromFileUri(text);
    if (!path) {
        return {Kind::kInvalidFileUri, {}, false};
    }
    if (IsWindowsDriveInUri(*path)) {
        return {Kind::kWindowsPath, {}, false};
    }
    return Found(Normalise(*path));
}

CEntryPathResolver::Result CEntryPathResolver::FromReference(std::string_view reference,
                                                             std::string_view base) {
    if (IsWindowsPath(reference)) {
        return {Kind::kWindowsPath, {}, false};
    }
    const std::optional<std::string> resolved = uri::ResolveReference(reference, base);
    if (!resolved) {
        return {Kind::kInvalidFileUri, {}, false};
    }
    return FromUri(*resolved);
}

std::string AbsolutePathOf(const std::string& path) {
    if (!path.empty() && path.front() == '/') {
        return CEntryPathResolver("/").Normalise(path);
    }
    char* folder = getcwd(nullptr, 0);
    if (folder == nullptr) {
        return {};
    }
    CEntryPathResolver resolver(folder);
    std::string joined = folder;
    free(folder);
    joined += '/';
    joined += path;
    return resolver.Normalise(joined);
}
