#include "core/path/path.h"

#include <sys/stat.h>

#include <string_view>
#include <vector>

#include "platform/code_page/code_page.h"

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool HasDriveLetter(std::string_view text, PathStyle style) {
    return style == PathStyle::Windows && text.size() >= 2 && IsAsciiLetter(text[0]) &&
           text[1] == ':';
}

std::vector<std::string_view> SplitComponents(std::string_view text, PathStyle style) {
    std::vector<std::string_view> components;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || IsSeparator(text[i], style)) {
            if (i > start) {
                components.push_back(text.substr(start, i - start));
            }
            start = i + 1;
        }
    }
    return components;
}

// A path seen as a root (drive, UNC server and share, or the bare separator) and the
// components below it. Paths without a root (relative ones) cannot be related to others.
struct RootedPath {
    bool hasRoot = false;
    std::string root;
    std::vector<std::string_view> components;
};

RootedPath SplitRoot(std::string_view text, PathStyle style) {
    RootedPath result;
    if (style == PathStyle::Posix) {
        // Removing the separator from "/" leaves an empty text: that is still the root.
        if (text.empty() || text[0] == '/') {
            result.hasRoot = true;
            result.root = "/";
            result.components = SplitComponents(text, style);
        }
        return result;
    }
    if (HasDriveLetter(text, style)) {
        // "C:" alone (a root folder without its separator) is rooted; "C:Music" is
        // relative to the drive's current folder and is not.
        const std::string_view rest = text.substr(2);
        if (rest.empty() || IsSeparator(rest[0], style)) {
            result.hasRoot = true;
            result.root = std::string(text.substr(0, 2));
            result.components = SplitComponents(rest, style);
        }
        return result;
    }
    if (text.size() >= 2 && IsSeparator(text[0], style) && IsSeparator(text[1], style)) {
        // A UNC path: the server and the share together are the root.
        std::vector<std::string_view> components = SplitComponents(text, style);
        if (components.size() >= 2) {
            result.hasRoot = true;
            result.root = "\\\\" + std::string(components[0]) + "\\" + std::string(components[1]);
            result.components.assign(components.begin() + 2, components.end());
        }
        return result;
    }
    if (!text.empty() && IsSeparator(text[0], style)) {
        result.hasRoot = true;
        result.root = "\\";
        result.components = SplitComponents(text, style);
    }
    return result;
}

bool ComponentsEqual(std::string_view a, std::string_view b, PathStyle style) {
    return IsCaseInsensitive(style) ? platform::Utf8ToLower(a) == platform::Utf8ToLower(b) : a == b;
}

}  // namespace

CPath::CPath(const std::string& text, bool isFolder, PathStyle style)
    : m_style(style), m_text(text) {
    std::string_view work = m_text;
    if (style == PathStyle::Windows && work.size() >= 2 && work.front() == '"' &&
        work.back() == '"') {
        // Paths pasted from the Windows shell come quoted. POSIX file names may hold
        // quotes of their own, so only the Windows style takes them off.
        work = work.substr(1, work.size() - 2);
    }
    if (work.empty()) {
        return;
    }

    if (HasDriveLetter(work, style)) {
        m_drive = std::string(work.substr(0, 2));
        work.remove_prefix(2);
    }
    std::size_t lastSeparator = std::string_view::npos;
    for (std::size_t i = 0; i < work.size(); ++i) {
        if (IsSeparator(work[i], style)) {
            lastSeparator = i;
        }
    }
    const std::size_t componentStart =
        lastSeparator == std::string_view::npos ? 0 : lastSeparator + 1;
    m_folder = std::string(work.substr(0, componentStart));
    const std::string_view lastComponent = work.substr(componentStart);

    // UTF-8 never uses the byte of "/" inside a multi-byte character, so replacing bytes
    // cannot split a character.
    const char separator = PreferredSeparator(style);
    for (char& c : m_folder) {
        if (IsSeparator(c, style)) {
            c = separator;
        }
    }

    if (isFolder) {
        if (!lastComponent.empty()) {
            // A folder given without its trailing separator ("Music" or "C:\Music"):
            // the name belongs to the folder. An empty folder stays relative rather than
            // becoming a rooted "\Music\".
            m_folder = (m_folder.empty() ? std::string() : AddSeparator(m_folder, style)) +
                       std::string(lastComponent);
            m_folder = AddSeparator(m_folder, style);
        }
    } else {
        const std::size_t dot = lastComponent.rfind('.');
        // A name that starts with its only dot (".hidden") is a name, not an extension:
        // splitting it would lose the whole name.
        if (dot == std::string_view::npos || dot == 0) {
            m_name = std::string(lastComponent);
        } else {
            m_name = std::string(lastComponent.substr(0, dot));
            m_extension = std::string(lastComponent.substr(dot + 1));
        }
    }
    m_relative = !m_folder.empty() && m_folder.front() != separator;
}

std::string CPath::GetFolderPath() const {
    return m_drive + m_folder;
}

std::string CPath::GetFullPath() const {
    std::string path = m_drive + m_folder + m_name;
    if (!m_extension.empty()) {
        path += '.';
        path += m_extension;
    }
    return path;
}

bool CPath::Exists() const {
    const std::string path = GetFolderPath();
    if (path.empty()) {
        return false;
    }
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::string CPath::GetRelativePath(const std::string& fromFolder) const {
    if (m_relative) {
        return {};
    }
    const std::string target = GetFullPath();
    const RootedPath from = SplitRoot(fromFolder, m_style);
    const RootedPath to = SplitRoot(target, m_style);
    if (!from.hasRoot || !to.hasRoot || !ComponentsEqual(from.root, to.root, m_style)) {
        return {};
    }

    std::size_t common = 0;
    while (common < from.components.size() && common < to.components.size() &&
           ComponentsEqual(from.components[common], to.components[common], m_style)) {
        ++common;
    }

    const char separator = PreferredSeparator(m_style);
    std::string result;
    if (common == from.components.size()) {
        result = ".";
    } else {
        for (std::size_t i = common; i < from.components.size(); ++i) {
            if (i > common) {
                result += separator;
            }
            result += "..";
        }
    }
    for (std::size_t i = common; i < to.components.size(); ++i) {
        result += separator;
        result += to.components[i];
    }
    // A folder target keeps its trailing separator, so the caller can append a file name.
    if (m_name.empty() && !target.empty() && IsSeparator(target.back(), m_style)) {
        result += separator;
    }
    return result;
}
