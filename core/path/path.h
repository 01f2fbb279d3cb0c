#pragma once

#include <string>

#include "platform/path_style/path_style.h"

// One path text split into drive, folder, file name and extension, in the given path
// style. Windows style: "\" (or "/") separates, a leading letter and colon is the drive,
// a text enclosed in double quotes is taken without them. POSIX style: "/" only, never a
// drive; every absolute path shares the root "/". A value never changes after it is made.
class CPath {
public:
    // isFolder makes the last component part of the folder (callers pass folder texts
    // that end with a separator, which leaves no last component at all).
    CPath(const std::string& text, bool isFolder, PathStyle style = kNativePathStyle);
    virtual ~CPath() = default;

    CPath(const CPath&) = default;
    CPath& operator=(const CPath&) = default;

    // The text given to the constructor, unchanged.
    const std::string& GetText() const { return m_text; }
    // "C:" as written; empty without a drive letter (always empty in POSIX style).
    const std::string& GetDrive() const { return m_drive; }
    // Everything between the drive and the file name, with the style's own separator.
    const std::string& GetFolder() const { return m_folder; }
    // The file name without its extension; empty for a folder.
    const std::string& GetName() const { return m_name; }
    // The extension without its dot; empty when the name is empty.
    const std::string& GetExtension() const { return m_extension; }
    // Whether the folder is not empty and does not start at a root ("Music\", "C:Music\").
    bool IsRelative() const { return m_relative; }

    // Drive + folder.
    std::string GetFolderPath() const;
    // Drive + folder + name, and "." + extension when there is one.
    std::string GetFullPath() const;

    // Whether the file system holds a file or folder at GetFolderPath().
    bool Exists() const;

    // The path that leads from the folder fromFolder (given without a trailing separator)
    // to this value: ".." for each folder to climb, or "." when none, then the rest of this
    // value below the common folders, starting with a separator. Components are compared
    // as the style compares them. Empty when this value is relative or when the two paths
    // share no root (another drive, another server or share, a relative fromFolder).
    std::string GetRelativePath(const std::string& fromFolder) const;

private:
    PathStyle m_style;
    std::string m_text;
    std::string m_drive;
    std::string m_folder;
    std::string m_name;
    std::string m_extension;
    bool m_relative = false;
};
